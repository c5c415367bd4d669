#!/usr/bin/env bash
# Counts the file-system calls the program makes on its installation folder, as a workstation
# on a network share pays them (each one a round trip): start-up until the start screen shows,
# opening the board after "O.K.", and one attempt from the level's start button to the end
# screen; and apart from the board's opening, the board's count of the events due for review that
# follows it (the events file and, when some are due, the question file). The program runs from a fresh installation in a temporary folder (a first run makes
# the results files, as on any day but the very first), under strace, driven by
# roundtrips_bench (bench/roundtrips_main.cpp), and the counts are set against the budgets.
# Usage: bench/roundtrips.sh [build folder]    (exit code 1 when a budget is exceeded)
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d /tmp/kanameru-roundtrips.XXXXXX)"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/inst" >/dev/null
program="$work/inst/カナメル"
cp "$build/bench/roundtrips_bench" "$program/"
# Headless, on a screen of 1280 x 1024 (the offscreen default of 800 x 600 would host the forms
# smaller), without a sound card.
echo '{"screens":[{"name":"s","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}' \
  >"$work/screen.json"
export QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" SDL_AUDIODRIVER=dummy
"$program/roundtrips_bench" >/dev/null 2>&1
strace -f -y -qq -e trace=%file,%desc -o "$work/trace" "$program/roundtrips_bench" >/dev/null 2>&1
python3 - "$work/trace" "$work/inst" <<'PY'
import re, sys
trace, folder = sys.argv[1], sys.argv[2]
budgets = [("start-up", "started", 50), ("board opening", "board", 7), ("review count", "review", 8),
           ("one attempt", "attempt", 60)]
counts = {name: 0 for name, _, _ in budgets}
calls = {name: {} for name, _, _ in budgets}
phase = 0
for line in open(trace, errors="replace"):
    if phase < len(budgets) and "/kanameru-roundtrips-phase/" + budgets[phase][1] in line:
        phase += 1
        continue
    if phase >= len(budgets) or folder not in line:
        continue
    # The program's own name read from /proc names the folder without going there.
    if 'readlink("/proc/' in line:
        continue
    name = budgets[phase][0]
    counts[name] += 1
    call = re.match(r"\d+\s+(\w+)", line)
    key = call.group(1) if call else "?"
    calls[name][key] = calls[name].get(key, 0) + 1
if phase < len(budgets):
    sys.exit("the run did not reach every phase")
over = False
print(f"{'phase':16} {'calls':>6} {'budget':>7}")
for name, _, budget in budgets:
    over |= counts[name] > budget
    detail = ", ".join(f"{k} {v}" for k, v in sorted(calls[name].items(), key=lambda kv: -kv[1]))
    print(f"{name:16} {counts[name]:6} {budget:7}   {'ok' if counts[name] <= budget else 'OVER'}   ({detail})")
sys.exit(1 if over else 0)
PY
