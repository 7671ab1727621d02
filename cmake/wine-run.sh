#!/bin/sh
# Runs a Windows program under Wine for ctest: a Wine prefix of its own
# (made on first use), no Wine debug chatter, and an X display (a private
# one when none is set). Runs are serialised on the prefix so that tests
# started in parallel do not share one wineserver on two displays.
#
# Usage: wine-run.sh program.exe [arguments...]
#   VORNIC_WINEPREFIX  the prefix (default: wineprefix/ in the current
#                      build tree, found from the working directory upwards)
set -eu

# Without a display, run on a private X server (bare, as most tests expect).
if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/../scripts/with_x_server.sh" --no-window-manager -- "$0" "$@"
fi

wine=${VORNIC_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver

if [ -z "${VORNIC_WINEPREFIX:-}" ]; then
  dir=$(pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=$(pwd)
  VORNIC_WINEPREFIX=$dir/wineprefix
fi
export WINEPREFIX="$VORNIC_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko installer prompts

mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9

# Let the wineserver go before its display does.
trap '"$wineserver" -k 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM

# Windows has the fonts Vornic names; Linux has Noto CJK and Liberation Sans
# (Arial's metrics). Map the names onto them, and link Noto CJK behind Wine's
# interface fonts so that menus and captions show Japanese glyphs, not boxes.
install_fonts() {
  cjk='NotoSansCJK-Regular.ttc,Noto Sans CJK JP'
  link=$(printf '%s\0\0' "$cjk" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
  reg=$WINEPREFIX/vornic-fonts.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ ゴシック"="Noto Sans Mono CJK JP"\r\n'
    printf '"ＭＳ Ｐゴシック"="Noto Sans CJK JP"\r\n'
    printf '"Arial"="Liberation Sans"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for face in Tahoma "Microsoft Sans Serif" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" Arial "Liberation Sans" "DejaVu Sans"; do
      printf '"%s"=hex(7):%s\r\n' "$face" "$link"
    done
  } | iconv -f UTF-8 -t UTF-16 >"$reg"
  "$wine" regedit /S "$reg" >/dev/null 2>&1
  "$wineserver" -w
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
fi
if [ ! -f "$WINEPREFIX/vornic-fonts.reg" ] || [ "$0" -nt "$WINEPREFIX/vornic-fonts.reg" ]; then
  install_fonts
fi

status=0
"$wine" "$@" || status=$?
exit "$status"
