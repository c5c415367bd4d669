#!/usr/bin/env bash
# Installs the Debian 12 packages the program needs to build, run and test, when missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth x11-utils xdotool
  zip unzip
  ccache
  poppler-utils
  strace
  faketime
)
# The Windows build of the file layer and its tests under Wine need only these, without the
# desktop programs they recommend.
lean_packages=(
  g++-mingw-w64-x86-64-posix googletest wine64
)
# The X tests of a pupil at the keyboard run beside a small window manager and press real keys.
lean_packages+=(openbox xdotool)
missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_lean < <(missing_of "${lean_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_lean[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]} ${missing_lean[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
  fi
  if [ ${#missing_lean[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing_lean[@]}"
  fi
fi
