#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with a window manager (openbox),
# so that tests, screenshots and benchmarks never touch the user's display and
# never collide with each other. Everything started here ends with the command.
#
# Usage: with_x_server.sh [--size WxH] [--dpi N] [--no-window-manager] -- command [arguments...]
#
# The command sees DISPLAY set to the private server, no WAYLAND_DISPLAY,
# QT_QPA_PLATFORM=xcb, and VORNIC_PRIVATE_DISPLAY equal to DISPLAY (so that a
# script can tell it already runs on one). Exits with the command's status; a
# signal ends the command and the servers too.
set -euo pipefail

size=1280x1024
dpi=96
window_manager=1
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --no-window-manager) window_manager=0; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--size WxH] [--dpi N] [--no-window-manager] -- command [arguments...]" >&2
  exit 2
fi

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and writes its number into the pipe.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi "$dpi" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r number <"$work/display"
export DISPLAY=":$number" VORNIC_PRIVATE_DISPLAY=":$number"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

if [ "$window_manager" -eq 1 ]; then
  # openbox runs its start-up command once it manages the screen.
  openbox --startup "touch $work/window-manager-ready" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 200); do
    [ -e "$work/window-manager-ready" ] && break
    sleep 0.05
  done
  if [ ! -e "$work/window-manager-ready" ]; then
    echo "with_x_server.sh: openbox did not start" >&2
    exit 1
  fi
fi

# In the background, so that a signal is handled at once (bash runs traps only
# between foreground commands); its standard input stays the caller's.
"$@" <&0 &
pids+=($!)
status=0
wait "$!" || status=$?
exit "$status"
