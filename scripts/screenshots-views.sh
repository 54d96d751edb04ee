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

# The Birch, Cedar and Larch views inside the program's window: the model is picked in the radio
# list and each page's tab clicked, by synthetic input through the X server's XTEST extension.
# The places are those of the window as it opens on each screen size.
[[ -x "$build/bin/Tessel" ]] || exit 0
xinput="$(cd "$(dirname "$0")" && pwd)/xtest-input.py"
program="$(cd "$build/bin" && pwd)/Tessel"
declare -A radioRow=([birch]=1 [cedar]=2 [larch]=3)
for size in 1280x1024 800x600; do
    if [[ $size == 1280x1024 ]]; then
        rows=(190,278 190,301 190,324 190,347)
        tabs=(395,260 537,260 696,260 874,260 1001,260)
    else
        rows=(40,100 40,123 40,146 40,169)
        tabs=(222,82 340,82 474,82 624,82 728,82)
    fi
    for model in birch cedar larch; do
        count=5
        [[ $model == larch ]] || count=4
        for ((page = 0; page < count; ++page)); do
            file="$out/views-$model-${pages[$page]}-$size.png"
            clicks=("${rows[${radioRow[$model]}]}" "${tabs[0]}")
            if ((page > 0)); then
                clicks+=("${tabs[$page]}")
            fi
            xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
                "$0" --virtual-radio "$1" & pid=$!
                sleep 3
                python3 "$2" "${@:4}"
                import -window root "$3"
                kill $pid; wait $pid 2>/dev/null || true
            ' "$program" "$model" "$xinput" "$file" "${clicks[@]}"
            echo "$file"
        done
    done
done
