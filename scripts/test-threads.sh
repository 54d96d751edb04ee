#!/usr/bin/env bash
# The tests whose threads are the project's own (the links, the virtual radio's server threads,
# the fault matrix and the soak) under ThreadSanitizer.
# The window's workers hand off through Qt's queued calls, whose synchronisation lives in the
# uninstrumented Qt libraries; ThreadSanitizer cannot see it there, so those tests run in the
# other suites instead.
# Usage: scripts/test-threads.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tsan}
cmake -S . -B "$build" -G Ninja -DTESSEL_TSAN=ON -DTESSEL_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --output-on-failure -j "$(nproc)" -L "links|faults|soak|sir"
