#!/usr/bin/env bash
# Run a command in korvex's build/test environment:  scripts/env.sh CMD [ARG...]
# With no command, open an interactive bash there.
#
# Natively, when the host already has CPython 3.14 with its headers and
# raylib >= 6 (found by pkg-config).  Otherwise inside the cached Debian sid
# root (see scripts/sidroot.sh), which is created on first use.
#
# Inside the root, each invocation gets its own private mount namespace, so
# concurrent invocations never see or undo each other's mounts.  The
# repository is bind-mounted at the same absolute path it has on the host, and
# so is /tmp (shared, so Xvfb lock files and temporary build trees are visible
# to everyone).  The working directory is kept when it lies in either of them.
#
# The environment inside the root is clean: HOME=/root, a standard PATH,
# LANG=C.UTF-8, plus CI and TERM if set, plus every variable named in
# KORVEX_PASSENV (space separated).  Pass anything else via `env VAR=...`.
#
# KORVEX_ENV=native or KORVEX_ENV=root forces the choice.
# The command's exit status is passed through.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
repo=$(cd "$here/.." && pwd -P)

native_ok() {
    command -v python3.14 >/dev/null 2>&1 || return 1
    python3.14 -c '
import os, sys, sysconfig
sys.exit(not os.path.isfile(os.path.join(sysconfig.get_path("include"), "Python.h")))
' 2>/dev/null || return 1
    command -v pkg-config >/dev/null 2>&1 || return 1
    pkg-config --atleast-version=6 raylib 2>/dev/null
}

case ${KORVEX_ENV:-auto} in
    native) use_root=0 ;;
    root) use_root=1 ;;
    auto) if native_ok; then use_root=0; else use_root=1; fi ;;
    *) echo "env.sh: KORVEX_ENV must be native, root or auto" >&2; exit 2 ;;
esac

if [[ $use_root -eq 0 ]]; then
    if [[ $# -eq 0 ]]; then
        exec bash -i
    fi
    exec "$@"
fi

if [[ $(id -u) -ne 0 ]]; then
    echo "env.sh: this host lacks CPython 3.14 headers or raylib >= 6, and using" >&2
    echo "        the sid root needs root rights (mount namespace + chroot)" >&2
    exit 1
fi

root=$("$here/sidroot.sh")

cwd=$(pwd -P)
case $cwd/ in
    "$repo"/* | /tmp/*) ;;
    *)
        echo "env.sh: $cwd is not visible inside the sid root; running in $repo" >&2
        cwd=$repo
        ;;
esac

envs=(HOME=/root
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
      LANG=C.UTF-8
      KORVEX_IN_SID_ROOT=1
      debian_chroot=korvex-sid)
for v in CI TERM ${KORVEX_PASSENV:-}; do
    [[ -n ${!v+x} ]] && envs+=("$v=${!v}")
done

if [[ $# -eq 0 ]]; then
    set -- bash -i
fi

# The mounts below are made in a fresh private mount namespace and vanish
# with it; nothing is ever unmounted by hand.
exec unshare --mount --propagation private bash -euc '
root=$1 repo=$2 cwd=$3 nenv=$4
shift 4
envs=("${@:1:nenv}")
shift "$nenv"

mount --rbind /dev "$root/dev"          # brings /dev/pts and /dev/shm along
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --bind /tmp "$root/tmp"
if [[ -f /etc/resolv.conf && -f $root/etc/resolv.conf ]]; then
    mount --bind /etc/resolv.conf "$root/etc/resolv.conf"
fi
mkdir -p "$root$repo"
mount --bind "$repo" "$root$repo" || {
    echo "env.sh: cannot bind-mount $repo into $root" >&2
    exit 1
}

exec chroot "$root" /usr/bin/env -i "${envs[@]}" \
    /bin/bash -c '\''cd "$1" && shift && exec "$@"'\'' env.sh "$cwd" "$@"
' env.sh "$root" "$repo" "$cwd" "${#envs[@]}" "${envs[@]}" "$@"
