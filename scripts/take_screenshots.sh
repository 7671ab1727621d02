#!/usr/bin/env bash
# Refreshes the pictures in docs/screenshots: Vornic on Linux in Japanese, in
# English and with its about window; and, when build/mingw/Vornic.exe exists,
# the Windows program under Wine in Japanese and in English.
#
# Everything runs on a private X server (Xvfb, 1024x768, 96 dpi) with the
# openbox window manager, so the pictures do not depend on your desktop.
# The Linux program is built with the run preset if it is out of date;
# the Windows program is used as it is (cmake --build --preset mingw).
#
# Needs Xvfb, openbox, xclip, xdotool, ImageMagick and, for the Windows part,
# wine64 (bash scripts/setup.sh test installs them), and xprop and xwininfo
# (apt-get install x11-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || [ "${VORNIC_PRIVATE_DISPLAY:-}" != "$DISPLAY" ]; then
  exec bash scripts/with_x_server.sh --size 1024x768 --dpi 96 -- bash "$0" "$@"
fi

out=docs/screenshots
windows_program=build/mingw/Vornic.exe
wine_run=cmake/wine-run.sh
sample=$'Vornic はクリップボードの文字数を数えます。\nCopy some text, then press the count button.\n改行は数えません。Line breaks are not counted.'

for tool in Xvfb openbox xclip xdotool xprop xwininfo import convert; do
  command -v "$tool" >/dev/null || { echo "take_screenshots.sh: $tool is missing" >&2; exit 1; }
done

if [ ! -f build/run/CMakeCache.txt ]; then
  cmake --preset run >/dev/null
fi
cmake --build --preset run
linux_program=build/run/Vornic

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

# Polls a command until it succeeds: programs start at their own pace.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    if ((SECONDS > deadline)); then
      echo "take_screenshots.sh: gave up waiting for $what" >&2
      exit 1
    fi
    sleep 0.2
  done
}

# The screen stops changing: two grabs in a row are the same.
settle() {
  local before='' now
  for _ in $(seq 1 50); do
    sleep 0.3
    now=$(import -silent -window root rgb:- | md5sum)
    [ "$now" = "$before" ] && return 0
    before=$now
  done
}

# The screen changes from what it is now, then settles.
after() {
  local before
  before=$(import -silent -window root rgb:- | md5sum)
  "$@"
  for _ in $(seq 1 100); do
    [ "$(import -silent -window root rgb:- | md5sum)" != "$before" ] && break
    sleep 0.2
  done
  settle
}

window_id() {
  xdotool search --onlyvisible --name "^$1\$" | head -n 1
}

# x y width height of a window without its frame. (xdotool getwindowgeometry
# adds the frame's offset twice.)
geometry_of() {
  xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ {x = $2} /Absolute upper-left Y/ {y = $2}
    /Width/ {w = $2} /Height/ {h = $2} END {print x + 0, y + 0, w + 0, h + 0}'
}

# The same with the window manager's frame.
frame_of() {
  local x y w h extents left right top bottom
  read -r x y w h <<<"$(geometry_of "$1")"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
  IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
  echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

# Crops the screen to the smallest box around the given windows' frames.
shoot() {
  local file=$1 x0=100000 y0=100000 x1=0 y1=0 x y w h
  shift
  for id in "$@"; do
    read -r x y w h <<<"$(frame_of "$id")"
    if ((x < x0)); then x0=$x; fi
    if ((y < y0)); then y0=$y; fi
    if ((x + w > x1)); then x1=$((x + w)); fi
    if ((y + h > y1)); then y1=$((y + h)); fi
  done
  import -silent -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage -strip -colors 256 \
    -define png:compression-level=9 "PNG8:$out/$file"
  echo "$out/$file: $(stat -c %s "$out/$file") bytes"
}

# Clicks at a point of a window's own area (menu bar included, frame not).
click_in() {
  xdotool mousemove --window "$1" --sync "$2" "$3" click 1
}

# Height of the menu bar: the window's height less the client area's 4785
# twips (319 pixels at 96 dpi).
menu_height() {
  local x y w h
  read -r x y w h <<<"$(geometry_of "$1")"
  echo $((h - 319))
}

# The count button is the first of the top row; the count shows in the text
# box, which may take a while under Wine: wait for that area to change.
press_count() {
  local id=$1 bar x y w h area before
  bar=$(menu_height "$id")
  read -r x y w h <<<"$(geometry_of "$id")"
  area="$((w - 20))x$((h - bar - 120))+$((x + 10))+$((y + bar + 100))"
  before=$(import -silent -window root -crop "$area" rgb:- | md5sum)
  click_in "$id" 100 $((bar + 12))
  for _ in $(seq 1 300); do
    [ "$(import -silent -window root -crop "$area" rgb:- | md5sum)" != "$before" ] && break
    sleep 0.2
  done
  settle
}

# The menus are Author, then Language, each with its first item just below
# the bar.
choose_menu() {
  local id=$1 x=$2 bar
  bar=$(menu_height "$id")
  after click_in "$id" "$x" $((bar / 2))
  after click_in "$id" $((x + 15)) $((bar + 12))
}
author_x=20
language_x=60

put_on_clipboard() {
  printf '%s' "$sample" | xclip -quiet -selection clipboard -t UTF8_STRING >/dev/null 2>&1 &
  pids+=($!)
  wait_for "xclip to own the clipboard" 10 xclip -o -selection clipboard -t UTF8_STRING
}

mkdir -p "$out"
put_on_clipboard

# Linux.
"$linux_program" >/dev/null 2>&1 &
linux_pid=$!
pids+=("$linux_pid")
wait_for "Vornic on Linux" 30 window_id Vornic
main=$(window_id Vornic)
settle
press_count "$main"
shoot linux-japanese.png "$main"
choose_menu "$main" "$language_x"
shoot linux-english.png "$main"
choose_menu "$main" "$author_x"
wait_for "the about window" 10 window_id Author
settle
shoot linux-about.png "$main" "$(window_id Author)"
kill "$linux_pid"
wait "$linux_pid" 2>/dev/null || true
settle

# Windows, under Wine: its clipboard reads are slow, so allow time.
if [ -f "$windows_program" ] && [ -x /usr/lib/wine/wine64 ]; then
  export VORNIC_WINEPREFIX=${VORNIC_WINEPREFIX:-$PWD/build/screenshots-wineprefix}
  sh "$wine_run" "$windows_program" >/dev/null 2>&1 &
  wine_pid=$!
  pids+=("$wine_pid")
  wait_for "Vornic under Wine" 180 window_id Vornic
  main=$(window_id Vornic)
  settle
  press_count "$main"
  shoot windows-japanese.png "$main"
  choose_menu "$main" "$language_x"
  shoot windows-english.png "$main"
  # The close box ends the program, and wine-run.sh with it.
  xdotool windowactivate --sync "$main" key alt+F4
  wait "$wine_pid" 2>/dev/null || true
else
  echo "take_screenshots.sh: no $windows_program or no Wine: Windows pictures left as they are" >&2
fi
