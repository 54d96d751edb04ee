#!/usr/bin/env bash
# What the interoperability test against the Linux IrDA stack needs, beyond scripts/install-deps.sh:
# qemu, a static busybox, ip and ldattach for the guest (installed through apt), and Debian 12's 6.1 kernel with the IrDA
# modules (the stack, the serial line discipline, the USB adapters' drivers) built for it from the
# tarball in shared/third_party/. The kernel packages are only
# downloaded and unpacked into a cache (never installed into this machine); the modules are
# built once per kernel and tarball and kept there.
#
#   scripts/interop-deps.sh          prints KERNEL_DIR MODULES_DIR on success
#
# Exit status 0 on success, 77 with "skipped: <reason>" on stderr when the test cannot run here
# (no apt, no kernel package, no tarball), 1 when something that should have worked failed.
# Environment: TESSEL_INTEROP_CACHE (default ~/.cache/tessel-interop), TESSEL_INTEROP_KERNEL
# (an ABI name such as 6.1.0-57-amd64; default the one linux-image-amd64 depends on),
# TESSEL_IRDA_TARBALL (default shared/third_party/linux-irda-*.tar.gz beside the checkout).
set -euo pipefail
cd "$(dirname "$0")/.."

skip() { echo "skipped: $*" >&2; exit 77; }
fail() { echo "interop-deps: $*" >&2; exit 1; }
log() { echo "interop-deps: $*" >&2; }
# A command that stops the script under set -e says which it was.
trap 'echo "interop-deps: line $LINENO failed: $BASH_COMMAND" >&2' ERR

cache=${TESSEL_INTEROP_CACHE:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/tessel-interop}
mkdir -p "$cache"

tarball=${TESSEL_IRDA_TARBALL:-}
if [ -z "$tarball" ]; then
    for candidate in ../shared/third_party/linux-irda-*.tar.gz ../../shared/third_party/linux-irda-*.tar.gz \
                     /work/shared/third_party/linux-irda-*.tar.gz; do
        [ -f "$candidate" ] && { tarball=$candidate; break; }
    done
fi
[ -n "$tarball" ] && [ -f "$tarball" ] || skip "no Linux IrDA source tarball (shared/third_party/linux-irda-*.tar.gz)"
command -v apt-get >/dev/null || skip "no apt-get: the kernel comes from Debian's packages"

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

# The host packages: qemu for the virtual machine, busybox for its first user space.
need=()
for p in qemu-system-x86 busybox-static iproute2 util-linux; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    log "installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    timeout 600 "${as_root[@]}" apt-get update -qq || skip "apt-get update failed"
    timeout 900 "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null ||
        skip "cannot install ${need[*]}"
fi

# Which kernel: a pinned one, else the one Debian 12's metapackage names (its ABI moves with
# security updates; an older one already in the cache serves when apt cannot tell).
abi=${TESSEL_INTEROP_KERNEL:-}
if [ -z "$abi" ]; then
    abi=$(timeout 60 apt-cache depends linux-image-amd64 2>/dev/null |
          sed -n 's/^ *Depends: linux-image-\(6\.1\.[0-9]*-[0-9]*-amd64\)$/\1/p' | head -1 || true)
fi
if [ -z "$abi" ]; then
    abi=$(ls -d "$cache"/kernel-6.1.*/ready 2>/dev/null | sed 's|.*/kernel-\([^/]*\)/ready|\1|' | sort -V | tail -1 || true)
fi
[ -n "$abi" ] || skip "no Debian 6.1 kernel package known to apt (is this Debian 12?)"
case $abi in 6.1.*-amd64) ;; *) skip "kernel $abi is not a 6.1 amd64 kernel" ;; esac

kdir=$cache/kernel-$abi
if [ ! -f "$kdir/ready" ]; then
    log "fetching kernel $abi"
    rm -rf "$kdir"
    mkdir -p "$kdir/debs" "$kdir/root"
    # sed quits at the first match: a reader that stops early would kill the writer under pipefail.
    version=$(timeout 60 apt-cache show "linux-headers-$abi" 2>/dev/null | sed -n 's/^Version: //p;T;q' || true)
    [ -n "$version" ] || skip "apt knows no linux-headers-$abi"
    # apt's own download user may not write into the cache: download as this user.
    (cd "$kdir/debs" && timeout 900 apt-get download -q \
        "linux-image-$abi" "linux-headers-$abi" "linux-headers-${abi%-amd64}-common" >/dev/null 2>&1) ||
        skip "cannot download the kernel packages of $abi"
    # The headers need linux-kbuild-6.1 of their version or later; the archive keeps only the newest
    # build of it, which may already belong to the next point release.
    (cd "$kdir/debs" && { timeout 900 apt-get download -q "linux-kbuild-6.1=$version" >/dev/null 2>&1 ||
        timeout 900 apt-get download -q linux-kbuild-6.1 >/dev/null 2>&1; }) ||
        skip "cannot download linux-kbuild-6.1 for $abi"
    kbuild=$(dpkg-deb -f "$kdir"/debs/linux-kbuild-6.1_*.deb Version)
    dpkg --compare-versions "$kbuild" ge "$version" || skip "linux-kbuild-6.1 $kbuild is older than the headers of $abi ($version)"
    for deb in "$kdir"/debs/*.deb; do dpkg -x "$deb" "$kdir/root"; done
    # The headers' Makefile includes the common part by its absolute installed path.
    sed -i "s|^include /usr/src/|include $kdir/root/usr/src/|" "$kdir/root/usr/src/linux-headers-$abi/Makefile"
    [ -f "$kdir/root/boot/vmlinuz-$abi" ] || fail "the image package of $abi holds no vmlinuz"
    # The kernel unpacked once here: qemu starts the plain ELF image directly (PVH entry), which
    # spares the emulated processor the firmware's real-mode start and the XZ decompression.
    offset=$(LC_ALL=C grep -obUaP -m1 '\xFD7zXZ\x00' "$kdir/root/boot/vmlinuz-$abi" | cut -d: -f1 || true)
    offset=${offset%%[!0-9]*}
    [ -n "$offset" ] || fail "no XZ payload in vmlinuz-$abi"
    # Through a file, not a pipe: xz stops at the end of the payload, and the decompressor's code
    # that follows it would meet a closed pipe.
    tail -c +$((offset + 1)) "$kdir/root/boot/vmlinuz-$abi" >"$kdir/vmlinux.xz"
    xz -dc --single-stream "$kdir/vmlinux.xz" >"$kdir/vmlinux" 2>/dev/null || true
    rm -f "$kdir/vmlinux.xz"
    file "$kdir/vmlinux" | grep -q 'ELF 64-bit' || fail "cannot unpack vmlinuz-$abi"
    rm -rf "$kdir/debs"
    touch "$kdir/ready"
fi

# The IrDA core, the SIR device layer, the serial line discipline and the drivers of the USB
# adapters, built once per tarball (a cache from before the USB drivers is built again).
sum=$(sha256sum "$tarball" | cut -c1-12)
mdir=$kdir/irda-$sum
modules=(net/irda drivers/sir-dev drivers/irtty-sir drivers/stir4200 drivers/mcs7780 drivers/irda-usb)
built() { for m in "${modules[@]}"; do [ -f "$mdir/${m##*/}.ko" ] || return 1; done; }
if [ ! -f "$mdir/ready" ] || ! built; then
    log "building the IrDA modules from $(basename "$tarball") for $abi"
    command -v gcc-12 >/dev/null || fail "no gcc-12 (Debian 12's kernel compiler; scripts/install-deps.sh brings build-essential)"
    # Built aside and moved in: another run may be reading the modules built before.
    src=$(mktemp -d "$kdir/build.XXXXXX")
    tar -xzf "$tarball" -C "$src" --strip-components=1
    mkdir -p "$mdir"
    timeout 900 nice make -s -C "$kdir/root/usr/src/linux-headers-$abi" M="$src/src" -j "${JOBS:-2}" \
        "${modules[@]/%/.ko}" >"$mdir/build.log" 2>&1 ||
        { rm -rf "$src"; tail -20 "$mdir/build.log" >&2; fail "the IrDA modules do not build against $abi (log: $mdir/build.log)"; }
    for m in "${modules[@]}"; do
        cp "$src/src/$m.ko" "$mdir/.${m##*/}.ko" && mv -f "$mdir/.${m##*/}.ko" "$mdir/${m##*/}.ko"
    done
    rm -rf "$src"
    touch "$mdir/ready"
fi

echo "$kdir $mdir"
