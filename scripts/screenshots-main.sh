#!/usr/bin/env bash
# Screenshots of the main window with the Alder radio selected, on a large screen (1280x1024)
# and on a small one (800x600, where the window starts maximized in its compact size).
# Usage: scripts/screenshots-main.sh [BUILD]   -> BUILD/screenshots/main-*.png
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
program="$(cd "$build/bin" && pwd)/Tessel"

shoot() {
    local size=$1 name=$2
    xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        "$0" --virtual-radio alder & pid=$!
        sleep 3
        import -window root "$1"
        kill $pid; wait $pid 2>/dev/null || true
    ' "$program" "$out/$name.png"
    echo "$out/$name.png"
}

shoot 1280x1024 main-1280x1024
shoot 800x600 main-800x600
