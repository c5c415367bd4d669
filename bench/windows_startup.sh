#!/usr/bin/env bash
# Start-up of the Windows program under Wine, from the start of kanameru.exe to its visible start
# screen, against a bare Qt Widgets window built the same way (kanameru-barewindow.exe beside it,
# the same DLLs), in one run on a virtual X screen. Target: within 2x of the bare window.
#   bench/windows_startup.sh [RUNS]     (after scripts/windows-build.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
out=${KANAMERU_WINDOWS_BUILD:-$root/build-windows}
zip=$out/kanameru-windows-x64.zip
[ -f "$zip" ] || { echo "No $zip: run scripts/windows-build.sh first" >&2; exit 2; }
export KANAMERU_WINEPREFIX=${KANAMERU_WINEPREFIX:-$out/wineprefix}
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=windows LANG=C.UTF-8 KANAMERU_WINE_INSTALLED=1

work=$(mktemp -d "${TMPDIR:-/tmp}/kanameru-bench.XXXXXX")
xvfb=""
finish() {
  [ -n "$xvfb" ] && kill "$xvfb" 2> /dev/null
  WINEPREFIX=$KANAMERU_WINEPREFIX /usr/lib/wine/wineserver -k 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9> "$work/display" 2> /dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

school="$work/塾の 共有フォルダ"
mkdir -p "$school"
unzip -q "$zip" -d "$school"
cp "$out/build/bench/windows/kanameru-barewindow.exe" "$school/カナメル/"
# The title of the program's start screen: the drill set's title from its settings.
title=""

# Milliseconds from the start of $1 until a visible window titled $2 (any, when empty) appears.
startup_ms() {
  local exe=$1 want=$2 start now id name
  start=$(date +%s%N)
  (cd "$school/カナメル" && exec "$root/scripts/windows-wine.sh" "$exe" > /dev/null 2>&1) &
  local pid=$!
  while :; do
    for id in $(xdotool search --onlyvisible --name . 2> /dev/null || true); do
      name=$(xdotool getwindowname "$id" 2> /dev/null || true)
      if [ -n "$name" ] && { [ -z "$want" ] || [ "$name" = "$want" ]; }; then
        now=$(date +%s%N)
        echo "$(((now - start) / 1000000)) $name"
        WINEPREFIX=$KANAMERU_WINEPREFIX /usr/lib/wine/wineserver -k 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
        return 0
      fi
    done
    if [ $((($(date +%s%N) - start) / 1000000)) -gt 240000 ]; then
      echo "no window of $exe within 4 minutes" >&2
      return 1
    fi
    sleep 0.05
  done
}

# A first start of each warms Wine and the disk cache; it is not counted.
startup_ms kanameru-barewindow.exe kanameru-barewindow > /dev/null
read -r _ title < <(startup_ms kanameru.exe "")
bare=() program=()
for i in $(seq "$runs"); do
  read -r ms _ < <(startup_ms kanameru-barewindow.exe kanameru-barewindow)
  bare+=("$ms")
  read -r ms _ < <(startup_ms kanameru.exe "$title")
  program+=("$ms")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
b=$(median "${bare[@]}")
p=$(median "${program[@]}")
echo "bare Qt window:  ${bare[*]} ms (median $b)"
echo "kanameru.exe:    ${program[*]} ms (median $p) to \"$title\""
ratio=$(awk -v p="$p" -v b="$b" 'BEGIN { printf "%.2f", p / b }')
echo "ratio $ratio (target: at most 2.00)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 2.0) }'
