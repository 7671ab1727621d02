#!/usr/bin/env bash
# Builds everything and runs every test: the Linux program (Qt 6) with its
# unit, whole-program, backend and end-to-end tests, then the Windows program
# cross-built with mingw-w64 and tested under Wine. The unit, whole-program
# and Qt offscreen suites run a second time under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the libFuzzer targets run for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

passed=0
failed=0
failed_suites=()

# Runs one CTest preset; keeps going after a failure so every suite reports.
run_suite() {
  local preset=$1
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
    failed=$((failed + 1))
    failed_suites+=("$preset (build)")
    return
  fi
  echo "=== $preset: test"
  local log
  log=$(mktemp)
  if ctest --preset "$preset" 2>&1 | tee "$log"; [ "${PIPESTATUS[0]}" -ne 0 ]; then
    failed_suites+=("$preset")
  fi
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$summary" ]; then
    local total fails
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
    fails=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
    passed=$((passed + total - fails))
    failed=$((failed + fails))
  fi
  rm -f "$log"
}

run_suite ci
run_suite sanitize
run_suite fuzz
run_suite mingw

echo
if [ ${#failed_suites[@]} -ne 0 ]; then
  echo "Failed: ${failed_suites[*]}"
fi
echo "Vornic: $passed passed, $failed failed"
[ ${#failed_suites[@]} -eq 0 ] && [ "$failed" -eq 0 ]
