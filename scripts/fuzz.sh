#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each for a
# bounded time on its seed corpus. A crash fails the run and leaves its input in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]     (CI runs a short pass; a long run is e.g. 3600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DTESSEL_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_paramfile fuzz_image fuzz_irda fuzz_serial
status=0
for target in paramfile image irda serial; do
    work="$build/corpus/$target"
    mkdir -p "$work" "$build/crashes"
    echo "== fuzz_$target for ${seconds}s"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        "$work" "fuzz/corpus/$target" 2>"$build/fuzz_$target.log"; then
        status=1
        tail -n 40 "$build/fuzz_$target.log"
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$target.log" | tr '\n' ' '
        echo
    fi
done
exit $status
