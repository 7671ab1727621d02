#!/usr/bin/env bash
# Builds Vornic's Windows packages with CPack and checks them.
#   check_windows_packages.sh zip|installer|signed BUILD_DIR OUT_DIR VERSION ICON
#     zip        the zip file holds Vornic.exe, a 64-bit Windows GUI program,
#                and the licence
#     installer  the NSIS installer: 64-bit, carries the program's icon and
#                Vornic.exe, starts no program; installed, reinstalled and
#                uninstalled silently under 64-bit Wine in a prefix of its own
#     signed     both, signed with a throwaway certificate (no other mode signs)
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
out=$3
version=$4
icon=$5
base=Vornic-${version}-win64
python=/usr/bin/python3  # the system one, which has python3-pefile
wine=${VORNIC_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver

fail() { echo "FAIL: $*" >&2; exit 1; }

run_cpack() {
  rm -rf "$out"
  mkdir -p "$out"
  if ! (cd "$build" && cpack -G "$1" -B "$out" --config CPackConfig.cmake) >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    find "$out" -name NSISOutput.log -exec cat {} + 2>/dev/null || true
    fail "cpack -G $1 failed"
  fi
  # SHA256SUMS beside the package holds its sum and nothing else.
  [ -f "$out/SHA256SUMS" ] || fail "no SHA256SUMS beside the package"
  [ "$(cut -d' ' -f3 "$out/SHA256SUMS" | xargs)" = "$2" ] || fail "SHA256SUMS lists: $(cat "$out/SHA256SUMS")"
  (cd "$out" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match $2"
}

# From the PE header itself: file(1) words it differently in each release.
is_win64_gui() {
  "$python" -c '
import sys, pefile
pe = pefile.PE(sys.argv[1], fast_load=True)
sys.exit(not (pe.FILE_HEADER.Machine == 0x8664 and pe.OPTIONAL_HEADER.Magic == 0x20B
              and pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]))' "$1" ||
    fail "$2 is not a 64-bit Windows GUI program: $(file -b "$1")"
}

# ASLR, high-entropy ASLR, DEP, a stack protector linked in (stripped, only its
# message shows it; no libssp DLL to ship) and a signature or none: FILE yes|no.
is_hardened() {
  "$python" -c '
import sys, pefile
pe, signed = pefile.PE(sys.argv[1]), sys.argv[2] == "yes"
rows = {n: pe.OPTIONAL_HEADER.DllCharacteristics & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + n]
        for n in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT")}
rows["stack protector"] = pe.__data__.find(b"stack smashing detected") >= 0 and not any(
    i.dll.lower().startswith(b"libssp") for i in pe.DIRECTORY_ENTRY_IMPORT)
rows["signed" if signed else "unsigned"] = (pe.OPTIONAL_HEADER.DATA_DIRECTORY[4].Size > 0) == signed
sys.exit(", ".join(n for n, ok in rows.items() if not ok) or None)' "$1" "$2" || fail "$3 lacks what is printed above"
}

check_zip() {
  run_cpack ZIP "$base.zip"
  local zip=$out/$base.zip
  [ -f "$zip" ] || fail "cpack did not make $base.zip: $(ls "$out")"
  unzip -l "$zip"
  local files
  files=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
  [ "$files" = "$base/Vornic.exe $base/copyright.txt " ] ||
    fail "the zip should hold $base/Vornic.exe and $base/copyright.txt, holds: $files"
  unzip -p "$zip" "$base/copyright.txt" | grep -q 'Permission is hereby granted' || fail "copyright.txt lacks the MIT licence"
  unzip -p "$zip" "$base/Vornic.exe" >"$out/Vornic.exe"
  is_win64_gui "$out/Vornic.exe" "Vornic.exe in the zip"
  is_hardened "$out/Vornic.exe" no "Vornic.exe in the zip"
  echo "PASS: $base.zip"
}

# Prints the names of the installer's files, one a line.
list_installer() {
  7z l -slt "$1" | sed -n 's/^Path = //p' | tail -n +2
}

# Exits non-zero unless the installer's icon images are exactly those of the .ico.
check_icon() {
  "$python" - "$1" "$2" <<'PY'
import struct, sys
import pefile
installer, ico_path = sys.argv[1], sys.argv[2]
ico = open(ico_path, "rb").read()
count = struct.unpack_from("<H", ico, 4)[0]
wanted = set()
for i in range(count):
    size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
    wanted.add(ico[offset:offset + size])
pe = pefile.PE(installer)
found = set()
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id == pefile.RESOURCE_TYPE["RT_ICON"]:
        for entry in kind.directory.entries:
            for language in entry.directory.entries:
                data = language.data.struct
                found.add(pe.get_data(data.OffsetToData, data.Size))
if found != wanted:
    sys.exit(f"installer icon: {len(found)} images, {len(found & wanted)} of the {len(wanted)} in {ico_path}")
PY
}

check_installer() {
  run_cpack NSIS "$base.exe"
  local installer=$out/$base.exe
  [ -f "$installer" ] || fail "cpack did not make $base.exe: $(ls "$out")"
  is_win64_gui "$installer" "the installer"
  check_icon "$installer" "$icon" || fail "the installer does not carry the program's icon"
  local listing
  listing=$(list_installer "$installer")
  echo "$listing"
  grep -qx 'Vornic.exe' <<<"$listing" || fail "the installer does not hold Vornic.exe"
  grep -qx 'copyright.txt' <<<"$listing" || fail "the installer does not hold copyright.txt"
  # Whether 7-Zip lists the uninstaller differs between its versions: the
  # install below finds it where it must be written.

  # The installer runs elevated, and so would any program it started.
  local script=$out/_CPack_Packages/win64/NSIS/project.nsi
  [ -f "$script" ] || fail "no installer script $script"
  if grep -nE 'MUI_FINISHPAGE_RUN|Exec(Wait|Shell)?[[:space:]].*Vornic\.exe' "$script"; then
    fail "the installer starts Vornic, with its own administrator rights"
  fi

  export WINEPREFIX=$out/wineprefix WINEDEBUG=-all
  # No Mono/Gecko prompts, and no menu entries written into the host's home.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  "$wine" wineboot -i >/dev/null 2>&1
  "$wineserver" -w

  local dir="$WINEPREFIX/drive_c/Program Files/Vornic"
  # The stripped program CPack put into the installer.
  local staged=$out/_CPack_Packages/win64/NSIS/$base/Vornic.exe
  [ -f "$staged" ] || fail "no staged $staged"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vornic'
  installed() {
    local files
    files=$(cd "$dir" 2>/dev/null && find . -type f | LC_ALL=C sort | tr '\n' ' ')
    [ "$files" = "./Uninstall.exe ./Vornic.exe ./copyright.txt " ] || fail "$1: Program Files\\Vornic holds '$files'"
    cmp -s "$dir/Vornic.exe" "$staged" || fail "$1: the installed Vornic.exe differs from the packaged one"
    local links
    links=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Vornic/*' -name '*.lnk' -printf '%f\n' | sort | tr '\n' ' ')
    [ "$links" = "Uninstall.lnk Vornic.lnk " ] || fail "$1: Start-menu entries are '$links'"
    "$wine" reg query "$key" /v DisplayName 2>/dev/null | grep -q 'DisplayName.*REG_SZ.*Vornic' ||
      fail "$1: no uninstall entry in the registry"
  }

  "$wine" "$installer" /S || fail "the silent install failed"
  "$wineserver" -w
  installed "install"
  # Installing over an installed Vornic uninstalls the old one first.
  "$wine" "$installer" /S || fail "the silent reinstall failed"
  "$wineserver" -w
  installed "reinstall"

  "$wine" 'C:\Program Files\Vornic\Uninstall.exe' /S '_?=C:\Program Files\Vornic' || fail "the silent uninstall failed"
  "$wineserver" -w
  [ ! -e "$dir" ] || fail "uninstall left: $(find "$dir")"
  if find "$WINEPREFIX/drive_c" -iname '*.lnk' -path '*Vornic*' | grep .; then fail "uninstall left Start-menu entries"; fi
  if "$wine" reg query "$key" >/dev/null 2>&1; then fail "uninstall left the registry entry"; fi
  echo "PASS: $base.exe"
}

check_signed() {
  local cert=$out-signer.pem key=$out-signer.key file  # beside $out, which run_cpack empties
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Vornic -addext extendedKeyUsage=codeSigning \
    -keyout "$key" -out "$cert" 2>/dev/null || fail "openssl made no certificate"
  VORNIC_SIGNING_CERT=$cert VORNIC_SIGNING_KEY=$key run_cpack "ZIP;NSIS" "$base.exe $base.zip"
  unzip -p "$out/$base.zip" "$base/Vornic.exe" >"$out/Vornic.exe"
  7z e -so "$out/$base.exe" Vornic.exe >"$out/installed.exe" 2>/dev/null
  is_hardened "$out/Vornic.exe" yes "the signed Vornic.exe"
  for file in Vornic.exe installed.exe "$base.exe"; do  # self-signed: it vouches for itself
    osslsigncode verify -CAfile "$cert" -in "$out/$file" >/dev/null || fail "$file has no valid signature"
  done
  echo "PASS: Vornic.exe in both packages, and $base.exe, signed"
}

[ "$mode" = signed ] || unset VORNIC_SIGNING_CERT VORNIC_SIGNING_KEY
case "$mode" in
  zip) check_zip ;;
  signed) check_signed ;;
  installer)
    if [ "${VORNIC_PRIVATE_DISPLAY:-}" != "${DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
      exec "$(dirname "$0")/../../scripts/with_x_server.sh" --no-window-manager -- bash "$0" "$@"
    fi
    check_installer ;;
  *) echo "usage: $0 zip|installer|signed BUILD_DIR OUT_DIR VERSION ICON" >&2; exit 2 ;;
esac
