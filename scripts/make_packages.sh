#!/usr/bin/env bash
# Makes every package of a Vornic release in dist/: the Debian package for
# Debian 12 and the one for Debian 13, each built on its own release (the one
# this machine does not run, in a root of its own: in_debian_root.sh), the
# Windows zip file and installer once, and one SHA256SUMS for them all.
#   make_packages.sh          all of it (needs root, for the other release)
#   make_packages.sh --deb    only this release's Debian package
# With VORNIC_SIGNING_CERT and VORNIC_SIGNING_KEY naming a code-signing
# certificate and its key, Vornic.exe is signed before it goes into the zip
# file and the installer, and the installer after it is made (CPack does it:
# cmake/PackagingSign.cmake). Without them nothing is signed.
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

# cpack runs in the build folder: the files' names must hold from there.
signing=no
if [ -n "${VORNIC_SIGNING_CERT:-}${VORNIC_SIGNING_KEY:-}" ]; then
  for file in "${VORNIC_SIGNING_CERT:-}" "${VORNIC_SIGNING_KEY:-}" ${VORNIC_SIGNING_PASSWORD_FILE:+"$VORNIC_SIGNING_PASSWORD_FILE"}; do
    [ -f "$file" ] || { echo "Signing needs VORNIC_SIGNING_CERT and VORNIC_SIGNING_KEY to name files; '$file' is none" >&2; exit 2; }
  done
  VORNIC_SIGNING_CERT=$(realpath "$VORNIC_SIGNING_CERT")
  VORNIC_SIGNING_KEY=$(realpath "$VORNIC_SIGNING_KEY")
  [ -z "${VORNIC_SIGNING_PASSWORD_FILE:-}" ] || VORNIC_SIGNING_PASSWORD_FILE=$(realpath "$VORNIC_SIGNING_PASSWORD_FILE")
  export VORNIC_SIGNING_CERT VORNIC_SIGNING_KEY VORNIC_SIGNING_PASSWORD_FILE
  signing=yes
fi
rm -rf "$dist"
mkdir -p "$dist"
bash scripts/setup.sh test
package ci
bash scripts/in_debian_root.sh other -- bash scripts/make_packages.sh --deb
package mingw
if [ "$signing" = yes ]; then
  signer=$(openssl x509 -noout -subject -in "$VORNIC_SIGNING_CERT" 2>/dev/null ||
           openssl x509 -inform DER -noout -subject -in "$VORNIC_SIGNING_CERT")
  echo "Vornic.exe and the installer are signed by $signer"
else
  echo "Nothing is signed: no VORNIC_SIGNING_CERT and VORNIC_SIGNING_KEY"
fi
(cd "$dist" && LC_ALL=C sha256sum -- * >SHA256SUMS)
echo "Packages in $dist:"
cat "$dist/SHA256SUMS"
