#!/usr/bin/env bash
# Runs a command on this source tree inside a root of another Debian release,
# made with debootstrap from the archive that apt uses here, so that one
# machine builds and tests Vornic on Debian 12 and Debian 13 alike.
#
# Usage: in_debian_root.sh RELEASE -- COMMAND [ARGUMENTS...]
#   e.g. in_debian_root.sh trixie -- bash scripts/test.sh
#   RELEASE "other" is the supported release this machine does not run:
#   Debian 13 (trixie) on Debian 12, Debian 12 (bookworm) on Debian 13.
#
# The root is kept between runs (VORNIC_ROOTS, default /var/cache/vornic-roots)
# and its packages are brought up to date each time. Inside it, the tree is
# at /srv/vornic and its build/ is the root's own, so the two releases'
# builds never mix. Every mount is made in a private mount namespace, so none
# outlives the command, whatever happens. Needs root. The root's build/ is
# started afresh for a tree in another folder.
set -euo pipefail

if [ $# -lt 3 ] || [ "$2" != -- ]; then
  echo "usage: $0 RELEASE -- COMMAND [ARGUMENTS...]" >&2
  exit 2
fi
release=$1
shift 2
if [ "$release" = other ]; then
  case "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" in
    bookworm) release=trixie ;;
    trixie) release=bookworm ;;
    *) echo "$0: Vornic is tested on Debian 12 and 13; this machine runs neither" >&2; exit 1 ;;
  esac
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: making and entering a root needs root (try sudo)" >&2
  exit 1
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
roots=${VORNIC_ROOTS:-/var/cache/vornic-roots}
root=$roots/$release
bash "$source_dir/scripts/setup.sh" root

# Nothing may be mounted below a root that is about to be deleted: with /dev
# bound in, deleting it would delete the machine's /dev.
remove_root() {
  if findmnt -rn -o TARGET | grep -q "^$1\(/\|$\)"; then
    echo "$0: $1 has mounts in it; not deleting it" >&2
    exit 1
  fi
  rm -rf --one-file-system "$1"
}

# apt's sources here, with this release's name in place of the host's.
write_sources() {
  local host_release file
  host_release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  rm -f "$1"/etc/apt/sources.list "$1"/etc/apt/sources.list.d/*
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed "s/\b$host_release\b/$release/g" "$file" >"$1$file"
  done
}

# The first URI of apt's sources for Debian's main archive.
archive_uri() {
  cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs: *\([^ ]*\).*/\1/p' | grep -v security | head -n 1 ||
    true
  sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) .*/\2/p' /etc/apt/sources.list 2>/dev/null | grep -v security | head -n 1 ||
    true
}

if [ ! -f "$root/.vornic-root" ]; then
  uri=$(archive_uri | head -n 1)
  [ -n "$uri" ] || { echo "$0: no Debian archive in apt's sources" >&2; exit 1; }
  echo "=== making a $release root in $root from $uri"
  # Made aside and moved in place whole, so that a broken attempt is never used.
  partial=$root.partial
  remove_root "$partial"
  mkdir -p "$roots"
  debootstrap --variant=minbase --include=ca-certificates,git "$release" "$partial" "$uri" >"$roots/$release.log" 2>&1 ||
    { tail -n 30 "$roots/$release.log"; echo "$0: debootstrap failed" >&2; exit 1; }
  write_sources "$partial"
  # No services start inside the root while packages are installed.
  printf '#!/bin/sh\nexit 101\n' >"$partial/usr/sbin/policy-rc.d"
  chmod +x "$partial/usr/sbin/policy-rc.d"
  touch "$partial/.vornic-root"
  remove_root "$root"
  mv "$partial" "$root"
fi
# The root's builds are of one tree at a time: another tree (CI's fresh
# clone, say) starts from none.
builds=$root/var/cache/vornic-build
if [ "$(cat "$builds/.tree" 2>/dev/null)" != "$source_dir" ]; then
  rm -rf --one-file-system "$builds"
fi
mkdir -p "$root/srv/vornic" "$builds" "$source_dir/build"
echo "$source_dir" >"$builds/.tree"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# Inside a private mount namespace: the mounts end with it.
inside=$(cat <<'INSIDE'
set -euo pipefail
root=$1 source_dir=$2
shift 2
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount -t tmpfs tmpfs "$root/dev/shm"
mount -t tmpfs tmpfs "$root/tmp"
mount --bind "$source_dir" "$root/srv/vornic"
mount --bind "$root/var/cache/vornic-build" "$root/srv/vornic/build"
run() {
  chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" DEBIAN_FRONTEND=noninteractive "$@"
}
run bash -c 'apt-get update -q >/dev/null && apt-get -y -q upgrade >/dev/null' ||
  { echo "in_debian_root.sh: could not bring the root's packages up to date" >&2; exit 1; }
status=0
run bash -c 'cd /srv/vornic && exec "$@"' - "$@" || status=$?
# What the command left running inside the root ends with it (not what
# another run in the same root started: that has a namespace of its own).
namespace=$(readlink /proc/self/ns/mnt)
for process in /proc/[0-9]*; do
  [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] &&
    [ "$(readlink "$process/ns/mnt" 2>/dev/null)" = "$namespace" ] && kill -9 "${process#/proc/}" 2>/dev/null || true
done
exit "$status"
INSIDE
)
exec unshare --mount --propagation private -- bash -c "$inside" - "$root" "$source_dir" "$@"
