#!/usr/bin/env bash
# Builds Vornic for Linux (Qt 6) and starts it on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
cmake --preset run >/dev/null
cmake --build --preset run
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Built build/run/Vornic, but there is no display to show it on (DISPLAY is not set)." >&2
  exit 1
fi
exec build/run/Vornic
