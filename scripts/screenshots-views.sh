#!/usr/bin/env bash
# Screenshots of every page of the radio views, in the normal layout (1280x1024 screen) and the
# compact one (800x600), each inside a window like the program's. The pages are shown by the
# viewer of the test tree (it opens the view on a chosen page); when the program exists, its
# own window with the first radio selected is taken too.
# Usage: scripts/screenshots-views.sh [BUILD]   -> BUILD/screenshots/views-*.png
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
viewer="$(cd "$build/tests" && pwd)/tessel-view-viewer"
pages=(canals basics scanning sames key)

for size in 1280x1024 800x600; do
    for index in "${!pages[@]}"; do
        file="$out/views-alder-${pages[$index]}-$size.png"
        xvfb-run -a -s "-screen 0 ${size}x24" "$viewer" --page "$index" --out "$file"
        echo "$file"
    done
    if [[ -x "$build/bin/Tessel" ]]; then
        file="$out/views-tessel-$size.png"
        xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
            "$0" & pid=$!
            sleep 3
            import -window root "$1"
            kill $pid; wait $pid 2>/dev/null || true
        ' "$(cd "$build/bin" && pwd)/Tessel" "$file"
        echo "$file"
    fi
done
