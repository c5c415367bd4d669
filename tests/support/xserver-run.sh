#!/usr/bin/env bash
# Runs one test program under an X server of its own (Xvfb), optionally with a window manager.
#
#   xserver-run.sh [--screen WxH] [--wm COMMAND] -- PROGRAM [ARGS...]
#
# Xvfb picks a free display itself and reports it through -displayfd, so tests run side by side
# never race for a display number. With --wm, COMMAND is started on the display and the program
# waits until the window manager has announced itself on the root window. The X server and the
# window manager are ended however the program ends (also when CTest kills this script on a
# time-out); the program's exit code is this script's.
set -u
screen=1280x1024
wm=""
while [ $# -gt 0 ]; do
  case "$1" in
    --screen) screen=$2; shift 2 ;;
    --wm) wm=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "xserver-run.sh: no program given" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kanameru-x.XXXXXX") || exit 2
xpid=""
wmpid=""
child=""
cleanup() {
  [ -n "$child" ] && kill "$child" 2>/dev/null
  [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  [ -n "$xpid" ] && wait "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

mkfifo "$work/displayfd"
# -noreset: an X server resets when its last client leaves and refuses connections meanwhile;
# a probe that connects and leaves (ours below, the program's screen probe) must not make the
# next connection fail.
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset \
  3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xpid=$!
display=""
# The FIFO's read ends when Xvfb writes the number (or dies); the timeout guards a hang.
read -r -t 30 display <"$work/displayfd"
if [ -z "$display" ]; then
  echo "xserver-run.sh: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 2
fi
export DISPLAY=":$display"
# Xvfb names its display as soon as its sockets exist; on a loaded machine it may take a while
# longer to answer. The test starts once a client has been served on the display while this
# script's Xvfb still runs: the display is ours (the socket is held by our server alone).
served=""
for _ in $(seq 1 300); do
  kill -0 "$xpid" 2>/dev/null || break
  if xdpyinfo >/dev/null 2>&1 && kill -0 "$xpid" 2>/dev/null; then
    served=1
    break
  fi
  sleep 0.1
done
if [ -z "$served" ]; then
  echo "xserver-run.sh: the X server on :$display (pid $xpid) never served a client:" >&2
  cat "$work/xvfb.log" >&2
  exit 2
fi

if [ -n "$wm" ]; then
  $wm >"$work/wm.log" 2>&1 &
  wmpid=$!
  ready=""
  starts=1
  for _ in $(seq 1 300); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
      ready=1
      break
    fi
    if ! kill -0 "$wmpid" 2>/dev/null; then
      # On a loaded machine the window manager may find the new server not yet taking
      # connections: it is started again, up to three times.
      [ "$starts" -lt 3 ] || break
      starts=$((starts + 1))
      sleep 0.2
      $wm >>"$work/wm.log" 2>&1 &
      wmpid=$!
    fi
    sleep 0.1
  done
  if [ -z "$ready" ]; then
    echo "xserver-run.sh: the window manager ($wm) did not start:" >&2
    cat "$work/wm.log" >&2
    exit 2
  fi
fi

"$@" &
child=$!
wait "$child"
status=$?
child=""
exit $status
