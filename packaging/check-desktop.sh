#!/usr/bin/env bash
# Validates the desktop entry, the AppStream metadata and the file types as the desktop tools
# read them; fails on any error (hints and pedantic notes pass).
# Usage: check-desktop.sh SOURCE_DIR METAINFO
set -euo pipefail
src=$1
metainfo=$2
desktop-file-validate "$src/org.tessel.Tessel.desktop"
appstreamcli validate --no-net "$metainfo"
# The shared MIME database compiles our types, and a parameter file with another model's
# extension is still told apart by its header.
mime=$(mktemp -d)
trap 'rm -rf "$mime"' EXIT
mkdir -p "$mime/packages"
cp "$src/tessel-mime.xml" "$mime/packages/tessel.xml"
update-mime-database "$mime" >/dev/null
for model in ALDER BIRCH CEDAR LARCH; do
    grep -q "TESSEL302$model" "$mime/magic" || { echo "no magic for $model" >&2; exit 1; }
done
