#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the libraries that scripts/windows-deps.sh
# built on its DLL and plugin paths, Qt's offscreen platform unless QT_QPA_PLATFORM says
# otherwise, and a Wine prefix of its own ($KANAMERU_WINEPREFIX), made once by the first run.
# The Windows build uses it to run its build-time generators and its tests.
#   scripts/windows-wine.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${KANAMERU_WINDOWS_DEPS:-$HOME/.cache/kanameru-windows}
wine=/usr/lib/wine/wine64 # Debian's wine64 keeps its loader out of PATH
[ -x "$wine" ] || wine=$(command -v wine64)

export WINEPREFIX=${KANAMERU_WINEPREFIX:-$root/build-windows/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko set-up
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LANG=${LANG:-C.UTF-8}
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
# KANAMERU_WINE_INSTALLED=1: a program of an installation, which must find its DLLs beside it.
if [ "${KANAMERU_WINE_INSTALLED:-0}" != 1 ]; then
  export WINEPATH
  WINEPATH=$(windows_path "$deps/bin")
  export QT_PLUGIN_PATH
  QT_PLUGIN_PATH=$(windows_path "$deps/plugins")
fi

# The prefix's first start takes a while; runs that come at the same time wait for it.
if [ ! -f "$WINEPREFIX/.ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      DISPLAY='' "$wine" wineboot --init > /dev/null 2>&1
      "$(dirname "$wine")/wineserver" -w
      touch "$WINEPREFIX/.ready"
    fi
  ) 9> "$WINEPREFIX.lock"
fi
exec "$wine" "$@"
