#!/usr/bin/env bash
# Installs what building, running and testing the launcher need on Debian 12, when missing.
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
  wine gcc-mingw-w64-x86-64 locales-all
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
