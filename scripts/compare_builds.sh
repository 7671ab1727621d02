#!/usr/bin/env bash
# Measures what a change costs: builds an earlier commit and this tree's HEAD
# the same way, each in a folder of its own under build/compare, then takes
# the same figures of both, in turns, and the size of every package.
#   scripts/compare_builds.sh COMMIT [ROUNDS]      (ROUNDS: 3 unless given; 0 only builds)
# Each round runs the count benchmark, idle CPU and start-up on Linux and
# idle CPU under Wine for the earlier build, then for this one (about three
# minutes a build). Run it on a quiet machine: the figures share its cores.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 COMMIT [ROUNDS]" >&2; exit 2; }
rounds=${2:-3}
top=$PWD/build/compare
before=$(git rev-parse --short "$1")
after=$(git rev-parse --short HEAD)
[ "$before" != "$after" ] || { echo "$1 is HEAD: nothing to compare" >&2; exit 2; }
bash scripts/setup.sh test

# The programs, benchmarks and packages of one commit, without tests.
build_commit() {
  local commit=$1 dir=$top/$1 preset benchmarks
  # Kept between runs: a second run only measures.
  [ -d "$dir/src" ] || git clone --quiet --shared --no-checkout . "$dir/src"
  git -C "$dir/src" checkout --quiet --detach "$commit"
  for preset in ci mingw; do
    benchmarks=$([ "$preset" = ci ] && echo ON || echo OFF)  # the Windows figures need only Vornic.exe
    (
      cd "$dir/src"
      cmake --preset "$preset" -B "$dir/$preset" -DVORNIC_BUILD_TESTS=OFF -DVORNIC_BUILD_BENCHMARKS=$benchmarks
      cmake --build "$dir/$preset"
      cd "$dir/$preset" && cpack --config CPackConfig.cmake
    ) >"$dir/$preset.log" 2>&1 || { tail -n 30 "$dir/$preset.log"; echo "building $commit ($preset) failed" >&2; exit 1; }
  done
  echo "built $commit in $dir"
}

build_commit "$before"
build_commit "$after"
for round in $(seq "$rounds"); do
  for commit in "$before" "$after"; do
    echo "== round $round, $commit"
    python3 benchmarks/run_all.py --only count_benchmarks,linux_program,wine_idle \
      "$top/$commit/ci" "$top/$commit/mingw" 2>/dev/null | tee "$top/$commit/figures-$round.md"
  done
done
echo "== sizes in bytes: $before, $after"
for commit in "$before" "$after"; do
  (cd "$top/$commit" && stat -c '%s %n' ci/*.deb mingw/*.zip mingw/Vornic-*.exe) >"$top/$commit/sizes"
done
paste "$top/$before/sizes" "$top/$after/sizes" | awk '{printf "%-32s %9d %9d %+7d\n", $2, $1, $3, $3 - $1}'
