"""RenderTexture (korvex.canvas.canvas): loading, texture mode, unloading, the
native table, and the raylib faults that must not take the interpreter down."""

import ctypes
import gc
import sys

import pytest

from korvex.canvas.canvas import RenderTexture
from korvex.texture.texture import Texture

import korvex_consumer as consumer
from support import native_table, no_new_attribute, not_writable, raises_exactly, refuses_pickling, struct_refusal

NO_WINDOW = "cannot {} texture mode: no raylib window is ready"
UNLOADED_FBO = "FBO: [ID {}] Unloaded framebuffer from VRAM (GPU)"


def unloaded_framebuffers(run):
    return sum("Unloaded framebuffer from VRAM" in line for line in run.stdout.splitlines())


# --- with a window ---------------------------------------------------------------


@pytest.fixture
def rt(window):
    target = RenderTexture(64, 32)
    yield target
    target.unload()


def test_load_exposes_the_framebuffer_and_non_owning_textures(rt):
    assert rt.valid is True
    assert type(rt.id) is int and rt.id > 0
    raw_id, colour, depth = consumer.canvas_raw(rt)
    assert raw_id == rt.id
    assert type(rt.texture) is Texture and type(rt.depth) is Texture
    assert (rt.texture.id, rt.texture.width, rt.texture.height, rt.texture.mipmaps, rt.texture.format) == colour
    assert (rt.depth.id, rt.depth.width, rt.depth.height, rt.depth.mipmaps, rt.depth.format) == depth
    assert (colour[1], colour[2]) == (64, 32) and colour[0] > 0
    assert rt.texture.is_owner is False and rt.depth.is_owner is False
    assert rt.texture is rt.texture and rt.depth is rt.depth


@pytest.mark.parametrize(
    "args, kwargs, size",
    [((64.9, 32.2), {}, (64, 32)), ((), {"width": 16, "height": 8}, (16, 8)), ((True, 3), {}, (1, 3))],
)
def test_constructor_converts_by_the_int_rule(window, args, kwargs, size):
    target = RenderTexture(*args, **kwargs)
    assert (target.texture.width, target.texture.height) == size
    target.unload()


@pytest.mark.parametrize(
    "args, kwargs, error, message",
    [
        ((1,), {}, TypeError, "__init__() takes exactly 2 positional arguments (1 given)"),
        ((1, 2, 3), {}, TypeError, "__init__() takes exactly 2 positional arguments (3 given)"),
        ((1,), {"width": 2}, TypeError, "__init__() got multiple values for keyword argument 'width'"),
        ((1, 2), {"depth": 2}, TypeError, "__init__() got an unexpected keyword argument 'depth'"),
        (("64", 2), {}, TypeError, "an integer is required"),
        ((None, 2), {}, TypeError, "an integer is required"),
        ((2**31, 2), {}, OverflowError, "value too large to convert to int"),
        ((2, -(2**31) - 1), {}, OverflowError, "value too large to convert to int"),
        ((float("nan"), 2), {}, ValueError, "cannot convert float NaN to integer"),
    ],
)
def test_constructor_errors(args, kwargs, error, message):
    with raises_exactly(error, message):
        RenderTexture(*args, **kwargs)


def test_int_conversion_failure_propagates():
    class Bad:
        def __int__(self):
            raise ZeroDivisionError("from __int__")

    with raises_exactly(ZeroDivisionError, "from __int__"):
        RenderTexture(4, Bad())


@pytest.mark.parametrize("width, height", [(32769, 4), (4, 2**30), (2**31 - 1, 2**31 - 1)])
def test_sizes_past_any_gl_limit_are_refused_before_raylib(width, height):
    rt = RenderTexture.__new__(RenderTexture)
    with raises_exactly(ValueError, f"render texture size {width} by {height} exceeds the largest side of 32768"):
        rt.__init__(width, height)
    assert rt.texture is None and rt.id == 0
    with raises_exactly(ValueError, f"render texture size {width} by {height} exceeds the largest side of 32768"):
        consumer.canvas_new(width, height)


def test_object_made_without_init_is_empty():
    target = RenderTexture.__new__(RenderTexture)
    assert target.texture is None and target.depth is None
    assert target.id == 0 and target.valid is False
    target.unload()  # nothing loaded: nothing to do
    assert consumer.canvas_raw(target) == (0, (0, 0, 0, 0, 0), (0, 0, 0, 0, 0))


def test_context_manager_gives_the_object_and_propagates_exceptions(rt):
    with rt as inside:
        assert inside is rt
    with raises_exactly(KeyError, "'inside'"):
        with rt:
            raise KeyError("inside")
    assert rt.__exit__(None, None, None) is False
    assert rt.__exit__(exc_type=None, exc_val=None, exc_tb=None) is False


@pytest.mark.parametrize(
    "name, args, message",
    [
        ("begin", (1,), "begin() takes exactly 0 positional arguments (1 given)"),
        ("end", (1,), "end() takes exactly 0 positional arguments (1 given)"),
        ("unload", (1,), "unload() takes exactly 0 positional arguments (1 given)"),
        ("__enter__", (1,), "__enter__() takes exactly 0 positional arguments (1 given)"),
        ("__exit__", (1,), "__exit__() takes exactly 3 positional arguments (1 given)"),
    ],
)
def test_method_argument_counts(rt, name, args, message):
    with raises_exactly(TypeError, message):
        getattr(rt, name)(*args)


def test_begin_and_end_return_none(rt):
    assert rt.begin() is None
    assert rt.end() is None


def test_unload_forgets_the_framebuffer(window):
    target = RenderTexture(8, 8)
    target.unload()
    assert target.valid is False and target.id == 0
    assert consumer.canvas_raw(target) == (0, (0, 0, 0, 0, 0), (0, 0, 0, 0, 0))
    target.unload()
    assert target.id == 0


@pytest.mark.parametrize("attribute", ["id", "texture", "depth", "valid"])
def test_properties_are_read_only(rt, attribute):
    with raises_exactly(AttributeError, not_writable("korvex.canvas.canvas.RenderTexture", attribute)):
        setattr(rt, attribute, 1)


def test_no_instance_dict_and_collector_tracked(rt):
    assert not hasattr(rt, "__dict__")
    with raises_exactly(AttributeError, no_new_attribute("korvex.canvas.canvas.RenderTexture", "extra")):
        rt.extra = 1
    assert gc.is_tracked(rt)
    assert RenderTexture.__doc__ is None


def test_pickling_refused(rt):
    refuses_pickling(rt, struct_refusal("_raw"))


# --- unload consults `valid` --------------------------------------------------------------


def test_unload_skips_when_valid_is_overridden_false(window):
    class Never(RenderTexture):
        @property
        def valid(self):
            return False

    target = Never(8, 8)
    framebuffer = target.id
    target.unload()
    assert target.id == framebuffer and target.texture.id > 0
    # Release it through the base type's view of `valid`.
    Never.valid = property(lambda self: RenderTexture.valid.__get__(self))
    target.unload()
    assert target.id == 0


def test_failing_valid_propagates_from_unload_and_slot(window):
    class Failing(RenderTexture):
        fail = True

        @property
        def valid(self):
            if self.fail:
                raise LookupError("no validity")
            return RenderTexture.valid.__get__(self)

    target = Failing(8, 8)
    with raises_exactly(LookupError, "no validity"):
        target.unload()
    with raises_exactly(LookupError, "no validity"):
        consumer.canvas_unload(target)
    Failing.fail = False
    consumer.canvas_unload(target)
    assert target.id == 0


def test_dealloc_reports_a_failing_unload_as_unraisable(window, monkeypatch):
    seen = []
    # Keeping the hook's argument would keep the traceback, and through it the
    # object, alive.
    monkeypatch.setattr(sys, "unraisablehook", lambda args: seen.append((args.object, args.exc_type)))

    class Failing(RenderTexture):
        @property
        def valid(self):
            raise LookupError("no validity")

    target = Failing(8, 8)
    texture = target.texture
    held = sys.getrefcount(texture)
    del target
    gc.collect()
    assert seen == [("korvex.canvas.canvas.RenderTexture.__dealloc__", LookupError)]
    assert sys.getrefcount(texture) == held - 1  # released despite the failure


def test_valid_that_keeps_the_object_alive_at_dealloc(window):
    kept = []

    class Clinging(RenderTexture):
        @property
        def valid(self):
            kept.append(self)
            return RenderTexture.valid.__get__(self)

    type_refs = sys.getrefcount(Clinging)
    target = Clinging(8, 8)
    del target
    gc.collect()
    assert len(kept) == 1
    survivor = kept.pop()
    assert type(survivor) is Clinging and survivor.id == 0 and gc.is_tracked(survivor)
    del survivor
    gc.collect()
    assert sys.getrefcount(Clinging) == type_refs


def test_collector_clears_cycles(window):
    class Node(RenderTexture):
        pass

    target = Node(8, 8)
    target.me = target
    texture = target.texture
    held = sys.getrefcount(texture)
    del target
    gc.collect()
    assert sys.getrefcount(texture) == held - 1


# --- the native table ---------------------------------------------------------------


def test_pyx_new_loads_like_the_constructor(window):
    target = consumer.canvas_new(32, 16)
    plain = RenderTexture(32, 16)
    assert type(target) is RenderTexture and target.valid
    assert (target.texture.width, target.texture.height) == (32, 16)
    assert sys.getrefcount(target) == sys.getrefcount(plain)
    plain.unload()
    consumer.canvas_unload(target)
    assert target.id == 0 and not target.valid


class Recording(RenderTexture):
    def __init__(self, *args):
        super().__init__(*args)
        self.calls = []

    def begin(self):
        self.calls.append("begin")
        return "ignored"

    def end(self):
        self.calls.append("end")


@pytest.mark.parametrize("name", ["begin", "end"])
def test_slot_calls_override_with_flag_0(window, name):
    target = Recording(8, 8)
    slot = getattr(consumer, f"canvas_{name}")
    assert slot(target, 0) is None
    assert target.calls == [name]
    # With the flag set the slot runs its own body, never the override.
    consumer.canvas_begin(target, 1)
    consumer.canvas_end(target, 1)
    assert target.calls == [name]
    target.unload()


class FailingBegin(RenderTexture):
    def begin(self):
        raise ArithmeticError("override failed")


class HiddenEnd(RenderTexture):
    def __getattribute__(self, name):
        if name == "end":
            raise AttributeError("end is hidden")
        return super().__getattribute__(name)


# A failing override, or a failing look-up of it, is the slot's failure; with
# the flag set the slot runs its own body.
@pytest.mark.parametrize(
    "cls, slot, error, message",
    [(FailingBegin, "begin", ArithmeticError, "override failed"), (HiddenEnd, "end", AttributeError, "end is hidden")],
)
def test_slot_reports_a_failing_override_or_lookup(window, cls, slot, error, message):
    target = cls(8, 8)
    with raises_exactly(error, message):
        getattr(consumer, f"canvas_{slot}")(target, 0)
    consumer.canvas_begin(target, 1)
    consumer.canvas_end(target, 1)
    target.unload()


class Plain(RenderTexture):
    pass


@pytest.mark.parametrize("cls", [RenderTexture, Plain])
def test_slot_without_override_runs_its_body(window, cls):
    target = cls(8, 8)
    window.rlGetActiveFramebuffer.restype = ctypes.c_uint
    consumer.canvas_begin(target, 0)
    assert window.rlGetActiveFramebuffer() == target.id != 0
    consumer.canvas_end(target, 0)
    assert window.rlGetActiveFramebuffer() == 0
    target.unload()


def test_texture_pyx_new_options(window):
    def made(count, is_owner):
        texture = consumer.canvas_texture_new(0, 4, 2, 1, 7, count, is_owner)
        return (texture.id, texture.width, texture.height, texture.mipmaps, texture.format, texture.is_owner)

    assert made(1, 0) == (0, 4, 2, 1, 7, False)
    assert made(1, 5) == (0, 4, 2, 1, 7, True)
    # Without the optional argument a Texture does not own what it describes.
    assert made(0, 1) == (0, 4, 2, 1, 7, False)
    assert made(-1, 1) == (0, 4, 2, 1, 7, False)
    big = consumer.canvas_texture_new(2**32 - 1, 0, 0, 0, 0, 1, 0)
    assert big.id == 2**32 - 1


# --- faults of raylib, each in its own interpreter -----------------------------------


@pytest.mark.parametrize(
    "call, action",
    [
        ("target.begin()", "begin"),
        ("target.end()", "end"),
        ("target.__enter__()", "begin"),
        ("target.__exit__(None, None, None)", "end"),
        ("consumer.canvas_begin(target, 1)", "begin"),
        ("consumer.canvas_end(target, 0)", "end"),
    ],
)
@pytest.mark.parametrize("window_state", ["never opened", "closed"])
def test_texture_mode_without_window_raises(run_python, call, action, window_state):
    run = run_python(f"""
        from korvex.canvas.canvas import RenderTexture
        import korvex_consumer as consumer
        if {window_state == "closed"}:
            open_window()
            target = RenderTexture(8, 8)
            close_window()
        else:
            target = RenderTexture(8, 8)
        try:
            {call}
        except RuntimeError as exc:
            result(str(exc))
    """)
    assert run.results == [NO_WINDOW.format(action)]


def test_with_block_without_window_raises(run_python):
    run = run_python("""
        from korvex.canvas.canvas import RenderTexture
        try:
            with RenderTexture(8, 8):
                result("entered")
        except RuntimeError as exc:
            result(str(exc))
    """)
    assert run.results == [NO_WINDOW.format("begin")]


def test_load_without_window_gives_an_invalid_render_texture(run_python):
    run = run_python("""
        from korvex.canvas.canvas import RenderTexture
        target = RenderTexture(64, 32)
        result((target.id, target.valid, target.texture.id, target.depth.id))
        target.unload()
        result(target.id)
    """)
    assert run.results == [(0, False, 0, 0), 0]


@pytest.mark.parametrize(
    "release, after",
    [
        ("target.unload()", [(0, False)]),
        ("consumer.canvas_unload(target)", [(0, False)]),
        ("del target", []),
        ("pass  # released at interpreter exit", [(1, True)]),
    ],
)
def test_unload_after_window_closed_skips_raylib(run_python, release, after):
    run = run_python(f"""
        from korvex.canvas.canvas import RenderTexture
        import korvex_consumer as consumer
        open_window()
        target = RenderTexture(64, 32)
        close_window()
        result(target.valid)  # raylib still calls it valid
        {release}
        if "target" in globals():
            result((min(target.id, 1), target.valid))
    """)
    assert run.results == [True] + after


def test_dealloc_at_exit_with_window_open(run_python):
    run = run_python("""
        from korvex.canvas.canvas import RenderTexture
        open_window()
        target = RenderTexture(64, 32)
        result(target.valid)
    """)
    assert run.results == [True]


def test_each_framebuffer_is_unloaded_once(run_python):
    run = run_python(
        """
        from korvex.canvas.canvas import RenderTexture
        open_window()
        target = RenderTexture(16, 8)
        first = target.id
        target.__init__(4, 4)   # unloads the first framebuffer
        result((first, target.id, target.texture.width))
        target.unload()
        target.unload()
        del target
        close_window()
        """,
        log_level=3,
    )
    first, second, width = run.results[0]
    assert width == 4
    assert unloaded_framebuffers(run) == 2
    assert UNLOADED_FBO.format(first) in run.stdout and UNLOADED_FBO.format(second) in run.stdout


def test_native_table_slot_order_from_the_capsule(window):
    # Checked from the published capsule alone, independently of the
    # declaration header that the consuming modules compile against.
    table = native_table(RenderTexture, 4)
    P, I = ctypes.py_object, ctypes.c_int
    new = ctypes.PYFUNCTYPE(P, I, I)(table[0])
    unload = ctypes.PYFUNCTYPE(None, P)(table[1])
    begin = ctypes.PYFUNCTYPE(None, P, I)(table[2])
    end = ctypes.PYFUNCTYPE(None, P, I)(table[3])

    rt = new(16, 8)
    assert type(rt) is RenderTexture and rt.valid and rt.texture.width == 16 and rt.texture.height == 8
    assert ctypes.c_void_p.from_address(id(rt) + object.__basicsize__).value == ctypes.addressof(table)
    unload(rt)
    assert not rt.valid and rt.id == 0

    calls = []

    class Recording(RenderTexture):
        def begin(self):
            calls.append("begin")

        def end(self):
            calls.append("end")

    r = Recording.__new__(Recording)
    begin(r, 0)
    end(r, 0)
    assert calls == ["begin", "end"]
