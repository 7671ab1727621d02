#!/usr/bin/env bash
# Runs one fuzz target for a bounded time. The seeds in the tree are only
# read: new inputs go to a working corpus in the build folder, and crash
# files next to it.
#   run_fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
