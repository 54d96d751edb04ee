#!/usr/bin/env bash
# Runs every benchmark of the project (built into BUILD/bench) and prints their tables.
# Usage: scripts/bench.sh [BUILD]   (make bench)
set -euo pipefail
build=${1:-build}
status=0
for bench in "$build"/bench/bench_*; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || status=1
done
exit $status
