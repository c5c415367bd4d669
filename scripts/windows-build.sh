#!/usr/bin/env bash
# Builds the program, the tools and the tests for Windows (MinGW-w64) against the libraries
# that scripts/windows-deps.sh built, and lays out build-windows/kanameru-windows-x64.zip: the
# same tree as an installation (files/, カナメル/ with kanameru.exe and the DLLs beside it,
# tools/), which a school unzips onto its shared folder.
#   scripts/windows-build.sh           build and pack
#   scripts/windows-build.sh --test    then run the test suite under Wine (ctest arguments follow)
#   scripts/windows-build.sh --program build and pack only what the zip holds (no tests)
# Exits with 3, saying so, when the libraries have not been built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${KANAMERU_WINDOWS_DEPS:-$HOME/.cache/kanameru-windows}
out=${KANAMERU_WINDOWS_BUILD:-$root/build-windows}
jobs=${KANAMERU_WINDOWS_JOBS:-2}
if [ ! -f "$deps/.complete" ]; then
  echo "No Windows build: Qt and SDL2 for Windows are not built in $deps." >&2
  echo "Build them once with scripts/windows-deps.sh (about an hour on two cores)." >&2
  exit 3
fi

build=$out/build
mkdir -p "$out"
# Build-time generators (the icon, the demo's texts and sounds) and the tests run under Wine.
emulator="env;KANAMERU_WINDOWS_DEPS=$deps;KANAMERU_WINEPREFIX=$out/wineprefix;$root/scripts/windows-wine.sh"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DKANAMERU_WINDOWS_DEPS="$deps" \
  -DCMAKE_PREFIX_PATH="$deps" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" \
  -DCMAKE_BUILD_TYPE=Release \
  -DKANAMERU_BENCH=OFF > "$out/configure.log" 2>&1 || { cat "$out/configure.log" >&2; exit 1; }
targets=()
if [ "${1:-}" = "--program" ]; then
  targets=(--target kanameru kanameru-questions kanameru-results demo_data kanameru_icon kanameru-barewindow)
fi
DISPLAY='' cmake --build "$build" -j "$jobs" "${targets[@]}"

# The installation's tree, packed with UTF-8 names (Japanese folder and file names intact).
stage=$out/stage
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" > /dev/null
zip=$out/kanameru-windows-x64.zip
rm -f "$zip.part"
(cd "$stage" && zip -q -r -X "$zip.part" files カナメル tools)
mv -f "$zip.part" "$zip"
echo "Packed $zip ($(du -k "$zip" | cut -f1) KB)"

if [ "${1:-}" = "--test" ]; then
  shift
  cd "$build"
  # Qt's Windows programs make hidden windows even on the offscreen platform, which Wine only
  # allows with an X display: one virtual screen for the whole run. The first process of a Wine
  # session decides its display, so the session of the build's generators is ended first.
  WINEPREFIX="$out/wineprefix" "$(dirname "$(readlink -f /usr/lib/wine/wine64)")/wineserver" -k 2> /dev/null || true
  # The X server picks its own free display (xvfb-run -a guesses one from lock files that the
  # other tests' servers do not write, and may take a display in use).
  "$root/tests/support/xserver-run.sh" --screen 1280x1024 -- ctest --output-on-failure "$@"
fi
