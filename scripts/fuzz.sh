#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each for a
# bounded time on its seed corpus. A crash fails the run and leaves its input in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   a run bounded in time (a long run: 3600)
#        scripts/fuzz.sh --ci                   a fixed seed and a fixed number of inputs per
#                                               target, so that a pass here passes in CI too
set -euo pipefail
cd "$(dirname "$0")/.."
ci=false
if [ "${1:-}" = "--ci" ]; then
    ci=true
    seconds=300
else
    seconds=${1:-30}
fi
# Inputs per target in the fixed pass, about 15 seconds of each.
declare -A ci_runs=([paramfile]=8000 [image]=4000 [irda]=200000 [serial]=500000 [sirframe]=250000
    [sirlayers]=500000)
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DTESSEL_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_paramfile fuzz_image fuzz_irda fuzz_serial \
    fuzz_sirframe fuzz_sirlayers
status=0
for target in paramfile image irda serial sirframe sirlayers; do
    work="$build/corpus/$target"
    mkdir -p "$work" "$build/crashes"
    echo "== fuzz_$target"
    bound=""
    $ci && bound="-seed=20261208 -runs=${ci_runs[$target]}"
    # shellcheck disable=SC2086
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" $bound -timeout=10 -rss_limit_mb=2048 \
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
