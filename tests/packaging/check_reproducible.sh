#!/usr/bin/env bash
# Builds Vornic's packages twice from the same sources and checks that the two
# builds give byte-identical files. The builds differ in everything a user's
# machine may: the folder, the time and the umask.
#   check_reproducible.sh SOURCE_DIR WORK_DIR VERSION DEB_VERSION
# Each build is a fresh clone of SOURCE_DIR's HEAD with its uncommitted
# changes applied, configured with the ci and mingw presets (no tests) and
# packaged with CPack. Prints what differs, with diffoscope where installed.
set -euo pipefail

source_dir=$(cd "$1" && pwd)
work=$2
version=$3
deb_version=$4
arch=$(dpkg --print-architecture)
started=$SECONDS

fail() { echo "FAIL: $*" >&2; exit 1; }

# What users download, and the program itself.
artifacts=(
  "build/ci/vornic_${deb_version}_${arch}.deb"
  "build/ci/SHA256SUMS"
  "build/mingw/Vornic.exe"
  "build/mingw/Vornic-${version}-win64.zip"
  "build/mingw/Vornic-${version}-win64.exe"
  "build/mingw/SHA256SUMS"
)

# Copies the sources as they stand, uncommitted changes included, into a
# clone that keeps HEAD's history (its time is the packages' time).
copy_sources() {
  local dir=$1
  git clone --quiet --shared --no-checkout "$source_dir" "$dir"
  git -C "$dir" checkout --quiet --detach "$(git -C "$source_dir" rev-parse HEAD)"
  git -C "$source_dir" diff --binary HEAD | git -C "$dir" apply --allow-empty --whitespace=nowarn
  git -C "$source_dir" ls-files --others --exclude-standard -z |
    (cd "$source_dir" && xargs -0r cp --parents -t "$dir")
}

# Configures, builds and packages one preset inside a copy.
build_preset() {
  local dir=$1 preset=$2
  (
    cd "$dir"
    cmake --preset "$preset" -DVORNIC_BUILD_TESTS=OFF -DVORNIC_BUILD_BENCHMARKS=OFF
    cmake --build --preset "$preset"
    cd "build/$preset" && cpack --config CPackConfig.cmake
  ) >"$dir/$preset.log" 2>&1 || { tail -n 40 "$dir/$preset.log"; fail "the $preset build in $dir failed"; }
}

build_copy() {
  local dir=$1 mask=$2
  umask "$mask"
  copy_sources "$dir"
  local linux_pid windows_pid
  build_preset "$dir" ci &
  linux_pid=$!
  build_preset "$dir" mingw &
  windows_pid=$!
  local status=0
  wait "$linux_pid" || status=1
  wait "$windows_pid" || status=1
  [ "$status" -eq 0 ] || fail "a build in $dir failed"
  echo "built in $dir (umask $mask) at $(date -u +%T)"
}

if ! git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
  echo "SKIP: $source_dir is not a git checkout"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
unset SOURCE_DATE_EPOCH
first=$work/first/vornic
second=$work/second/elsewhere/src
mkdir -p "$(dirname "$first")" "$(dirname "$second")"
(build_copy "$first" 022)
# Let the clock move on: anything stamped with the time now differs.
sleep 2
(build_copy "$second" 077)

differ=0
for file in "${artifacts[@]}"; do
  if [ ! -f "$first/$file" ] || [ ! -f "$second/$file" ]; then
    differ=1
    echo "MISSING: $file"
  elif cmp -s "$first/$file" "$second/$file"; then
    echo "identical: $file ($(sha256sum "$first/$file" | cut -c1-16))"
  else
    differ=1
    echo "DIFFERENT: $file"
    if command -v diffoscope >/dev/null; then
      diffoscope --text - "$first/$file" "$second/$file" 2>&1 | head -n 300 || true
    else
      cmp -l "$first/$file" "$second/$file" | head -n 40 || true
    fi
  fi
done
echo "two builds took $((SECONDS - started)) s"
[ "$differ" -eq 0 ] || fail "the two builds differ (both kept in $work)"
rm -rf "$work"
echo "PASS: both builds byte-identical"
