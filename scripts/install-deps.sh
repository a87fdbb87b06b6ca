#!/usr/bin/env bash
# Installs, with apt-get, whatever Quillmar needs to build, test and run that is not there yet.
# Safe to run again: it asks apt only for the packages that are missing. With --windows it
# also installs what the Windows build and its tests under Wine need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev adwaita-icon-theme
  xvfb xdotool imagemagick x11-utils fonts-dejavu-core
  dbus-daemon at-spi2-core python3-pyatspi weston
  clang libclang-rt-14-dev
  zlib1g-dev desktop-file-utils appstream lintian dpkg-dev file fakeroot man-db bash-completion
)
if [[ ${1:-} == --windows ]]; then
  # The -posix cross compiler, Debian's GoogleTest sources to build with it, Wine to run,
  # NSIS and zip for the installer and the portable ZIP.
  packages+=(g++-mingw-w64-x86-64 googletest wine64 nsis zip)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

sudo_cmd=()
((EUID != 0)) && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
