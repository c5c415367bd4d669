#!/usr/bin/env bash
# Peak memory of `kanameru-results export` against the size of the results file: files of
# 100 000 and 1 000 000 generated records, exported to /dev/null; the peak (max RSS) must stay
# flat, not grow with the file.
# Usage: bench/export_memory.sh [build folder]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$build/tools/kanameru-results" "$work" <<'PY'
import os, resource, struct, subprocess, sys
tool, work = sys.argv[1], sys.argv[2]
def results_file(n):
    path = os.path.join(work, f"{n}.dat")
    one = struct.pack("<ddhhi", 46000.0, 0.5, 12, 1, 77) + b"     " * 3 + b"\0" * 5
    assert len(one) == 44
    with open(path, "wb") as f:
        for _ in range(n // 10000):
            f.write(one * 10000)
    return path
rows = []
for n in (100_000, 1_000_000):
    path = results_file(n)
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    with open(os.devnull, "wb") as null:
        subprocess.run([tool, "export", path], stdout=null, stderr=subprocess.DEVNULL, check=True)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    rows.append((n, peak))
    print(f"{n:>9} records ({n * 44 / 2**20:6.1f} MiB): peak {peak / 1024:7.1f} MiB")
(small, a), (large, b) = rows
print(f"ten times the records, {b / a:.2f} times the memory (flat: at most 1.5)")
sys.exit(0 if b <= 1.5 * a else 1)
PY
