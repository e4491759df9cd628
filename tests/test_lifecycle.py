"""Lifecycle and stress: the vector pools under ten million creations, import
in any order, twice, by reload and from a second interpreter, and objects of
every type alive when the interpreter exits.  Everything runs in a fresh
interpreter, so each check starts from an empty pool and an empty module
table, and a crash fails only its test."""

import itertools
import os
import random
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import entry_points as E

DEBUG = hasattr(sys, "gettotalrefcount")
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "")
RELEASE = not (DEBUG or SANITIZED)

BUILT = list(E.MODULES)


def run(code, timeout=120, window=False):
    """Runs `code` in a fresh interpreter; returns its stdout, failing the
    test on a non-zero exit or on anything written to stderr."""
    prelude = ""
    if window:
        prelude = textwrap.dedent("""
            import ctypes
            raylib = ctypes.CDLL("libraylib.so.600")
            raylib.SetTraceLogLevel(5)
            raylib.SetConfigFlags(0x80)
            raylib.InitWindow(64, 64, b"korvex lifecycle")
        """)
    completed = subprocess.run(
        [sys.executable, "-X", "faulthandler", "-c", prelude + textwrap.dedent(code)],
        capture_output=True, text=True, timeout=timeout, cwd=Path(__file__).parent,
    )
    # Mesa complains about the environment of the test run, not about korvex.
    stderr = "".join(line for line in completed.stderr.splitlines(keepends=True)
                     if not line.startswith("error: XDG_RUNTIME_DIR"))
    assert completed.returncode == 0 and not stderr.strip(), (
        f"exit status {completed.returncode}\n--- stdout\n{completed.stdout[-4000:]}\n"
        f"--- stderr\n{E.abbreviated(stderr)}"
    )
    return completed.stdout


# --- the vector pools ------------------------------------------------------------------------

VECTORS = [(s.cls, s.module, len(s.letters), s.components_factory, s.letters) for s in E.VECTORS]

POOL = """
import sys
from korvex.{module}.{module} import {cls} as V

def rss():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * 4096

v = V({ones})
w = V({ones})
def churn(rounds):
    # Four creations and releases per round, through the constructor, an
    # operator, a swizzle and a factory.
    for _ in range(rounds):
        V()
        v + w
        v.{word}
        V.{factory}({ones})

churn(10_000)  # warm up: the pool holds its few objects, the caches are filled
blocks, memory = sys.getallocatedblocks(), rss()
churn({rounds})
print("churn", sys.getallocatedblocks() - blocks, rss() - memory)

# The pool keeps at most 1000 released objects: of 3000 released at once,
# 1000 stay allocated (the list's storage is no small block).
blocks = sys.getallocatedblocks()
many = [V() for _ in range(3000)]
del many
print("pooled", sys.getallocatedblocks() - blocks)
blocks = sys.getallocatedblocks()
for _ in range(3):
    many = [V() for _ in range(3000)]
    del many
print("again", sys.getallocatedblocks() - blocks)
# Fewer released objects than the pool takes are all kept, and reused.
few = [V() for _ in range(1000)]
blocks = sys.getallocatedblocks()
del few
few = [V() for _ in range(1000)]
print("reused", sys.getallocatedblocks() - blocks)
"""


@pytest.mark.skipif(not RELEASE, reason="ten million creations: release build only")
@pytest.mark.parametrize("cls, module, n, factory, letters", VECTORS, ids=[v[0] for v in VECTORS])
def test_ten_million_creations_stay_flat(cls, module, n, factory, letters):
    code = POOL.format(module=module, cls=cls, ones=", ".join(["1.0"] * n), word=letters, factory=factory,
                       rounds=10_000_000 // 4)
    results = {line.split()[0]: [int(x) for x in line.split()[1:]] for line in run(code, timeout=300).splitlines()}
    blocks, memory = results["churn"]
    assert abs(blocks) < 50
    assert memory < 1 << 20
    # 3000 released at once: the pool fills up to 1000 (it held the few
    # objects of the churn before), the rest is freed.
    assert 1000 - 10 <= results["pooled"][0] <= 1000
    assert abs(results["again"][0]) < 20
    assert abs(results["reused"][0]) < 20


# --- imports --------------------------------------------------------------------------------

IMPORT = """
import importlib, sys
order = {order!r}
modules = {{}}
for name in order:
    modules[name] = importlib.import_module(f"korvex.{{name}}.{{name}}")
for name in order:
    full = f"korvex.{{name}}.{{name}}"
    again = importlib.import_module(full)
    assert again is modules[name] is sys.modules[full], name
    reloaded = importlib.reload(again)
    assert reloaded is again, name
    # The types are the same objects after the reload and still work.
    for attr, value in vars(again).items():
        if isinstance(value, type) and value.__module__ == full:
            assert getattr(reloaded, attr) is value
print("ok", len(order))
"""


def import_orders():
    """Every ordered pair of the built modules, and a few full orders
    (every permutation of a dozen modules would be half a billion
    processes).  The debug and sanitizer runs take each module alone and
    the full orders."""
    orders = [(name,) for name in BUILT]
    if RELEASE:
        orders += list(itertools.permutations(BUILT, 2))
    rng = random.Random(20260101)
    full = [tuple(BUILT), tuple(reversed(BUILT))]
    for _ in range(4):
        shuffled = list(BUILT)
        rng.shuffle(shuffled)
        full.append(tuple(shuffled))
    return orders + full


@pytest.mark.parametrize("order", import_orders(), ids=lambda order: "-".join(order))
def test_import_in_any_order_twice_and_reload(order):
    assert run(IMPORT.format(order=list(order))).split() == ["ok", str(len(order))]


def test_import_the_consumer_after_and_before_everything():
    run(f"""
        import importlib
        import korvex_consumer
        for name in {BUILT!r}:
            importlib.import_module(f"korvex.{{name}}.{{name}}")
        importlib.reload(korvex_consumer)
    """)
    run(f"""
        import importlib
        for name in {BUILT!r}:
            importlib.import_module(f"korvex.{{name}}.{{name}}")
        import korvex_consumer
    """)


SUBINTERPRETER = """
from concurrent import interpreters
import importlib
name = {name!r}
full = f"korvex.{{name}}.{{name}}"
first = {first!r}
if first == "main":
    module = importlib.import_module(full)
interp = interpreters.create()
try:
    interp.exec(f"import {{full}}")
    print("sub imported")
except interpreters.ExecutionFailed as failure:
    print("sub", failure.excinfo.type.__name__, failure.excinfo.msg)
interp.close()
try:
    importlib.import_module(full)
    print("main imported")
except ImportError as error:
    print("main ImportError", error)
"""

REFUSAL = "ImportError Interpreter change detected - this module can only be loaded into one interpreter per process."


@pytest.mark.parametrize("first", ["main", "subinterpreter"])
@pytest.mark.parametrize("name", E.MODULES)
def test_second_interpreter_is_refused(name, first):
    """A module belongs to the first interpreter that imports it; any other
    is refused with ImportError."""
    lines = run(SUBINTERPRETER.format(name=name, first=first)).splitlines()
    if first == "main":
        assert lines == [f"sub {REFUSAL}", "main imported"]
    else:
        assert lines == ["sub imported", f"main {REFUSAL}"]


# --- objects alive at exit --------------------------------------------------------------------

AT_EXIT = """
import gc, sys
sys.path.insert(0, ".")
import entry_points as E
k = E.namespace()

class Holder:
    pass

keep = []
# One object of every type, plain, in a reference cycle with a Python object,
# and stored on its own module and class.
for name, make in [
    ("Vector2", lambda: k.Vector2(1, 2)), ("Vector3", lambda: k.Vector3(1, 2, 3)),
    ("Vector4", lambda: k.Vector4(1, 2, 3, 4)), ("Rect", lambda: k.Rect(1, 2, 3, 4)),
    ("Color", lambda: k.Color(1, 2, 3)), ("Colors", lambda: k.Colors()),
    ("Image", lambda: k.Image.gen_color(2, 2)), ("Texture", lambda: k.Texture()),
    ("GlyphInfo", lambda: k.GlyphInfo()), ("Audio", lambda: k.Audio()),
    ("OverridingRect", lambda: k.OverridingRect(1, 2, 3, 4)),
    ("OverridingColor", lambda: k.OverridingColor(1, 2, 3)),
]:
    if not hasattr(k, name):
        continue
    obj = make()
    holder = Holder()
    holder.self, holder.obj = holder, obj
    keep.append(obj)
    keep.append(holder)
    cls = getattr(k, name)
    sys.modules[cls.__module__].kept_at_exit = make()
    if name.startswith("Overriding"):
        cls.kept_at_exit = make()
if hasattr(k, "Colors"):
    class Palette(k.Colors):
        pass
    palette = Palette()
    palette.Red = k.Color(9, 9, 9)
    palette.cycle = palette  # a subclass instance that holds itself
    keep.append(palette)
if hasattr(k, "Vector2"):
    # The pool full when the interpreter exits.
    spare = [k.Vector2() for _ in range(1500)]
    del spare
    many = [k.Vector2() for _ in range(500)]
if {window!r}:
    if hasattr(k, "RenderTexture"):
        keep.append(k.RenderTexture(8, 8))
        target = k.OverridingRenderTexture(4, 4)
        target.cycle = target
        keep.append(k.Texture.load_from_image(k.Image.gen_color(2, 2)))
    if hasattr(k, "Audio"):
        k.Audio().init()  # the audio device left open
    if {close_window!r}:
        raylib.CloseWindow()
gc.collect()
print("exiting")
"""


@pytest.mark.parametrize("window, close_window", [(False, False), (True, False), (True, True)],
                         ids=["no window", "window open", "window closed"])
def test_objects_alive_at_interpreter_exit(window, close_window):
    """Exit with objects of every type alive, in cycles, on modules and
    classes: no crash, nothing reported."""
    if not BUILT:
        pytest.skip("nothing built")
    code = AT_EXIT.format(window=window, close_window=close_window)
    assert run(code, window=window).split() == ["exiting"]


# --- the sanitizer run's own setup -------------------------------------------------------------

SANITIZER_FAULTS = {
    "leak": ("""
        import ctypes
        libc = ctypes.CDLL(None)
        libc.malloc.restype = ctypes.c_void_p
        libc.malloc(4096)  # dropped: nothing points to it at exit
    """, "LeakSanitizer: detected memory leaks"),
    "out of bounds": ("""
        import ctypes
        libc = ctypes.CDLL(None)
        libc.malloc.restype = ctypes.c_void_p
        source = libc.malloc(8)
        target = ctypes.create_string_buffer(16)
        ctypes.memmove(target, source, 16)  # reads 8 bytes past the block
    """, "AddressSanitizer: heap-buffer-overflow"),
    "python object out of bounds": ("""
        import ctypes
        t = tuple([1.5])  # a heap block of its own under PYTHONMALLOC=malloc
        target = ctypes.create_string_buffer(256)
        ctypes.memmove(target, id(t), 256)
    """, "AddressSanitizer: heap-buffer-overflow"),
    # Leaks in code of ours: a block, and floats the interpreter made for us
    # (with the fast unwinder their stack stops at PyFloat_FromDouble, as the
    # interpreter's own would: no suppression may match that).
    "leaked block": ("import korvex_consumer\nkorvex_consumer.leak_block()", "LeakSanitizer: detected memory leaks"),
    "leaked floats": ("import korvex_consumer\nfor i in range(100): korvex_consumer.leak_float(i + 0.5)",
                      "in PyFloat_FromDouble"),
}
# Allocation stacks unwound in full (make test-asan ASAN_STACKS=full), deep
# enough for the frames that matter here.
FULL_STACKS = ":fast_unwind_on_malloc=0:malloc_context_size=6"


@pytest.mark.skipif(not SANITIZED, reason="checks the sanitizer run's setup (make test-asan)")
@pytest.mark.parametrize("fault", SANITIZER_FAULTS)
def test_sanitizers_report_faults(fault):
    """A leak at exit and a read past a heap block, of a plain C block and of
    a Python object, end the process with the sanitizer's report: the
    runtime is loaded, leak checking runs at exit, PYTHONMALLOC=malloc gives
    objects blocks of their own, and the suppressions do not hide these."""
    code, report = SANITIZER_FAULTS[fault]
    completed = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True,
                               timeout=120)
    assert completed.returncode != 0 and report in completed.stderr, E.abbreviated(completed.stderr)


# Compiling numpy from source with pytest loaded: the interpreter's parser
# keeps two float constants (the sanitizer run reads compiled files from a
# cache of its own so that this does not happen there).
COMPILES_FROM_SOURCE = """
import sys, tempfile
import pytest
sys.pycache_prefix, sys.dont_write_bytecode = tempfile.mkdtemp(), True
import numpy
"""


@pytest.mark.skipif(not SANITIZED, reason="checks the sanitizer run's setup (make test-asan)")
@pytest.mark.parametrize("code, leaks, shown", [
    (SANITIZER_FAULTS["leaked floats"][0], True, "in leak_float"),
    (COMPILES_FROM_SOURCE, False, "_PyPegen_number_token"),
], ids=["ours", "the interpreter's"])
def test_full_stacks_tell_our_leaks_from_the_interpreters(code, leaks, shown):
    """With whole stacks a leak of ours is reported through our frame, and
    the interpreter's is matched by its suppression."""
    env = dict(os.environ)
    env["ASAN_OPTIONS"] += FULL_STACKS
    env["LSAN_OPTIONS"] += FULL_STACKS + ":print_suppressions=1"
    completed = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=300, env=env)
    assert (completed.returncode != 0, shown in completed.stderr) == (leaks, True), E.abbreviated(completed.stderr)
