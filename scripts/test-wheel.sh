#!/usr/bin/env bash
# Check that the wheel in DIST_DIR (default dist/) is self-contained.  Runs in
# the root made from scripts/wheel-test-packages.txt (CPython 3.14, Xvfb,
# Mesa, no raylib or GLFW at all; `make test-wheel` enters it):
#
#   0. the wheel's tag asks no newer glibc than the README promises (2.38);
#   1. the root really has no raylib or GLFW, so nothing but the wheel can
#      provide them;
#   2. pip installs the wheel into a fresh venv, from the file alone;
#   3. every module imports, and every raylib or GLFW mapped into the process
#      lies in the wheel's own korvex.libs/ (read from /proc/self/maps after
#      the imports), as does every one that ldd resolves for each module;
#   4. without a display (as on a host without OpenGL) opening a window, and
#      drawing without one, raise korvex's RuntimeError; nothing crashes;
#   5. the particle demo runs under Xvfb for a few frames and its PNG is not
#      blank.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
dist=${1:-$repo/dist}
python=${PYTHON:-python3.14}

fail() { echo "test-wheel: FAILED: $*" >&2; exit 1; }

wheels=("$dist"/korvex-*.whl)
[[ ${#wheels[@]} -eq 1 && -f ${wheels[0]} ]] || fail "expected one korvex wheel in $dist (make wheel)"
wheel=${wheels[0]}

# The README promises glibc 2.38: a change that needs newer C or C++ runtime
# symbols (auditwheel then computes a later tag) must be seen here.
[[ $(basename "$wheel") =~ -manylinux_2_([0-9]+)_x86_64\.whl$ ]] || fail "$(basename "$wheel") is not a manylinux wheel"
((BASH_REMATCH[1] <= 38)) || fail "$(basename "$wheel") needs glibc 2.${BASH_REMATCH[1]}; the README promises 2.38"

found=$( { ldconfig -p; find /usr /opt /etc \( -name 'libraylib*' -o -name 'libglfw*' \) -print 2>/dev/null; } \
    | grep -E 'libraylib|libglfw' || true)
[[ -z $found ]] || fail "this root has raylib or GLFW of its own: $found"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvex-wheel-test.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT
"$python" -m venv "$tmp/venv"
PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1 "$tmp/venv/bin/python" -m pip install -q "$wheel"
echo "test-wheel: installed $(basename "$wheel")"

# Nothing from the source tree may stand in for the installed package.
mkdir "$tmp/cwd"
cd "$tmp/cwd"
unset PYTHONPATH
"$tmp/venv/bin/python" -u - <<'EOF'
import importlib
import pathlib
import subprocess
import sys

import korvex

package = pathlib.Path(korvex.__file__).resolve().parent
libs = (package.parent / "korvex.libs").resolve()
names = sorted(p.name for p in package.iterdir() if any(p.glob(f"{p.name}.cpython-*.so")))
failures = []
for name in names:
    importlib.import_module(f"korvex.{name}.{name}")
    module = next(package.joinpath(name).glob(f"{name}.cpython-*.so"))
    ldd = subprocess.run(["ldd", module], capture_output=True, text=True, check=True).stdout
    for line in ldd.splitlines():
        if "libraylib" in line or "libglfw" in line:
            path = pathlib.Path(line.split("=>")[1].split()[0]).resolve()
            if path.parent != libs:
                failures.append(f"{name}: ldd resolves {path}")

mapped = {
    pathlib.Path(line.split()[-1]).resolve()
    for line in open("/proc/self/maps")
    if "libraylib" in line or "libglfw" in line
}
if not mapped:
    failures.append("no raylib mapped after importing every module")
failures += [f"mapped from outside the wheel: {path}" for path in mapped if path.parent != libs]
if failures:
    sys.exit("test-wheel: FAILED\n  " + "\n  ".join(failures))
print(f"test-wheel: {len(names)} modules import; raylib and GLFW come from {libs}:")
for path in sorted(mapped):
    print(f"test-wheel:   {path.name}")
EOF

# No display: raylib cannot open a window, and korvex says so.
env -u DISPLAY -u WAYLAND_DISPLAY "$tmp/venv/bin/python" - <<'EOF'
from korvex.window.window import init_window, is_window_ready
from korvex.draw.draw import draw_pixel_v
for attempt in (init_window, lambda *_: draw_pixel_v((1, 1), (255, 0, 0))):
    try:
        attempt(64, 64, "no display")
    except RuntimeError as exc:
        print(f"test-wheel: without a display: RuntimeError: {exc}")
    else:
        raise SystemExit("test-wheel: FAILED: a window without a display")
assert not is_window_ready()
EOF

mkdir -m 700 "$tmp/xdg-runtime"
XDG_RUNTIME_DIR=$tmp/xdg-runtime xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1280x1024x24 -nolisten tcp" \
    "$tmp/venv/bin/python" "$repo/examples/particles.py" --particles 500 --frames 30 --out "$tmp/particles.png"
"$tmp/venv/bin/python" - "$tmp/particles.png" <<'EOF'
import struct
import sys
import zlib

def pixels(path):
    """The RGB(A) rows of an 8-bit, non-interlaced PNG, unfiltered."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.setdefault(kind, []).append(data[pos + 8:pos + 8 + length])
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"][0])
    assert depth == 8 and colour in (2, 6) and not interlace, (depth, colour, interlace)
    size = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(chunks[b"IDAT"]))
    stride = width * size
    previous = bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - size] if i >= size else 0
            b = previous[i]
            c = previous[i - size] if i >= size else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        yield width, size, bytes(line)
        previous = line

colours = set()
for width, size, line in pixels(sys.argv[1]):
    colours.update(line[i:i + 3] for i in range(0, width * size, size))
if len(colours) < 16:
    sys.exit(f"test-wheel: FAILED: the demo's PNG has {len(colours)} colours, it looks blank")
print(f"test-wheel: the demo drew {sys.argv[1]} with {len(colours)} colours")
EOF
echo "test-wheel: ok"
