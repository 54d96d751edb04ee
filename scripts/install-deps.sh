#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests, the screenshots and the Debian
# package (and its checks) need.
# Idempotent: prints nothing and touches nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libusb-1.0-0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    qt6-translations-l10n
    xvfb xauth imagemagick fonts-dejavu-core fonts-urw-base35
    dpkg-dev file lintian desktop-file-utils appstream shared-mime-info man-db poppler-utils
    tshark
    at-spi2-core python3-pyatspi xdotool dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
