#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each on the
# kept corpus in fuzz/corpus/<target>/. A crash fails the run and leaves its input in
# build-fuzz/crashes/.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   a run bounded in time
#        scripts/fuzz.sh --ci                   a fixed seed and a fixed number of inputs per
#                                               target, so that a pass here passes in CI too
#        scripts/fuzz.sh --long [TARGET...]     FUZZ_RUNS inputs per target (default 10 000 000),
#                                               or FUZZ_SECONDS each when that is set; seeded
#                                               with real inputs from SEEDS_DIR when it exists;
#                                               then the corpus is minimised (-merge=1) and kept;
#                                               a run stopped with SIGINT or SIGTERM to its
#                                               fuzzer (not to this script; a fuzzer started in
#                                               the background ignores SIGINT) says how far it
#                                               got, keeps its corpus the same way and ends the
#                                               pass;
#                                               FUZZ_JOBS=N runs N fuzzer processes at once
#                                               (libFuzzer's -fork=N; FUZZ_RUNS counts them all);
#                                               allocation stacks are off unless ASAN_OPTIONS
#                                               says otherwise
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(paramfile image csv irda serial sirframe sirlayers usb)
mode=time
seconds=${1:-30}
case "${1:-}" in
    --ci) mode=ci seconds=300 ;;
    --long)
        mode=long
        shift
        [ $# -gt 0 ] && targets=("$@")
        ;;
esac
# Inputs per target in the fixed pass, about 15 seconds of each.
declare -A ci_runs=([paramfile]=8000 [image]=4000 [csv]=2000 [irda]=200000 [serial]=500000
    [sirframe]=250000 [sirlayers]=500000 [usb]=500000)
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DTESSEL_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

# The kept corpus is the smallest set of inputs that reaches every edge the work corpus, the
# seeds and the kept corpus reach together (edges only, not their hit counts: a few dozen inputs
# instead of hundreds).
keep_minimised() {
    local target=$1 kept="fuzz/corpus/$1" merged="$build/merged/$1"
    rm -rf "$merged" && mkdir -p "$merged"
    local inputs=("$kept" "$build/corpus/$target")
    [ -d "${SEEDS_DIR:-}/$target" ] && inputs+=("$SEEDS_DIR/$target")
    "$build/fuzz/fuzz_$target" -merge=1 -use_counters=0 -timeout=10 -rss_limit_mb=2048 "$merged" "${inputs[@]}" \
        2>>"$build/fuzz_$target.log"
    rm -rf "$kept" && mv "$merged" "$kept"
    echo "   kept $(find "$kept" -type f | wc -l) inputs, $(cat "$kept"/* | wc -c) bytes"
}

status=0
interrupted=72
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work" "fuzz/corpus/$target" "$build/crashes"
    echo "== fuzz_$target"
    bound=(-max_total_time="$seconds")
    inputs=("$work" "fuzz/corpus/$target")
    case $mode in
        ci) bound+=(-seed=20261208 -runs="${ci_runs[$target]}") ;;
        long)
            if [ -n "${FUZZ_SECONDS:-}" ]; then
                bound=(-max_total_time="$FUZZ_SECONDS")
            else
                bound=(-runs="${FUZZ_RUNS:-10000000}")
            fi
            [ -d "${SEEDS_DIR:-}/$target" ] && inputs+=("$SEEDS_DIR/$target")
            [ "${FUZZ_JOBS:-1}" -gt 1 ] && bound+=(-fork="$FUZZ_JOBS")
            # Recording where every block was allocated costs a sixth of each model input; a
            # crash keeps its input in build-fuzz/crashes/, and running that again shows them.
            export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
            ;;
    esac
    started=$SECONDS
    result=0
    "$build/fuzz/fuzz_$target" "${bound[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        -interrupt_exitcode=$interrupted "${inputs[@]}" 2>"$build/fuzz_$target.log" || result=$?
    if [ $result -ne 0 ] && [ $result -ne $interrupted ]; then
        status=1
        tail -n 40 "$build/fuzz_$target.log"
        continue
    fi
    # The run's figures: inputs, their rate, the coverage reached, the time taken.
    runs=$(sed -n -e 's/^stat::number_of_executed_units: *//p' \
        -e 's/^INFO: fuzzed for \([0-9]*\) iterations.*/\1/p' "$build/fuzz_$target.log" | tail -n 1)
    # A run with FUZZ_JOBS that is stopped prints no final count: its last progress line has it.
    [ "${runs:-0}" -gt 0 ] || runs=$(sed -n 's/^#\([0-9]*\):.*/\1/p' "$build/fuzz_$target.log" | tail -n 1)
    cov=$(grep -oE 'cov: [0-9]+' "$build/fuzz_$target.log" | tail -n 1 | cut -d' ' -f2)
    elapsed=$((SECONDS - started))
    [ $result -eq $interrupted ] && echo "   interrupted"
    echo "   $runs runs in ${elapsed} s ($((runs / (elapsed > 0 ? elapsed : 1))) per second), cov: $cov"
    [ "$mode" = long ] && keep_minimised "$target"
    # A run stopped from outside (SIGINT or SIGTERM to the fuzzer) keeps what it found and ends
    # the pass.
    [ $result -eq $interrupted ] && break
done
exit $status
