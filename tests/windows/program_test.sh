#!/usr/bin/env bash
# The Windows program from the zip as a school starts it, under Wine on a virtual X screen:
# unpacked into a folder whose path has Japanese and a space, its start screen appears and
# looks like the Linux program's, a pupil is chosen with the keyboard, the board opens, "0"
# goes back to the start screen, the close box ends the program with exit code 0, and the
# results file is there, made by the program.
#   program_test.sh ZIP LINUX_BUILD SCREENGRAB SHOTCOMPARE
# Exits with 3 (a skipped test) when the Windows libraries have not been built.
set -euo pipefail
zip=$(realpath "$1") linux_build=$(realpath "$2") screengrab=$(realpath "$3") shotcompare=$(realpath "$4")
root=$(cd "$(dirname "$0")/../.." && pwd)
deps=${KANAMERU_WINDOWS_DEPS:-$HOME/.cache/kanameru-windows}
if [ ! -f "$deps/.complete" ]; then
  echo "Skipped: no Windows build. Build Qt and SDL2 for Windows once with scripts/windows-deps.sh"
  echo "(about an hour on two cores); ./test then builds and tests the Windows program."
  exit 3
fi
export KANAMERU_WINDOWS_DEPS=$deps
export KANAMERU_WINEPREFIX=${KANAMERU_WINEPREFIX:-$(dirname "$zip")/wineprefix}
export SDL_AUDIODRIVER=dummy LANG=C.UTF-8
wineserver=/usr/lib/wine/wineserver

work=$(mktemp -d "${TMPDIR:-/tmp}/kanameru-windows.XXXXXX")
pids=()
finish() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  WINEPREFIX=$KANAMERU_WINEPREFIX "$wineserver" -k 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "FAILED: $*"
  [ -f "$work/wine.log" ] && sed 's/^/  wine: /' "$work/wine.log" | tail -n 20
  exit 1
}

# The visible windows whose title is $1 exactly.
titled() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2> /dev/null || true); do
    [ "$(xdotool getwindowname "$id" 2> /dev/null)" = "$1" ] && echo "$id"
  done
  return 0
}
# Waits up to $1 seconds for a visible window titled $2 other than $3; prints its id.
wait_window() {
  local until=$((SECONDS + $1)) id
  while [ $SECONDS -lt $until ]; do
    id=$(titled "$2" | grep -vx "${3:-none}" | tail -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
# Waits up to $1 seconds until the window $2 is no longer visible.
wait_gone() {
  local until=$((SECONDS + $1))
  while [ $SECONDS -lt $until ]; do
    xdotool search --onlyvisible --name . 2> /dev/null | grep -qx "$2" || return 0
    sleep 0.5
  done
  return 1
}

# An X server of its own on a free display (tried again if it does not come up).
for attempt in 1 2 3; do
  rm -f "$work/display"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9> "$work/display" 2> "$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] && break
  kill $xvfb 2> /dev/null || true
done
[ -s "$work/display" ] || fail "no X server"
pids+=("$xvfb")
export DISPLAY=":$(head -n 1 "$work/display")"

# The school's folder: a path with Japanese and a space.
school="$work/塾の 共有フォルダ"
mkdir -p "$school"
unzip -q "$zip" -d "$school"
[ -f "$school/カナメル/kanameru.exe" ] || fail "no カナメル/kanameru.exe in the zip"
results="$school/カナメル/成績累積データ.dat"
[ ! -e "$results" ] || fail "the zip carries a results file"

# The Linux program's start screen, to compare with.
cmake --install "$linux_build" --prefix "$work/linux" > /dev/null
(cd "$work/linux/カナメル" && QT_QPA_PLATFORM=xcb exec ./kanameru > /dev/null 2>&1) &
linux=$!
pids+=("$linux")
title=""
for _ in $(seq 120); do
  id=$(xdotool search --onlyvisible --pid $linux 2> /dev/null | head -n 1 || true)
  [ -n "$id" ] && title=$(xdotool getwindowname "$id" 2> /dev/null || true)
  [ -n "$title" ] && break
  sleep 0.5
done
[ -n "$title" ] || fail "the Linux program showed no window"
sleep 2
QT_QPA_PLATFORM=xcb "$screengrab" 0 "$work/linux.png" || fail "no screenshot"
kill -TERM $linux
wait $linux || true
[ -z "$(titled "$title")" ] || fail "the Linux program did not end"

# The Windows program, started in its folder as a double click does.
(
  cd "$school/カナメル"
  set +e
  QT_QPA_PLATFORM=windows KANAMERU_WINE_INSTALLED=1 "$root/scripts/windows-wine.sh" kanameru.exe > "$work/wine.log" 2>&1
  echo $? > "$work/exit"
) &
pids+=("$!")
start=$(wait_window 240 "$title") || fail "no start screen \"$title\" within 4 minutes"
echo "start screen \"$title\" after $SECONDS s"
sleep 3 # its first paint
QT_QPA_PLATFORM=xcb "$screengrab" 0 "${KANAMERU_WINDOWS_SHOT:-$work/windows.png}" || fail "no screenshot"
"$shotcompare" "$work/linux.png" "${KANAMERU_WINDOWS_SHOT:-$work/windows.png}" 40 ||
  fail "the start screen under Wine does not look like the Linux one"

# Keys go to the window that has the focus: with no window manager on the virtual screen, the
# test gives it to each new window as a click on it would.
# $2 $3: a point of the window where a click changes nothing, for a window that takes its focus
# only from a click (Wine's).
focus() {
  xdotool mousemove --window "$1" "${2:-5}" "${3:-5}"
  [ -n "${2:-}" ] && xdotool click 1
  xdotool windowfocus --sync "$1" 2> /dev/null || true
  sleep 1
}
# The pupil list has the focus: the first pupil below the separator line, then Enter.
focus "$start"
xdotool key --delay 300 Down Return
# The board replaces the start screen.
wait_gone 60 "$start" || fail "choosing a pupil with the keyboard did not leave the start screen"
board=$(wait_window 60 "$title" "$start") || fail "choosing a pupil with the keyboard did not open the board"
echo "board opened"
sleep 2
focus "$board" 300 200 # the empty space right of "戻る(0)"
xdotool key 0
wait_gone 60 "$board" || fail "the board stayed after \"0\""
back=$(wait_window 60 "$title" "$board") || fail "no start screen after \"0\""
echo "back on the start screen"
sleep 2
focus "$back"
# The close box: Alt+F4 is the system's close command (SC_CLOSE), as a click on it is.
xdotool key alt+F4
for _ in $(seq 240); do
  [ -s "$work/exit" ] && break
  sleep 0.5
done
[ -s "$work/exit" ] || fail "the program did not end after its close box"
code=$(cat "$work/exit")
[ "$code" = 0 ] || fail "exit code $code"
[ -f "$results" ] || fail "no results file $results"
echo "ended with exit code 0; results file there"
