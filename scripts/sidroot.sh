#!/usr/bin/env bash
# Ensure the Debian sid root used to build and test korvex exists, and print
# its path on stdout (progress goes to stderr).  KORVEX_SID_PACKAGES names
# another package list, for another root (scripts/wheel-test-packages.txt:
# the root without raylib that checks the wheel).
#
# The root lives outside the repository, in $KORVEX_CACHE (default
# /var/cache/korvex), under sid-<key>, where <key> is a hash of the package
# list in scripts/sid-packages.txt plus the recipe version below.  Changing the
# list therefore yields a new root; an unchanged list reuses the cached one.
#
# Concurrency: callers serialise on a per-key flock, the root is built in a
# temporary directory next to the final one and renamed into place only once
# complete, so a root that exists under its final name is always whole.
#
# Needs root rights (mmdebstrap in root mode).  Installs mmdebstrap on the host
# when it is missing.  The mirror is taken from the host's apt sources unless
# KORVEX_MIRROR is set.
set -euo pipefail

# Bump when the way the root is made changes (not the package list), so that
# cached roots made the old way are not reused.
RECIPE_VERSION=3

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pkgfile=${KORVEX_SID_PACKAGES:-$here/sid-packages.txt}
cache=${KORVEX_CACHE:-/var/cache/korvex}

log() { printf 'sidroot: %s\n' "$*" >&2; }
die() { log "error: $*"; exit 1; }

[[ -r $pkgfile ]] || die "package list $pkgfile not readable"

# Package names: comments and blank lines dropped, sorted, unique.
packages=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$pkgfile" | grep -v '^$' | LC_ALL=C sort -u)
[[ -n $packages ]] || die "package list $pkgfile is empty"
key=$( { echo "recipe=$RECIPE_VERSION"; echo "$packages"; } | sha256sum | cut -c1-16)
root=$cache/sid-$key

# Fast path: a root under its final name is complete.
if [[ -d $root ]]; then
    echo "$root"
    exit 0
fi

[[ $(id -u) -eq 0 ]] || die "building the sid root needs root rights (mmdebstrap + chroot)"

# First URI of the main Debian archive in the host's apt configuration:
# deb822 *.sources files first, then one-line sources.list files.  Commented
# lines are ignored, as are -security suites and deb-src entries.  Among the
# remaining entries, one whose URI ends in /debian is preferred.
find_mirror() {
    local candidates=""
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -r $f ]] || continue
        candidates+=$(awk '
            function flush() {
                if (uris != "" && types ~ /(^|[ \t])deb([ \t]|$)/ &&
                    suites != "" && suites !~ /-security/ && enabled !~ /^[Nn]o/) {
                    split(uris, u, /[ \t]+/); print u[1]
                }
                uris = ""; suites = ""; types = ""; enabled = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            { line = $0; field = tolower(line); sub(/:.*/, "", field)
              sub(/^[^:]*:[ \t]*/, "", line); sub(/[ \t]+$/, "", line) }
            field == "uris"    { uris = line }
            field == "suites"  { suites = line }
            field == "types"   { types = line }
            field == "enabled" { enabled = line }
            END { flush() }
        ' "$f")$'\n'
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -r $f ]] || continue
        candidates+=$(awk '
            /^[ \t]*#/ { next }
            $1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                uri = $i; suite = $(i + 1)
                if (uri != "" && suite !~ /-security/) print uri
            }
        ' "$f")$'\n'
    done
    candidates=$(grep -v '^$' <<<"$candidates" || true)
    [[ -n $candidates ]] || return 1
    grep -m1 -E '/debian/?$' <<<"$candidates" || head -n1 <<<"$candidates"
}

ensure_mmdebstrap() {
    command -v mmdebstrap >/dev/null 2>&1 && return 0
    log "installing mmdebstrap on the host"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update >&2
    apt-get install -y mmdebstrap >&2
}

# Remove a directory tree, but never one that still has something mounted
# below it (rm would otherwise walk into e.g. a bind-mounted /dev).
safe_rm() {
    local dir=$1
    [[ -e $dir ]] || return 0
    if awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
        log "not removing $dir: something is mounted below it"
        return 1
    fi
    rm -rf --one-file-system -- "$dir"
}

mkdir -p "$cache"
exec 9>"$cache/sid-$key.lock"
log "waiting for lock $cache/sid-$key.lock"
flock 9

# Someone else may have finished the build while we waited.
if [[ -d $root ]]; then
    echo "$root"
    exit 0
fi

# Leftovers of an interrupted build of this key (we hold the lock, so no one
# is working in them).
for stale in "$cache"/.sid-"$key".tmp.*; do
    [[ -e $stale ]] && { log "removing stale $stale"; safe_rm "$stale" || true; }
done

ensure_mmdebstrap
mirror=${KORVEX_MIRROR:-$(find_mirror || true)}
[[ -n $mirror ]] || die "no Debian mirror found in /etc/apt/sources.list{,.d/} (set KORVEX_MIRROR)"

tmp=$(mktemp -d "$cache/.sid-$key.tmp.XXXXXX")
trap 'safe_rm "$tmp" || true' EXIT

log "building sid root $root from $mirror"
log "packages: $(tr '\n' ' ' <<<"$packages")"
start=$SECONDS
# mmdebstrap mounts /dev, /proc, ... inside the target while it works; doing
# that in a private mount namespace guarantees nothing stays mounted if it is
# interrupted.  Check-Valid-Until is off because the mirror may be a snapshot
# whose Release files have expired.
unshare --mount --propagation private \
    mmdebstrap --mode=root --variant=apt \
        --aptopt='Acquire::Check-Valid-Until "false"' \
        --include="$(paste -sd, <<<"$packages")" \
        sid "$tmp" "$mirror" >&2 \
    || die "mmdebstrap failed (a package in $pkgfile may not exist in sid)"

# Keep apt inside the root usable later with the same mirror.
printf 'Acquire::Check-Valid-Until "false";\n' >"$tmp/etc/apt/apt.conf.d/99no-check-valid-until"
printf '%s\n' "$packages" >"$tmp/etc/korvex-sid-packages"

# The build root must have the interpreter and raylib's header; a root from
# another list (the wheel's test root has no raylib) the interpreter only.
required=(usr/bin/python3.14)
grep -qx libraylib-dev <<<"$packages" && required+=(usr/include/raylib.h)
for f in "${required[@]}"; do
    [[ -e $tmp/$f ]] || die "root is missing /$f"
done

mv -T -- "$tmp" "$root"
trap - EXIT
log "sid root ready after $((SECONDS - start)) s: $root"
echo "$root"
