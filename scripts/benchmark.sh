#!/usr/bin/env bash
# Builds the Linux and Windows programs with their benchmarks and prints every
# measured figure as one table (takes about eight minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset ci >/dev/null
cmake --build --preset ci >/dev/null
cmake --preset mingw >/dev/null
cmake --build --preset mingw >/dev/null
command -v perf >/dev/null || apt-get install -y -q linux-perf >/dev/null 2>&1 || true  # exact CPU time when it can
python3 benchmarks/run_all.py build/ci build/mingw
