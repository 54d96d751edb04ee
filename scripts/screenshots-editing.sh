#!/usr/bin/env bash
# Screenshots of whole-channel editing in the Alder channel table: marked channels, and the
# "Заполнить каналы…" dialog for them, in the normal and the compact layout.
# Usage: scripts/screenshots-editing.sh [BUILD]   -> BUILD/screenshots/editing-*.png
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
viewer="$(cd "$build/tests" && pwd)/tessel-view-viewer"
for size in 1280x1024 800x600; do
    xvfb-run -a -s "-screen 0 ${size}x24" "$viewer" --page 0 --marked \
        --out "$out/editing-marked-$size.png" --fill "$out/editing-fill-$size.png"
    echo "$out/editing-marked-$size.png"
    echo "$out/editing-fill-$size.png"
done
