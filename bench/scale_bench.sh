#!/usr/bin/env bash
# The drill's first question and judgement and the board's first activation, with the forms
# drawn at Qt scale factor 1, at 1.5, and smaller by their hosts at 0.723 (a 1024 x 600
# screen), in one run: each benchmark program runs once per scale (Qt reads its scale factor
# only at start-up) and the table gives the ratios of the times to those at scale 1. (The
# board's activation builds the form without showing it, so no scale draws anything there.)
# Usage: bench/scale_bench.sh [build folder]
set -euo pipefail
build="${1:-build}"
drill="$build/bench/drillform_bench"
board="$build/bench/board_bench"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for scale in 1 1.5 0.723; do
  export QT_SCALE_FACTOR=$scale KANAMERU_FORM_SCALE=1
  if [ "$scale" = 0.723 ]; then
    export QT_SCALE_FACTOR=1 KANAMERU_FORM_SCALE=$scale
  fi
  "$drill" --benchmark_filter='BM_StartToFirstQuestion|BM_JudgeExplanations' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=csv >"$out/drill-$scale.csv" 2>/dev/null
  "$board" --benchmark_filter='BoardFirstActivation' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=csv >"$out/board-$scale.csv" 2>/dev/null
done
# The median real time of each benchmark, and its ratio at 1.5 and at 0.723 against 1.
python3 - "$out" <<'PY'
import csv, sys, glob, os
out = sys.argv[1]
def medians(scale):
    times = {}
    for f in glob.glob(os.path.join(out, f"*-{scale}.csv")):
        lines = [l for l in open(f) if l.startswith('"') or l.startswith('name')]
        for row in csv.DictReader(lines):
            if row["name"].endswith("_median"):
                times[row["name"][:-7]] = (float(row["real_time"]), row["time_unit"])
    return times
one, more, hosted = medians("1"), medians("1.5"), medians("0.723")
print(f"{'benchmark':32} {'scale 1':>12} {'1.5':>12} {'ratio':>6} {'0.723':>12} {'ratio':>6}")
worst = 0.0
for name in sorted(one):
    a, unit = one[name]
    b, _ = more.get(name, (float("nan"), unit))
    c, _ = hosted.get(name, (float("nan"), unit))
    worst = max(worst, b / a)
    print(f"{name:32} {a:9.2f} {unit:2} {b:9.2f} {unit:2} {b / a:6.2f} {c:9.2f} {unit:2} {c / a:6.2f}")
print(f"largest ratio at 1.5: {worst:.2f} (target: at most 1.20)")
PY
