#!/usr/bin/env bash
# Screenshots of the window's dialogs and notes as a user meets them, on a large screen
# (1280x1024) and on a small one (800x600): a file with four frequency ranges given on the
# command line with a channel-table header hint at the right edge, the message log after a read,
# the question on closing with unsaved edits, and the save dialog. Menus and cells are reached by
# synthetic input through the X server's XTEST extension, at the places of the window as it
# opens on each screen size.
# Usage: scripts/screenshots-window.sh [BUILD]   -> BUILD/screenshots/window-*.png
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
program="$(cd "$build/bin" && pwd)/Tessel"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A parameter file of the Alder radio with four allowed ranges.
"$build/bin/tessel-cli" new alder -o "$work/new.ald"
sed -e 's/^FR1=.*\r$/FR1=147000000\r/' -e 's/^FR2=.*\r$/FR2=148000000\r/' \
    -e 's/^FR3=.*\r$/FR3=166000000\r/' -e 's/^FR4=.*\r$/FR4=167000000\r/' \
    -e 's/^FR5=.*\r$/FR5=170000000\r/' -e 's/^FR6=.*\r$/FR6=171000000\r/' \
    -e 's/^FR7=.*\r$/FR7=172000000\r/' -e 's/^FR8=.*\r$/FR8=173000000\r/' \
    "$work/new.ald" >"$work/ranges.ald"

xinput="$(cd "$(dirname "$0")" && pwd)/xtest-input.py"

shoot() {
    local size=$1 name=$2 file=$3
    shift 3
    xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        cd "$3"
        "$0" --virtual-radio alder ${4:+"$4"} & pid=$!
        sleep 3
        python3 "$1" "${@:5}"
        import -window root "$2"
        kill $pid; wait $pid 2>/dev/null || true
    ' "$program" "$xinput" "$out/window-$name-$size.png" "$work" "$file" "$@"
    echo "$out/window-$name-$size.png"
}

for size in 1280x1024 800x600; do
    if [[ $size == 1280x1024 ]]; then
        x=162 y=178  # the window's top left corner, centred on the screen
        header=885,127  # the header of the channel table's last column
    else
        x=0 y=0
        header=760,112
    fi
    at() { echo "$((x + $1)),$((y + $2))"; }
    params=$(at 40 8) radio=$(at 140 8) help=$(at 225 8)
    shoot "$size" ranges-hint "$work/ranges.ald" "m:$(at ${header%,*} ${header#*,})" "w:1.5"
    shoot "$size" log "" "$radio" "$(at 180 31)" "w:2" "$help" "$(at 270 54)" "w:0.5"
    shoot "$size" exit "" "$(at 221 160)" "$params" "$(at 60 143)" "w:0.5"
    shoot "$size" save-dialog "" "$params" "$(at 85 120)" "w:1"
done
