#!/usr/bin/env bash
# Installs what building, running and testing the launcher need on Debian 12, when missing,
# and the packages named as arguments.
# Usage: scripts/setup.sh [PACKAGE...]
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin
  libcurl4-openssl-dev libcpp-httplib-dev
  googletest libgtest-dev openssl
  xvfb xauth x11-utils xdotool openbox wmctrl imagemagick fonts-noto-cjk fonts-dejavu-core
  desktop-file-utils xdg-utils
  lintian appstream
  weston xwayland qt6-wayland
  wine gcc-mingw-w64-x86-64 nsis
  locales-all libxcb1-dev
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    {
      echo "These packages are missing, and installing them needs root (this system has no sudo)."
      echo "Run as root, then run this script again:"
      echo "  su -c 'apt-get update && apt-get install -y --no-install-recommends ${missing[*]}'"
    } >&2
    exit 1
  fi
  as_root=(sudo)
fi
# apt's own progress lines show: minutes of downloading are not taken for a hang.
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
