#!/usr/bin/env bash
# Builds Vornic's Debian package with CPack and checks it as a user gets it.
#   check_deb.sh build|lint|install BUILD_DIR OUT_DIR PACKAGE_VERSION
#     build    make the package; check its fields, its file list and its files
#     lint     lintian (no errors), desktop-file-validate and appstreamcli
#              validate on the package
#     install  install it with apt-get, start the installed vornic on a
#              private X server, see its window, then remove the package
#              again (root only)
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
out=$3
version=$4
program_version=${version%%+*}  # 1.0.0+deb13 packages Vornic 1.0.0
arch=$(dpkg --print-architecture)
deb=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")/vornic_${version}_${arch}.deb
screenshots=$(cd "$(dirname "$0")/../../docs/screenshots" && pwd)
app_id=org.vornic.Vornic

fail() { echo "FAIL: $*" >&2; exit 1; }

build_package() {
  rm -rf "$out"
  mkdir -p "$out"
  if ! (cd "$build" && cpack -G DEB -B "$out" --config CPackConfig.cmake) >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    fail "cpack -G DEB failed"
  fi
  [ -f "$deb" ] || fail "cpack did not make $(basename "$deb"): $(ls "$out")"

  # Each Debian release gets its own build, named as Debian names one: 1.0.0+deb13.
  local release
  release=$(. /etc/os-release && echo "$ID$VERSION_ID")
  [[ $release != debian* || $version == "$program_version+deb${release#debian}" ]] ||
    fail "version $version does not name the release it is built on, $release"
  local field
  for field in "Package=vornic" "Version=$version" "Architecture=$arch" "Section=utils" \
               "Maintainer=Vornic Project <vornic@example.org>"; do
    local got
    got=$(dpkg-deb -f "$deb" "${field%%=*}")
    [ "$got" = "${field#*=}" ] || fail "${field%%=*} is '$got', expected '${field#*=}'"
  done
  # Linked libraries come from dpkg-shlibdeps; the xcb platform plug-in
  # (libqt6gui6) and a Japanese font are loaded at run time and named by hand.
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  local names package
  # Debian 13 renamed some libraries (libqt6core6t64): either name will do.
  names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g; s/t64$//')
  for package in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6gui6 libxcb1 fonts-noto-cjk; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
  done
  # The Wayland plug-in, for sessions without X11.
  [ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends is not qt6-wayland"

  # Exactly these files: nothing from the build tree, the tests or headers.
  local expected actual
  expected=$(printf '%s\n' \
    ./usr/bin/vornic \
    ./usr/share/applications/$app_id.desktop \
    ./usr/share/doc/vornic/changelog.gz \
    ./usr/share/doc/vornic/copyright \
    ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vornic.png \
    ./usr/share/icons/hicolor/scalable/apps/vornic.svg \
    ./usr/share/man/man1/vornic.1.gz \
    ./usr/share/metainfo/$app_id.metainfo.xml | sort)
  actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
  if [ "$expected" != "$actual" ]; then
    diff <(echo "$expected") <(echo "$actual") || true
    fail "the package's file list differs (< expected, > packaged)"
  fi
  if dpkg-deb -c "$deb" | awk '{print $1, $2}' | grep -v '^-rw-r--r-- root/root$' |
       grep -v '^drwxr-xr-x root/root$' | grep -v '^-rwxr-xr-x root/root$' | grep -q .; then
    dpkg-deb -c "$deb"
    fail "files not owned by root or with unusual permissions"
  fi

  local root=$out/root
  dpkg-deb -x "$deb" "$root"
  [ -x "$root/usr/bin/vornic" ] || fail "usr/bin/vornic is not executable"
  file -b "$root/usr/bin/vornic" | grep -q 'ELF 64-bit.*, stripped' || fail "usr/bin/vornic is not a stripped ELF program"
  # Hardened as Debian's own programs: PIE, full RELRO (bound now), a stack protector.
  local elf pattern
  elf=$(LC_ALL=C readelf -W -h -l -d --dyn-syms "$root/usr/bin/vornic")
  for pattern in 'Type: +DYN' '\(FLAGS_1\).* PIE' GNU_RELRO '\(FLAGS_1\).* NOW' 'UND __stack_chk_fail'; do
    grep -qE -- "$pattern" <<<"$elf" || fail "usr/bin/vornic lacks '$pattern' (readelf)"
  done
  local gz
  for gz in "$root"/usr/share/doc/vornic/changelog.gz "$root"/usr/share/man/man1/vornic.1.gz; do
    gzip -t "$gz" || fail "$gz is not gzip"
  done
  # Each icon has the size its directory names.
  local png size
  for png in "$root"/usr/share/icons/hicolor/*x*/apps/vornic.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "PNG image data, ${size%x*} x ${size#*x}," ||
      fail "$png is not a ${size} PNG: $(file -b "$png")"
  done
  # The desktop entry starts the packaged command and names the packaged icon.
  local desktop=$root/usr/share/applications/$app_id.desktop
  local exec icon
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -x "$root/usr/bin/$exec" ] || fail "desktop entry runs '$exec', which the package does not hold in /usr/bin"
  [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "desktop entry names icon '$icon', not in the package"

  # Every file that names the version names the package's; the changelog's
  # top entry is this version's, so a new version needs a new entry.
  local place text
  while IFS='|' read -r place text; do
    zcat -f "$root/$place" | grep -qF -- "$text" || fail "$place does not name version $version ('$text')"
  done <<LIST
usr/share/doc/vornic/changelog.gz|vornic ($program_version) unstable;
usr/share/man/man1/vornic.1.gz|"Vornic $program_version"
usr/share/metainfo/$app_id.metainfo.xml|<release version="$program_version"
LIST
  zcat "$root/usr/share/doc/vornic/changelog.gz" | head -n 1 | grep -q "^vornic ($version) " ||
    fail "the changelog's top entry is not version $version"
  # One release day: the program version's changelog entry, the manual page, the metadata.
  local day
  day=$(date -u -d "$(zcat "$root/usr/share/doc/vornic/changelog.gz" |
    sed -n "/^vornic ($program_version) /,/^ -- /s/^ -- .*>  //p")" +%F) ||
    fail "the changelog's entry of $program_version has no date"
  zcat "$root/usr/share/man/man1/vornic.1.gz" | head -n 1 | grep -qF "\"$day\"" || fail "the manual page is not dated $day"
  grep -qF "date=\"$day\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "the metadata's release is not dated $day"

  # SHA256SUMS beside the package holds its sum and nothing else.
  [ -f "$out/SHA256SUMS" ] || fail "no SHA256SUMS beside the package"
  [ "$(cut -d' ' -f3 "$out/SHA256SUMS")" = "$(basename "$deb")" ] || fail "SHA256SUMS lists: $(cat "$out/SHA256SUMS")"
  (cd "$out" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match the package"
  echo "PASS: $(basename "$deb")"
}

lint_package() {
  [ -f "$deb" ] || fail "no package $deb; the build test makes it"
  local log=$out/lintian.log
  local status=0
  lintian --fail-on error --display-info "$deb" >"$log" 2>&1 || status=$?
  cat "$log"
  [ "$status" -eq 0 ] || fail "lintian found errors"
  echo "lintian: $(grep -c '^E:' "$log" || true) errors, $(grep -c '^W:' "$log" || true) warnings, $(grep -c '^I:' "$log" || true) notes"

  local root
  root=$(mktemp -d)
  trap 'rm -rf "$root"' RETURN
  dpkg-deb -x "$deb" "$root"
  local report
  report=$(desktop-file-validate "$root/usr/share/applications/$app_id.desktop" 2>&1) || fail "desktop-file-validate: $report"
  [ -z "$report" ] || fail "desktop-file-validate: $report"

  local metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
  appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate found faults"
  grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
  # What a software centre follows from the metadata is in the package or the tree.
  local launchable
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ -f "$root/usr/share/applications/$launchable" ] || fail "the metadata launches '$launchable', not in the package"
  local width height url picture shots=0
  while read -r width height url; do
    picture=$screenshots/${url##*/}
    [ -f "$picture" ] || fail "screenshot $url is not in docs/screenshots"
    file -b "$picture" | grep -q "PNG image data, $width x $height," ||
      fail "screenshot $url is $(file -b "$picture"), the metadata says $width x $height"
    shots=$((shots + 1))
  done < <(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">\(.*\)</image>.*|\1 \2 \3|p' "$metainfo")
  [ "$shots" -gt 0 ] || fail "the metadata shows no screenshot"
  local element
  for element in name summary p caption; do
    grep -q "<$element xml:lang=\"ja\">" "$metainfo" || fail "the metadata has no Japanese <$element>"
  done
  echo "PASS: lintian, desktop-file-validate, appstreamcli validate ($shots screenshots)"
}

install_and_run() {
  [ -f "$deb" ] || fail "no package $deb; the build test makes it"
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root"
    exit 77
  fi
  was_installed=no
  if dpkg-query -W -f='${Status}' vornic 2>/dev/null | grep -q 'install ok installed'; then
    was_installed=yes
  fi

  app_pid=
  cleanup() {
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    # Leave the machine as it was found.
    if [ "$was_installed" = no ]; then
      DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vornic >/dev/null 2>&1 || true
    fi
  }
  trap cleanup EXIT

  # Recommended packages would stay behind after the removal.
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends --allow-downgrades "$deb" ||
    fail "apt-get install could not install the package"
  dpkg-query -W -f='${Status} ${Version}' vornic | grep -q "^install ok installed $version\$" ||
    fail "vornic $version is not installed: $(dpkg-query -W -f='${Status} ${Version}' vornic)"
  [ "$(command -v vornic)" = /usr/bin/vornic ] || fail "vornic is not on the path"
  if ldd /usr/bin/vornic | grep 'not found'; then fail "libraries of vornic are missing"; fi
  fc-list :lang=ja family | grep -q . || fail "no Japanese font is installed"

  (cd / && exec env -u QT_QPA_PLATFORM vornic) >"$out/vornic.log" 2>&1 &
  app_pid=$!
  local window= tries
  for tries in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Vornic$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    cat "$out/vornic.log"
    fail "the installed vornic showed no window named Vornic"
  fi
  kill -0 "$app_pid" 2>/dev/null || fail "vornic ended after showing its window"
  # Docks tie an X11 window to its launcher by the class of its WM_CLASS.
  local wm_class startup_class
  wm_class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "[^"]*", "\([^"]*\)"$/\1/p')
  startup_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/$app_id.desktop)
  [ -n "$wm_class" ] && [ "$wm_class" = "$startup_class" ] ||
    fail "the window's WM_CLASS class is '$wm_class', the desktop entry's StartupWMClass '$startup_class'"
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=

  if [ "$was_installed" = no ]; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vornic >/dev/null || fail "apt-get remove failed"
    [ ! -e /usr/bin/vornic ] || fail "/usr/bin/vornic is left after removal"
    [ ! -e /usr/share/applications/$app_id.desktop ] || fail "the desktop entry is left after removal"
  fi
  echo "PASS: installed, started (window $window), removed=$([ "$was_installed" = no ] && echo yes || echo no)"
}

case "$mode" in
  build) build_package ;;
  lint) lint_package ;;
  install)
    if [ "${VORNIC_PRIVATE_DISPLAY:-}" != "${DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
      exec "$(dirname "$0")/../../scripts/with_x_server.sh" -- bash "$0" "$@"
    fi
    install_and_run ;;
  *) echo "usage: $0 build|lint|install BUILD_DIR OUT_DIR VERSION" >&2; exit 2 ;;
esac
