#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with a window manager (openbox),
# so that tests, screenshots and benchmarks never touch the user's display and
# never collide with each other. Everything started here ends with the command.
#
# Usage: with_x_server.sh [--size WxH] [--dpi N] [--no-window-manager] -- command [arguments...]
#        with_x_server.sh --compositor mutter|kwin|sway [--native] [--clipboard-manager] [--size WxH] -- command [arguments...]
#
# The command sees DISPLAY set to the private server, no WAYLAND_DISPLAY,
# QT_QPA_PLATFORM=xcb, and VORNIC_PRIVATE_DISPLAY equal to DISPLAY (so that a
# script can tell it already runs on one). Exits with the command's status; a
# signal ends the command and the servers too.
#
# With --compositor, the server is instead a headless Wayland compositor with
# XWayland, in a private XDG_RUNTIME_DIR and network namespace (X servers also
# listen on abstract sockets, which a Debian root shares with the host). The
# command also sees WAYLAND_DISPLAY, XAUTHORITY if needed, VORNIC_COMPOSITOR,
# QT_QPA_PLATFORM=xcb (wayland with --native) and, where the compositor has a
# keyboard that reaches both Wayland and XWayland windows (mutter, sway),
# VORNIC_KEYBOARD: a FIFO taking one evdev key code a line (15 Tab, 57 Space,
# 28 Enter), pressed and released in the focused window.
#
# With --clipboard-manager, the desktop's own runs too, at its defaults and
# with a history of its own: Klipper natively on KWin (on its own, or in
# Plasma's shell where it is no program of its own), GPaste's daemon on
# mutter (through XWayland, as GNOME starts it). The command sees
# VORNIC_CLIPBOARD_MANAGER=klipper|gpaste once it keeps what is copied.
set -euo pipefail

arguments=("$@")
size=1280x1024
dpi=96
window_manager=1
compositor=
native=0
manager=0
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --no-window-manager) window_manager=0; shift ;;
    --compositor) compositor=$2; shift 2 ;;
    --native) native=1; shift ;;
    --clipboard-manager) manager=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
case $compositor in
  '' | mutter | kwin | sway) ;;
  *) set -- ;;
esac
[ "$manager" -eq 0 ] || [ "$compositor" = mutter ] || [ "$compositor" = kwin ] || set --
if [ $# -eq 0 ]; then
  echo "usage: $0 [--size WxH] [--dpi N] [--no-window-manager] -- command [arguments...]" >&2
  echo "       $0 --compositor mutter|kwin|sway [--native] [--clipboard-manager] [--size WxH] -- command [arguments...]" >&2
  exit 2
fi
if [ -n "$compositor" ] && [ -z "${VORNIC_OWN_NETWORK:-}" ] && unshare --net true 2>/dev/null; then
  VORNIC_OWN_NETWORK=1 exec unshare --net "$0" "${arguments[@]}"
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

# Waits up to 30 s for a condition (Plasma's shell is slow to start on a
# loaded machine), else shows the compositor's log and fails.
wait_until() {
  for _ in $(seq 1 600); do
    "$@" >/dev/null 2>&1 && return
    sleep 0.05
  done
  echo "with_x_server.sh: $compositor or its clipboard manager did not start" >&2
  cat "$work/log" "$work/manager.log" >&2 2>/dev/null || true
  exit 1
}

start_compositor() {
  [ -z "${VORNIC_OWN_NETWORK:-}" ] || ip link set lo up
  [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
  export XDG_RUNTIME_DIR=$work
  local width=${size%x*} height=${size#*x}
  # kwin and sway run this once their XWayland is up; it lets root in (sway
  # runs as nobody) and tells the displays they chose.
  cat >"$work/report" <<EOF
#!/bin/sh
xhost +si:localuser:root >/dev/null && echo "\$DISPLAY \$WAYLAND_DISPLAY" >$work/displays.new && mv $work/displays.new $work/displays
EOF
  chmod 755 "$work/report"
  case $compositor in
    mutter)
      if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
        echo "with_x_server.sh: mutter needs a session bus (dbus-run-session)" >&2
        exit 2
      fi
      mutter --headless --wayland --virtual-monitor "$size" --wayland-display=wayland-vornic >"$work/log" 2>&1 &
      pids+=($!)
      wait_until grep -q 'public X11 display' "$work/log"
      wait_until compgen -G "$work/.mutter-Xwaylandauth.*"
      export XAUTHORITY DISPLAY
      XAUTHORITY=$(compgen -G "$work/.mutter-Xwaylandauth.*")
      DISPLAY=$(sed -n 's/.*public X11 display \(:[0-9]*\).*/\1/p' "$work/log")
      WAYLAND_DISPLAY=wayland-vornic "$work/report"
      ;;
    kwin)
      # A copy, without the file capability that this sandbox refuses to run;
      # kwin uses its own Qt platform only under this name.
      cp /usr/bin/kwin_wayland "$work/kwin_wayland"
      "$work/kwin_wayland" --virtual --xwayland --socket wayland-vornic --width "$width" --height "$height" "$work/report" >"$work/log" 2>&1 &
      pids+=($!)
      ;;
    sway)
      # sway refuses to run as root; root clients can still connect to it.
      chown nobody: "$work"
      printf '%s\n' 'xwayland force' "output HEADLESS-1 resolution $size" "exec $work/report" >"$work/config"
      WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$work/config" >"$work/log" 2>&1 &
      pids+=($!)
      ;;
  esac
  wait_until test -e "$work/displays"
  read -r DISPLAY WAYLAND_DISPLAY <"$work/displays"
  export DISPLAY WAYLAND_DISPLAY VORNIC_PRIVATE_DISPLAY=$DISPLAY VORNIC_COMPOSITOR=$compositor
  export QT_QPA_PLATFORM=xcb
  [ "$native" -eq 0 ] || QT_QPA_PLATFORM=wayland

  case $compositor in
    mutter)
      mkfifo "$work/keyboard"
      /usr/bin/python3 "$(dirname "$0")/remote_keyboard.py" "$work/keyboard" >"$work/keyboard.log" 2>&1 &
      pids+=($!)
      wait_until grep -q '^ready' "$work/keyboard.log"
      export VORNIC_KEYBOARD=$work/keyboard
      ;;
    sway)
      # wtype makes a new virtual keyboard each time; a client that has not
      # yet bound it misses the key, hence the pause before it.
      mkfifo "$work/keyboard"
      while read -r code; do
        case $code in
          15) wtype -s 100 -k Tab ;;
          57) wtype -s 100 -k space ;;
          28) wtype -s 100 -k Return ;;
          *) echo "with_x_server.sh: no key for code $code" >&2 ;;
        esac
      done <>"$work/keyboard" &
      pids+=($!)
      export VORNIC_KEYBOARD=$work/keyboard
      ;;
  esac
  [ "$manager" -eq 0 ] || start_clipboard_manager
}

owns_bus_name() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner "string:$1" |
    grep -q 'boolean true'
}

# Copies a word, as a desktop program would, and tells whether the manager's
# newest entry is that word. The copy's owner serves until a test copies.
manager_keeps_a_copy() {
  if [ "$compositor" = kwin ]; then
    wl-copy vornic-manager-ready >/dev/null 2>&1 && sleep 0.2
    dbus-send --session --print-reply --dest=org.kde.klipper /klipper org.kde.klipper.klipper.getClipboardContents
  else
    printf vornic-manager-ready | xclip -selection clipboard >/dev/null 2>&1 && sleep 0.2
    gpaste-client history --oneline | head -n 1
  fi | grep -q vornic-manager-ready
}

start_clipboard_manager() {
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    echo "with_x_server.sh: a clipboard manager needs a session bus (dbus-run-session)" >&2
    exit 2
  fi
  mkdir -p "$work/manager"
  local name
  case $compositor in
    kwin)
      name=org.kde.klipper
      VORNIC_CLIPBOARD_MANAGER=klipper
      local settings=(QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME=$work/manager XDG_DATA_HOME=$work/manager)
      if command -v klipper >/dev/null; then
        env "${settings[@]}" klipper >"$work/manager.log" 2>&1 &
      else
        # Plasma 6 runs Klipper inside its shell, which needs the activity
        # manager that the bus starts.
        dbus-update-activation-environment "${settings[@]}" WAYLAND_DISPLAY XDG_RUNTIME_DIR
        env "${settings[@]}" plasmashell >"$work/manager.log" 2>&1 &
      fi
      ;;
    mutter)
      name=org.gnome.GPaste
      VORNIC_CLIPBOARD_MANAGER=gpaste
      GDK_BACKEND=x11 GSETTINGS_BACKEND=memory XDG_CONFIG_HOME=$work/manager XDG_DATA_HOME=$work/manager \
        /usr/libexec/gpaste/gpaste-daemon >"$work/manager.log" 2>&1 &
      ;;
  esac
  pids+=($!)
  wait_until owns_bus_name "$name"
  # Ready once it keeps what is copied (it keeps nothing copied before it
  # watches): else a clear could come before it has an entry to put back.
  wait_until manager_keeps_a_copy
  export VORNIC_CLIPBOARD_MANAGER
}

start_x_server() {
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
}

if [ -n "$compositor" ]; then start_compositor; else start_x_server; fi

# In the background, so that a signal is handled at once (bash runs traps only
# between foreground commands); its standard input stays the caller's.
"$@" <&0 &
pids+=($!)
status=0
wait "$!" || status=$?
exit "$status"
