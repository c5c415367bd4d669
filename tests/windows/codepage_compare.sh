#!/usr/bin/env bash
# The Japanese code page read and written alike by the Linux build and, under Wine, by the
# Windows build: tests/startup/codepage_table.cpp's whole table from each, compared line by line.
#   codepage_compare.sh LINUX_TABLE_PROGRAM WINDOWS_BUILD
# Exits with 3 (a skipped test) when the Windows program has not been built.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
windows_program=$2/tests/startup/codepage_table.exe
[ -f "$windows_program" ] || { echo "Skipped: no Windows build (scripts/windows-deps.sh, then ./test)."; exit 3; }
export KANAMERU_WINEPREFIX=${KANAMERU_WINEPREFIX:-$root/build-windows/wineprefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/kanameru-codepage.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$1" "$work/linux.txt"
DISPLAY='' "$root/scripts/windows-wine.sh" "$windows_program" "Z:${work//\//\\}\\windows.txt"
if ! diff "$work/linux.txt" "$work/windows.txt" > "$work/diff"; then
  echo "FAILED: $(grep -c '^<' "$work/diff") codes read (D) or written (E) otherwise under Wine:"
  head -n 40 "$work/diff"
  exit 1
fi
echo "The same on Linux and under Wine: $(wc -l < "$work/linux.txt") codes read and written."
