#!/usr/bin/env bash
# Builds and runs the fault-injection matrix (the ctest cases labelled "faults") and prints a
# one-line summary. Most cases sit out a reply window, so they run many at a time even on a
# small machine.
# Usage: scripts/fault-matrix.sh [BUILD]   (JOBS=n sets how many cases run at once; default 12)
set -euo pipefail
build=${1:-build}
jobs=${JOBS:-12}
cmake --build "$build" --target stress_fault_matrix >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
start=$(date +%s)
status=0
ctest --test-dir "$build" -L '^faults$' -j "$jobs" --output-on-failure >"$log" 2>&1 || status=$?
seconds=$(( $(date +%s) - start ))
# "100% tests passed, 0 tests failed out of 937" (or "97% tests passed, 3 tests failed out of 937")
line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
if [ -z "$line" ]; then
    cat "$log"
    echo "Fault matrix: no cases run"
    exit 1
fi
total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
failed=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$line")
if [ "$failed" -ne 0 ]; then
    sed -n '/The following tests FAILED/,$p' "$log"
fi
echo "Fault matrix: $total cases run, $((total - failed)) passed (${seconds} s)"
exit $status
