#!/usr/bin/env bash
# Build korvex's self-contained wheel into DIST_DIR (default dist/):
#
#   1. pip builds the plain linux_x86_64 wheel from the source tree, with the
#      build tools of the environment (no network, no build isolation);
#   2. auditwheel repairs it for the manylinux platform it computes (the
#      newest glibc symbol version the modules and their libraries need): it
#      copies every library outside the manylinux policy (raylib, GLFW) into
#      korvex.libs/ and points each module at that one copy, so all modules
#      share one raylib, as the window and the resources it owns require;
#   3. the copyright and licence file of the Debian package of each bundled
#      library goes into the wheel, under .dist-info/licenses/<package>/.
#
# Runs inside the build environment (call it through scripts/env.sh, as
# `make wheel` does).  WHEEL_BUILD_DIR, if set, keeps scikit-build-core's
# CMake tree there so that repeated runs rebuild incrementally.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
dist=${1:-$repo/dist}
python=${PYTHON:-python3.14}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvex-wheel.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT

export PIP_NO_INDEX=1 PIP_NO_CACHE_DIR=1 PIP_DISABLE_PIP_VERSION_CHECK=1
pip_args=(--no-build-isolation --no-deps)
if [[ -n ${WHEEL_BUILD_DIR:-} ]]; then
    pip_args+=(--config-settings=build-dir="$WHEEL_BUILD_DIR")
fi

echo "wheel: building from $repo"
"$python" -m pip wheel -q "${pip_args[@]}" -w "$tmp/plain" "$repo"
plain=$(echo "$tmp"/plain/korvex-*.whl)

echo "wheel: repairing $(basename "$plain")"
auditwheel repair -w "$tmp/repaired" "$plain"
repaired=$(echo "$tmp"/repaired/korvex-*.whl)

# Which Debian package each bundled library came from: auditwheel names its
# copy <soname stem>-<hash>.so..., and the original is what the modules
# resolve that stem to in this environment.
"$python" -m wheel unpack -d "$tmp/unpacked" "$repaired" >/dev/null
tree=$(echo "$tmp"/unpacked/korvex-*)
mkdir "$tmp/modules"
(cd "$tmp/modules" && "$python" -m zipfile -e "$plain" .)
resolved=$(find "$tmp/modules" -name '*.so' -exec ldd {} + | awk '$2 == "=>" && $3 ~ /^\// { print $3 }' | sort -u)
dist_info=$(echo "$tree"/korvex-*.dist-info)
for copy in "$tree"/korvex.libs/*; do
    stem=$(basename "$copy" | sed -E 's/-[0-9a-f]{8}\.so.*$//')
    original=$(grep -m1 "/$stem\.so" <<<"$resolved") || {
        echo "wheel: FAILED: cannot tell where the bundled $(basename "$copy") came from" >&2
        exit 1
    }
    package=$(dpkg -S "$(readlink -f "$original")" | head -n1 | cut -d: -f1)
    mkdir -p "$dist_info/licenses/$package"
    cp "/usr/share/doc/$package/copyright" "$dist_info/licenses/$package/copyright"
    echo "wheel: bundles $(basename "$copy") from $package ($(readlink -f "$original"))"
done

mkdir -p "$dist"
rm -f "$dist"/korvex-*.whl
"$python" -m wheel pack -d "$dist" "$tree" >/dev/null
wheel=$(echo "$dist"/korvex-*.whl)
echo "wheel: $wheel ($(du -k "$wheel" | cut -f1) KiB)"
