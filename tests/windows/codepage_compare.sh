#!/usr/bin/env bash
# The Japanese code page read and written the same on both systems: the Linux build's table
# (tests/startup/codepage_table.cpp: every single byte and two-byte sequence read, every
# character of the basic plane written) against the Windows build's, run under Wine, line by
# line. Wine converts with its own tables of Windows' code page 932.
#   codepage_compare.sh LINUX_TABLE_PROGRAM WINDOWS_BUILD
# Exits with 3 (a skipped test) when the Windows libraries have not been built.
set -euo pipefail
linux_program=$(realpath "$1") windows_build=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
deps=${KANAMERU_WINDOWS_DEPS:-$HOME/.cache/kanameru-windows}
windows_program=$windows_build/tests/startup/codepage_table.exe
if [ ! -f "$deps/.complete" ] || [ ! -f "$windows_program" ]; then
  echo "Skipped: no Windows build. Build Qt and SDL2 for Windows once with scripts/windows-deps.sh"
  echo "(about an hour on two cores); ./test then builds the Windows program and compares."
  exit 3
fi
export KANAMERU_WINDOWS_DEPS=$deps
export KANAMERU_WINEPREFIX=${KANAMERU_WINEPREFIX:-$root/build-windows/wineprefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/kanameru-codepage.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$linux_program" "$work/linux.txt"
DISPLAY='' "$root/scripts/windows-wine.sh" "$windows_program" "Z:${work//\//\\}\\windows.txt"
lines=$(wc -l < "$work/linux.txt")
[ "$lines" -gt 96000 ] || { echo "FAILED: the Linux table has only $lines lines"; exit 1; }
if ! cmp -s "$work/linux.txt" "$work/windows.txt"; then
  echo "FAILED: Linux and Windows read or write the code page differently (D: bytes read, E: character written):"
  diff "$work/linux.txt" "$work/windows.txt" | head -n 40
  echo "$(diff "$work/linux.txt" "$work/windows.txt" | grep -c '^<') lines differ"
  exit 1
fi
echo "The same table on Linux and under Wine: $lines codes read and written alike."
