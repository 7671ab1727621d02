#!/usr/bin/env bash
# Installs the Debian packages Vornic needs that are not there yet.
#   scripts/setup.sh run    to build and start Vornic on Linux
#   scripts/setup.sh test   to build and run every test, the Windows build included
#   scripts/setup.sh root   to make a root of another Debian release (in_debian_root.sh)
set -euo pipefail

run_packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev fonts-noto-cjk libxcb-cursor0)
test_packages=(
  "${run_packages[@]}"
  clang-format libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth xclip xdotool x11-utils openbox imagemagick
  dbus-x11 at-spi2-core python3-pyatspi
  mutter kwin-wayland sway xwayland wtype wl-clipboard qt6-wayland x11-xserver-utils python3-dbus iproute2
  g++-mingw-w64-x86-64-posix wine64 fonts-liberation2 fonts-wine python3-pefile
  dpkg-dev lintian desktop-file-utils appstream diffoscope-minimal git file nsis p7zip-full unzip
  osslsigncode openssl
  clang libclang-rt-dev
)
# The desktops' clipboard managers, beside which Clear of clipboard is tested:
# GPaste's daemon, and Klipper where it is a program of its own (Debian 12;
# later it lives only inside plasmashell), with Qt 5's Wayland platform.
test_packages+=(gpaste-2)
if grep -q '^VERSION_CODENAME=bookworm$' /etc/os-release; then
  test_packages+=(plasma-workspace qtwayland5)
fi
root_packages=(debootstrap)

case "${1:-test}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  root) wanted=("${root_packages[@]}") ;;
  *) echo "usage: $0 run|test|root" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_if_needed=()
[ "$(id -u)" -eq 0 ] || sudo_if_needed=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_if_needed[@]}" apt-get update -q
"${sudo_if_needed[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
