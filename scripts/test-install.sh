#!/usr/bin/env bash
# Install korvex with pip into a throw-away venv and import every extension
# module from outside the source tree.  Runs inside the build environment
# (call it through scripts/env.sh).
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
"$tmp/venv/bin/python" -m pip install "${pip_args[@]}" "$repo"

# Import from an empty directory, so nothing from the source tree or a build
# directory can stand in for the installed package.
mkdir "$tmp/cwd"
cd "$tmp/cwd"
"$tmp/venv/bin/python" -u - "$repo" <<'EOF'
import importlib
import pathlib
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
for name in names:
    check(f"korvex.{name}")
    check(f"korvex.{name}.{name}")

if failures:
    print("test-install: FAILED", *failures, sep="\n  ", file=sys.stderr)
    sys.exit(1)
print(f"test-install: {len(names)} extension module(s) import from the installed package")
EOF
