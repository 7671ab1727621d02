#!/usr/bin/env bash
# Makes every package of a Vornic release in dist/: the Debian package for
# Debian 12 and the one for Debian 13, each built on its own release (the one
# this machine does not run, in a root of its own: in_debian_root.sh), the
# Windows zip file and installer once, and one SHA256SUMS for them all.
#   make_packages.sh          all of it (needs root, for the other release)
#   make_packages.sh --deb    only this release's Debian package
set -euo pipefail
cd "$(dirname "$0")/.."
dist=dist

# One preset's program and packages, built without tests in a folder of their
# own, so that the test builds' settings stay as they are.
package() {
  local preset=$1 folder=build/package-$1
  cmake --preset "$preset" -B "$folder" -DVORNIC_BUILD_TESTS=OFF -DVORNIC_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$folder"
  (cd "$folder" && cpack --config CPackConfig.cmake >/dev/null)
  find "$folder" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.zip' -o -name '*.exe' ! -name Vornic.exe \) \
    -exec cp -t "$dist" {} +
}

mkdir -p "$dist"
if [ "${1:-}" = --deb ]; then
  bash scripts/setup.sh test
  package ci
  exit 0
fi

rm -rf "$dist"
mkdir -p "$dist"
bash scripts/setup.sh test
package ci
bash scripts/in_debian_root.sh other -- bash scripts/make_packages.sh --deb
package mingw
(cd "$dist" && LC_ALL=C sha256sum -- * >SHA256SUMS)
echo "Packages in $dist:"
cat "$dist/SHA256SUMS"
