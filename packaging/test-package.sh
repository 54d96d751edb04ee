#!/usr/bin/env bash
# Unpacks the package built by the package.build test into a scratch root and runs the installed
# commands from there: through the links in bin/, the program must find its plug-ins and its
# manual beside its resolved executable.
# Usage: test-package.sh DEB_DIR VERSION
set -euo pipefail
deb_dir=$1
version=$2
deb=$(ls "$deb_dir"/tessel_"$version"_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin="$root/usr/bin"

fail() { echo "FAIL: $*" >&2; exit 1; }

for program in Tessel tessel-cli tessel-radiosim; do
    [[ -L "$bin/$program" ]] || fail "$program is not a link in bin/"
    [[ "$("$bin/$program" --version)" == "$program $version" ]] || fail "$program --version"
done

models=$("$bin/tessel-cli" models)
[[ $(wc -l <<<"$models") -eq 4 ]] || fail "four modules expected, got: $models"
for id in ALDER BIRCH CEDAR LARCH; do grep -q "^$id" <<<"$models" || fail "$id missing"; done

"$bin/tessel-cli" new alder -o "$root/new.ald"
[[ "$(head -c 16 "$root/new.ald")" == "TESSEL302ALDER00" ]] || fail "new alder: header"
"$bin/tessel-cli" show "$root/new.ald" >/dev/null || fail "show of the new file"

# The demonstration radio answers from the installed tree too.
TESSEL_IRDA_DIR="$root/irda" "$bin/tessel-cli" read --virtual-radio alder -o "$root/read.ald"
"$bin/tessel-cli" show "$root/read.ald" | grep -q "145" || fail "demonstration channels"

rules="$root/usr/lib/udev/rules.d/70-tessel-irda.rules"
for id in 'ATTR{idVendor}=="066f", ATTR{idProduct}=="4200"' 'ATTR{idVendor}=="9710", ATTR{idProduct}=="7780"' \
          ':fe02??:'; do
    grep -F "$id" "$rules" | grep -q 'TAG+="uaccess"' || fail "udev rule for $id"
done

lib="$root/usr/lib/tessel"
[[ -f "$lib/И1_РВ.pdf" ]] || fail "the manual beside the program"
for page in Tessel tessel-cli tessel-radiosim; do
    [[ -f "$root/usr/share/man/man1/$page.1.gz" ]] || fail "man page $page"
    [[ -f "$root/usr/share/man/ru/man1/$page.1.gz" ]] || fail "Russian man page $page"
done
for file in applications/org.tessel.Tessel.desktop icons/hicolor/scalable/apps/org.tessel.Tessel.svg \
            metainfo/org.tessel.Tessel.metainfo.xml mime/packages/tessel.xml doc/tessel/copyright \
            doc/tessel/changelog.gz; do
    [[ -f "$root/usr/share/$file" ]] || fail "$file"
done
echo "package $deb: ok"
