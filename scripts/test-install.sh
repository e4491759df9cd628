#!/usr/bin/env bash
# Install korvex with pip into a throw-away venv and check the installed
# package from outside the source tree.  Runs inside the build environment
# (call it through scripts/env.sh).
#
#   0. CMake's raylib search, configure only: with pkg-config and the system
#      directories out of reach, it stops with its one-line message, and it
#      finds raylib under a RAYLIB_ROOT prefix.
#   1. pip install, with PKG_CONFIG_LIBDIR pointing at an empty directory, so
#      CMake cannot use raylib.pc and must find raylib by its header and
#      library; the build log must say so.
#   2. Every extension module imports from the venv's site-packages, and so
#      does the korvex package, whose version must be the project's.
#   3. A small extension module of another project (tests/outside/) is
#      compiled against nothing but korvex.get_include() and the
#      interpreter's headers, imported, and makes and reads a Vector2
#      through the published native table after the size check.  Every
#      published header also compiles on its own.
#
# The venv uses --system-site-packages so that scikit-build-core, cmake and
# ninja come from the system; pip never touches the network (PIP_NO_INDEX).
# KORVEX_PIP_BUILD_DIR, if set, keeps scikit-build-core's CMake tree there so
# repeated runs rebuild incrementally; by default a temporary one is used.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
python=${PYTHON:-python3.14}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvex-install.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT

echo "test-install: venv in $tmp/venv"
"$python" -m venv --system-site-packages "$tmp/venv"

export PIP_NO_INDEX=1 PIP_NO_CACHE_DIR=1 PIP_DISABLE_PIP_VERSION_CHECK=1
unset PYTHONPATH
pip_args=(--no-build-isolation --no-deps)
if [[ -n ${KORVEX_PIP_BUILD_DIR:-} ]]; then
    pip_args+=(--config-settings=build-dir="$KORVEX_PIP_BUILD_DIR")
fi
mkdir "$tmp/no-pkgconfig"

# --- the raylib search ---------------------------------------------------------
# The directories holding the compiler's raylib.h and libraylib.so are hidden
# from CMake's searches, with and without /usr (merged-/usr systems reach
# them both ways).
raylib_header=$(echo '#include <raylib.h>' | g++ -M -x c++ - | grep -o '[^ ]*/raylib\.h' | head -n1)
raylib_library=$(g++ -print-file-name=libraylib.so)
hidden=""
for dir in "$(dirname "$raylib_header")" "$(dirname "$raylib_library")"; do
    dir=$(cd "$dir" && pwd -P)
    hidden+="$dir;${dir#/usr};/usr${dir#/usr};"
done
configure() {  # configure DIR [CMAKE ARGS...]: the configure log on stdout
    local dir=$1
    shift
    PKG_CONFIG_LIBDIR=$tmp/no-pkgconfig cmake -S "$repo" -B "$tmp/$dir" -G Ninja -DKORVEX_BUILD_TESTS=OFF \
        -DCMAKE_IGNORE_PATH="$hidden" "$@" 2>&1
}
if log=$(configure no-raylib); then
    echo "test-install: FAILED: configured without any raylib" >&2
    exit 1
fi
missing='korvex needs raylib >= 6, but neither pkg-config nor a search for raylib.h and libraylib found it;'
grep -F -- "$missing" <<<"$log" || { echo "$log" >&2; echo "test-install: FAILED: no clear message" >&2; exit 1; }
mkdir -p "$tmp/raylib-root/include" "$tmp/raylib-root/lib"
cp "$raylib_header" "$tmp/raylib-root/include/"
cp -P "$(dirname "$raylib_library")"/libraylib.so* "$tmp/raylib-root/lib/"
log=$(configure raylib-root -DRAYLIB_ROOT="$tmp/raylib-root") || { echo "$log" >&2; exit 1; }
grep -E "korvex: raylib [0-9.]+ \($tmp/raylib-root/lib/libraylib\.so\)" <<<"$log" \
    || { echo "$log" >&2; echo "test-install: FAILED: RAYLIB_ROOT not searched" >&2; exit 1; }
rm -rf "$tmp/no-raylib" "$tmp/raylib-root"

echo "test-install: pip install with PKG_CONFIG_LIBDIR=$tmp/no-pkgconfig"
if ! PKG_CONFIG_LIBDIR=$tmp/no-pkgconfig "$tmp/venv/bin/python" -m pip install -v "${pip_args[@]}" "$repo" \
        >"$tmp/pip.log" 2>&1; then
    tail -n 60 "$tmp/pip.log" >&2
    echo "test-install: FAILED: pip install" >&2
    exit 1
fi
# CMake's status line names the library file when raylib was found by path.
if ! grep -E 'korvex: raylib [0-9.]+ \(/' "$tmp/pip.log"; then
    grep 'korvex: raylib' "$tmp/pip.log" >&2 || true
    echo "test-install: FAILED: raylib was not found by its header and library" >&2
    exit 1
fi

# Import from an empty directory, so nothing from the source tree or a build
# directory can stand in for the installed package.
mkdir "$tmp/cwd"
cd "$tmp/cwd"
"$tmp/venv/bin/python" -u - "$repo" <<'EOF'
import importlib
import pathlib
import re
import sys
import sysconfig

src = pathlib.Path(sys.argv[1]) / "src" / "korvex"
site = pathlib.Path(sysconfig.get_path("platlib")).resolve()

# Every directory src/korvex/NAME holding NAME.cpp is an extension module
# that the installed package must provide as korvex.NAME.NAME.
names = sorted(d.name for d in src.iterdir() if (d / f"{d.name}.cpp").is_file())

failures = []

def check(modname):
    try:
        mod = importlib.import_module(modname)
    except Exception as exc:  # report every broken module, not just the first
        failures.append(f"{modname}: {type(exc).__name__}: {exc}")
        return
    where = getattr(mod, "__file__", None) or next(iter(getattr(mod, "__path__", [])), None)
    if where is None or not pathlib.Path(where).resolve().is_relative_to(site):
        failures.append(f"{modname}: imported from {where}, not from {site}")
        return
    print(f"test-install: ok {modname} ({where})")

check("korvex")
import korvex
cmake_lists = (src.parent.parent / "CMakeLists.txt").read_text()
project_version = re.search(r"project\(korvex VERSION ([0-9.]+)", cmake_lists)[1]
if korvex.__version__ != project_version:
    failures.append(f"korvex.__version__ is {korvex.__version__!r}, CMakeLists.txt says {project_version!r}")
for name in names:
    check(f"korvex.{name}")
    check(f"korvex.{name}.{name}")

if failures:
    print("test-install: FAILED", *failures, sep="\n  ", file=sys.stderr)
    sys.exit(1)
print(f"test-install: {len(names)} extension module(s) import from the installed package")
EOF

# --- an outside extension module against the installed headers ---------------
include=$("$tmp/venv/bin/python" -c 'import korvex; print(korvex.get_include())')
py_include=$("$tmp/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("include"))')
suffix=$("$tmp/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
case $include in
    "$tmp"/venv/*) ;;
    *) echo "test-install: FAILED: get_include() is $include, outside the venv" >&2; exit 1 ;;
esac
cxx=(g++ -std=c++20 -Wall -Wextra -Werror -I"$include" -I"$py_include")

headers=$(cd "$include" && find korvex -name '*.hpp' | LC_ALL=C sort)
for header in $headers; do
    printf '#include "%s"\n' "$header" | "${cxx[@]}" -fsyntax-only -x c++ - \
        || { echo "test-install: FAILED: $header does not compile on its own" >&2; exit 1; }
done
echo "test-install: $(wc -w <<<"$headers") published headers compile on their own"

mkdir "$tmp/outside"
"${cxx[@]}" -O2 -fPIC -shared -o "$tmp/outside/korvex_outside$suffix" "$repo/tests/outside/outside.cpp"
cd "$tmp/outside"
"$tmp/venv/bin/python" -u - <<'EOF'
import korvex_outside
from korvex.vector2.vector2 import Vector2

vector, x, y = korvex_outside.make(1.5, -0.1)
assert type(vector) is Vector2, type(vector)
# The table stores single precision: -0.1 comes back as the nearest float.
assert (x, y) == (1.5, -0.10000000149011612), (x, y)
assert vector == Vector2(1.5, -0.1), vector
assert korvex_outside.length(Vector2(3, 4)) == 5.0
try:
    korvex_outside.bind(8)
except ValueError as exc:
    assert "Vector2 is 32 bytes, the header declares 40" in str(exc), exc
else:
    raise AssertionError("a type smaller than its header was accepted")
korvex_outside.bind(0)
print("test-install: ok outside extension made and read", vector)
EOF
