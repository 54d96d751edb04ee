#!/bin/sh
# Takes a picture of the widget gallery on a virtual screen; builds nothing.
#   widgets/gallery/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -eu
build=${1:-build-widgets}
out=${2:-gallery.png}
gallery="$build/bin/tessel-gallery"
[ -x "$gallery" ] || { echo "no $gallery: build the tessel-gallery target first" >&2; exit 1; }
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1" --quit-after 4000 &
    pid=$!
    sleep 2
    import -window root "$2"
    wait "$pid"
' sh "$gallery" "$out"
echo "$out"
