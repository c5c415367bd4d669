#!/usr/bin/env bash
# Builds what the Windows program needs and Debian does not package for MinGW-w64, once:
# SDL2 and Qt 6 (Core, Gui, Widgets, PrintSupport, Test, the windows and offscreen platforms),
# cross-built from Debian's own source packages of the versions this machine's Qt tools have.
# The result goes into $KANAMERU_WINDOWS_DEPS (default ~/.cache/kanameru-windows); the stamp
# file .complete is written only after both are installed, and with it there this does nothing.
# It takes about an hour on two cores; an interrupted run resumes where it stopped.
#   nice -n 10 scripts/windows-deps.sh > windows-deps.log 2>&1 &
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${KANAMERU_WINDOWS_DEPS:-$HOME/.cache/kanameru-windows}
stamp=$prefix/.complete
jobs=${KANAMERU_WINDOWS_JOBS:-2}

if [ -f "$stamp" ]; then
  echo "The Windows libraries are already built in $prefix"
  exit 0
fi

step() { echo "== $(date -u +%H:%M:%S) $*" >&2; }
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

"$root/scripts/deps.sh"
for p in dpkg-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$p"
done

# Debian's source packages: a deb-src entry made from the machine's own Debian sources, so the
# same mirror (or snapshot) serves them.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  step "Adding Debian's source packages to apt"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $SUDO tee /etc/apt/sources.list.d/kanameru-deb-src.sources > /dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -E 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/kanameru-deb-src.list > /dev/null
  else
    echo "No Debian sources file to make a deb-src entry from" >&2
    exit 1
  fi
  $SUDO apt-get update -qq
fi

work=$prefix/work
mkdir -p "$work"
cd "$work"

# The source of the host's Qt version, so the host tools (moc, rcc, uic) match the libraries.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
sdl_version=$(dpkg-query -W -f='${Version}' libsdl2-dev)
fetch() { # package version
  local dir
  dir=$(find . -maxdepth 1 -type d -name "$1-*" | head -n 1)
  if [ -z "$dir" ]; then
    step "Fetching the source of $1 $2"
    apt-get source -qq "$1=$2" > /dev/null
    dir=$(find . -maxdepth 1 -type d -name "$1-*" | head -n 1)
  fi
  echo "$work/${dir#./}"
}
qt_source=$(fetch qt6-base "$qt_version")
sdl_source=$(fetch libsdl2 "$sdl_version")

# The project's toolchain, finding the libraries in the cache. Qt and SDL2 are DLLs that carry
# the C and C++ runtime inside them (-static), so nothing of MinGW has to be shipped beside them.
cat > "$work/toolchain.cmake" << EOF
include($root/cmake/mingw-w64-x86_64.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH "$prefix")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
EOF

if [ ! -f "$work/sdl2.installed" ]; then
  step "Building SDL2 in $work/sdl2-build"
  cmake -S "$sdl_source" -B "$work/sdl2-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF > "$work/sdl2-configure.log"
  cmake --build "$work/sdl2-build" -j "$jobs"
  cmake --install "$work/sdl2-build" > /dev/null
  touch "$work/sdl2.installed"
fi

# Only what the program needs: no network, SQL, D-Bus, XML or image format plugins (the program
# draws its pictures), optimised for size; the libraries Qt brings along (zlib, PCRE2, HarfBuzz,
# FreeType, libpng) built from its own source.
step "Building Qt in $work/qt-build (about 1,100 steps)"
cmake -S "$qt_source" -B "$work/qt-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_tabletevent=OFF \
  -DINPUT_opengl=dynamic \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DINPUT_openssl=no \
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_optimize_size=ON \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF > "$work/qt-configure.log"
cmake --build "$work/qt-build" -j "$jobs"
cmake --install "$work/qt-build" > /dev/null

touch "$stamp"
step "Done: $prefix (the sources and build folders in $work can be removed)"
