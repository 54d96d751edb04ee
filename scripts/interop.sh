#!/usr/bin/env bash
# Interoperability test against the Linux IrDA stack (make test-interop): Debian 12's 6.1 kernel
# with the out-of-tree IrDA modules boots under qemu, its SIR line discipline on the guest's
# second serial port, and for each model a parameter file is written into a radio, read back
# and compared, in three directions:
#   a  our own IrDA stack on this machine (TESSEL_IRDA_PORT on the guest's serial line) against
#      the Linux secondary: an IrDA socket bound to "Varnex" relaying to a virtual radio
#   b  tessel-cli in the guest on the kernel's IrDA sockets against `tessel-radiosim --link=sir`
#      on this machine, whose pseudo-terminal is the guest's serial line
#   c  Linux on both ends: the guest primary of (b) against the guest secondary of (a), two
#      machines whose serial lines are joined
#   u  the guest primary of (b) on a USB adapter: the kernel's stir4200, mcs7780 or irda-usb
#      driver bound to an emulation of its chip (tests/interop/usb_adapter.py, plugged into
#      the guest's USB/IP host controller) whose infrared side is the virtual radio; the
#      control transfers the driver sends at start and at a speed change, as usbmon shows
#      them, are kept and compared with tests/usb/*.control
#   l  the same emulated adapters driven by tessel-cli's own drivers in the guest (libusb
#      under our IrLAP, TESSEL_IRDA_PORT=usb:VID:PID), written, read back and then unplugged
#      in the middle of a read, which must end with an error within a few seconds
# Every trace of the run (our stack's TESSEL_IRDA_TRACE, the capture on each guest's irda0) is
# checked with tshark: no malformed frame, no expert error, no frame reject.
#
#   scripts/interop.sh [BUILD_DIR]
# Environment: TESSEL_INTEROP_MODELS (default "alder birch cedar larch"),
# TESSEL_INTEROP_DIRECTIONS (default "c b a u l"), TESSEL_INTEROP_CHIPS (direction u, default
# "stir4200 mcs7780 bridge"), and those of scripts/interop-deps.sh.
# Exit status: 0 all passed, 1 a case failed, 77 skipped (with "skipped: <reason>").
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
models=${TESSEL_INTEROP_MODELS:-alder birch cedar larch}
directions=${TESSEL_INTEROP_DIRECTIONS:-c b a u l}
chips=${TESSEL_INTEROP_CHIPS:-stir4200 mcs7780 bridge}

skip() {
    echo "interop: skipped: $*"
    echo "interop: 0 passed, 0 failed, 1 skipped"
    exit 77
}
say() { echo "interop: $*"; }
# shellcheck source=../tests/interop/waiting.sh
. "$root/tests/interop/waiting.sh"
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

[ "$(uname -s)" = Linux ] && [ "$(uname -m)" = x86_64 ] || skip "needs an x86-64 Linux host"
for tool in tessel-cli tessel-radiosim; do
    [ -x "$build/bin/$tool" ] || { say "no $build/bin/$tool: build first (make build)"; exit 1; }
done
relay=$build/tests/interop/tessel-irda-relay
[ -x "$relay" ] || { say "no $relay: build first"; exit 1; }
command -v tshark >/dev/null || { say "no tshark (scripts/install-deps.sh installs it)"; exit 1; }

deps_log=$build/interop-deps.log
deps=$("$root/scripts/interop-deps.sh" 2>"$deps_log")
deps_rc=$?
grep -v '^skipped: ' "$deps_log" >&2
case $deps_rc in
    0) ;;
    77) skip "$(sed -n 's/^skipped: //p' "$deps_log" | tail -1)" ;;
    *) say "preparing the kernel failed"; exit 1 ;;
esac
read -r kdir mdir <<<"$deps"
abi=${kdir##*/kernel-}
command -v qemu-system-x86_64 >/dev/null || skip "no qemu-system-x86_64"
busybox=$(command -v busybox) || skip "no busybox"
file "$busybox" | grep -q 'statically linked' || skip "busybox is not the static one (busybox-static)"

out=$build/interop
rm -rf "$out"
mkdir -p "$out"

# The initramfs: busybox, the first process, and the modules the guest needs before it can
# mount the host's files, then the IrDA ones.
make_initramfs() {
    local tree=$out/initramfs modules=$kdir/root/lib/modules/$abi
    mkdir -p "$tree/bin" "$tree/modules"
    cp "$busybox" "$tree/bin/busybox"
    cp "$root/tests/interop/init" "$tree/init"
    chmod 755 "$tree/init"
    local -A seen=()
    local order=()
    depends() { # a module's dependencies from its .modinfo
        objcopy -O binary -j .modinfo "$1" "$out/modinfo" && tr '\0' '\n' <"$out/modinfo" |
            sed -n 's/^depends=//p' | tr , ' '
    }
    add() {
        local name=$1 path
        [ -n "${seen[$name]:-}" ] && return 0
        seen[$name]=1
        path=$(find "$modules/kernel" -name "$name.ko" | head -1)
        [ -n "$path" ] || { say "kernel $abi has no module $name"; return 1; }
        for d in $(depends "$path"); do add "$d" || return 1; done
        cp "$path" "$tree/modules/"
        order+=("$name")
    }
    for m in virtio_pci 9pnet_virtio 9p; do add "$m" || return 1; done
    # The USB/IP host controller that the emulated adapters plug into, and usbmon.
    usb_modules=1
    for m in vhci-hcd usbmon; do add "$m" || usb_modules=; done
    for m in irda sir-dev irtty-sir stir4200 mcs7780 irda-usb; do
        [ -f "$mdir/$m.ko" ] || continue
        strip --strip-debug -o "$tree/modules/$m.ko" "$mdir/$m.ko"
        order+=("$m")
    done
    printf '%s\n' "${order[@]}" >"$tree/modules/order"
    # Not compressed: the emulated processor unpacks slowly.
    (cd "$tree" && find . | "$busybox" cpio -o -H newc 2>/dev/null) >"$out/initramfs.cpio"
}
make_initramfs || { say "cannot make the initramfs"; exit 1; }

# KVM when /dev/kvm is there and a guest really starts on it (a nested one may hang before its
# first line), else the emulated processor. TESSEL_INTEROP_ACCEL=kvm|tcg decides.
kvm_boots() {
    [ -r /dev/kvm ] && [ -w /dev/kvm ] || return 1
    timeout 20 qemu-system-x86_64 -accel kvm -cpu host -m 256 -nodefaults -display none -no-reboot \
        -kernel "$kdir/vmlinux" -initrd "$out/initramfs.cpio" \
        -append "console=ttyS0 panic=-1" -serial "file:$out/kvm-probe.log" >/dev/null 2>&1 &
    local pid=$!
    wait_for 150 grep -q 'Linux version' "$out/kvm-probe.log"
    local rc=$?
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return $rc
}
accel_choice=${TESSEL_INTEROP_ACCEL:-}
[ -z "$accel_choice" ] && { if kvm_boots; then accel_choice=kvm; else accel_choice=tcg; fi; }
if [ "$accel_choice" = kvm ]; then
    accel=(-accel kvm -cpu host)
    slow=1
else
    [ -e /dev/kvm ] && say "KVM does not start a guest here: the processor is emulated (TCG)"
    accel=(-accel tcg -cpu max)
    slow=4  # every bound stretched for the emulated processor
fi

# boot NAME WORK ROLE MODEL CHARDEV [CHIP]: starts a guest in the background, its pid in WORK/qemu.pid.
boot() {
    local name=$1 work=$2 role=$3 model=$4 chardev=$5
    mkdir -p "$work"
    timeout $((300 * slow)) qemu-system-x86_64 "${accel[@]}" "${clock[@]}" -m 512 -smp 1 -nodefaults \
        -display none -no-reboot -name "$name" \
        -kernel "$kdir/vmlinux" -initrd "$out/initramfs.cpio" \
        -append "console=ttyS0 panic=-1 loglevel=4 mitigations=off tessel_work=$work tessel_script=$root/tests/interop/guest.sh tessel_args=$role,$model,$build,$work${6:+,$6}" \
        -serial "file:$work/console.log" \
        -chardev "$chardev,id=ir" -device isa-serial,chardev=ir \
        -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
        -virtfs "local,path=$work,mount_tag=work,security_model=none" \
        >"$work/qemu.log" 2>&1 &
    echo $! >"$work/qemu.pid"
}

# The guest's clock: its own by default. Direction u keeps the kernel drivers' tight USB
# deadlines (the STIr4200's control requests time out after 100 ms) in the guest's instructions
# rather than this machine's seconds, which a busy host stretches without bound on the emulated
# processor: TCG counts instructions (-icount), 2^TESSEL_INTEROP_ICOUNT ns of guest time each.
clock=()

# Waits for a guest to power off by itself (bounded), else ends it.
halt_guest() {
    local work=$1 pid
    pid=$(cat "$work/qemu.pid")
    touch "$work/stop"
    wait_for $((300 * slow)) test ! -d "/proc/$pid" || kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

guest_ready() {  # WORK: the secondary serves, or it has ended (then false)
    local work=$1
    wait_for $((600 * slow)) bash -c "[ -e '$work/ready' ] || [ -e '$work/guest.rc' ] || [ ! -d /proc/$(cat "$work/qemu.pid") ]"
    [ -e "$work/ready" ]
}

# A parameter file of MODEL with a few channels that neither the defaults nor the virtual
# radio's demonstration memory has, so that a write that did nothing cannot pass.
input_file() {
    local model=$1 dir=$2 ext csv=$2/channels.csv
    case $model in
        alder) ext=ald; rows='0,,146.025000,,0.000000,,88.5,88.5,023,NN,FM,12.50,
1,,166.500000,+,0.600000,Tone,100.0,88.5,023,NN,FM,12.50,S
7,,172.125000,,0.000000,TSQL,88.5,123.0,023,NN,FM,12.50,' ;;
        cedar) ext=ced; rows='0,,136.500000,,0.000000,,88.5,88.5,023,NN,FM,12.50,
3,,150.250000,-,0.500000,TSQL,88.5,107.2,023,NN,FM,12.50,S
9,,173.975000,,0.000000,DTCS,88.5,88.5,047,NN,FM,12.50,' ;;
        birch) ext=brc; rows='0,,39.500000,,0.000000,,88.5,88.5,023,NN,FM,12.50,
4,,44.125000,+,1.000000,TSQL,88.5,107.2,023,NN,FM,12.50,S
9,,48.975000,,0.000000,DTCS,88.5,88.5,047,NN,FM,12.50,' ;;
        larch) ext=lrc; rows='0,,39.500000,,0.000000,,88.5,88.5,023,NN,FM,12.50,
4,,44.125000,,0.000000,TSQL,107.2,107.2,023,NN,FM,12.50,
9,,48.975000,,0.000000,,88.5,88.5,023,NN,FM,12.50,S' ;;
    esac
    printf 'Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,Mode,TStep,Skip\n%s\n' \
        "$rows" >"$csv"
    "$build/bin/tessel-cli" import "$csv" --model "$model" -o "$dir/in.$ext" >"$dir/import.log" 2>&1 ||
        { cat "$dir/import.log"; return 1; }
    echo "$dir/in.$ext"
}

# Written and read files hold the same parameters: no difference listed, and the same memory
# image when both are encoded with one date.
same_parameters() {
    local a=$1 b=$2 log=$3
    [ -f "$b" ] || { echo "no file was read" >>"$log"; return 1; }
    "$build/bin/tessel-cli" diff "$a" "$b" >>"$log" 2>&1 || return 1
    "$build/bin/tessel-cli" encode "$a" -o "$a.img" --date 2024-01-01 >>"$log" 2>&1 &&
        "$build/bin/tessel-cli" encode "$b" -o "$b.img" --date 2024-01-01 >>"$log" 2>&1 &&
        cmp "$a.img" "$b.img" >>"$log" 2>&1
}

# Every trace is clean: tshark decodes it without a malformed frame, an expert error or a frame
# reject (FRMR). Frames of no bytes are left out: the kernel hands its driver an empty frame to
# change the line's speed (irlap_change_speed), and the capture on irda0 sees it; nothing goes on
# the wire. Prints what it found.
clean_trace() {
    local pcap=$1 bad
    [ -s "$pcap" ] || { echo "no trace $pcap"; return 1; }
    bad=$(timeout 120 tshark -n -r "$pcap" -Y 'frame.len > 0 && (_ws.malformed || _ws.expert.severity >= 0x00800000 || irlap.c.u_modifier_resp == 0x21)' 2>"$pcap.tshark-errors") ||
        { echo "tshark cannot read $pcap: $(tail -1 "$pcap.tshark-errors")"; return 1; }
    [ -z "$bad" ] && return 0
    echo "tshark finds in $pcap:"
    echo "$bad" | head -20
    return 1
}

passed=0
failed=0
summary=()
skipped=0
record() {  # DIRECTION MODEL OUTCOME DETAIL
    summary+=("$(printf '%-2s %-8s %-5s %s' "$1" "$2" "$3" "$4")")
    case $3 in
        PASS) passed=$((passed + 1)) ;;
        SKIP) skipped=$((skipped + 1)) ;;
        *) failed=$((failed + 1)) ;;
    esac
    say "$1 $2 $3 $4"
}

# The outcome of a case whose primary wrote RESULT lines "write RC SECONDS" / "read RC SECONDS".
judge() {
    local direction=$1 model=$2 case=$3 result=$4 in=$5 out=$6 w r
    shift 6
    w=$(awk '$1 == "write" { print $2 " " $3 }' "$result" 2>/dev/null)
    r=$(awk '$1 == "read" { print $2 " " $3 }' "$result" 2>/dev/null)
    local detail="write ${w#* }s read ${r#* }s"
    if [ "${w%% *}" != 0 ]; then
        record "$direction" "$model" FAIL "write failed (${w:-no outcome}): $(tail -1 "$case/write.log" 2>/dev/null)"
        return
    fi
    if [ "${r%% *}" != 0 ]; then
        record "$direction" "$model" FAIL "read failed (${r:-no outcome}): $(tail -1 "$case/read.log" 2>/dev/null)"
        return
    fi
    if ! same_parameters "$in" "$out" "$case/compare.log"; then
        record "$direction" "$model" FAIL "read differs from written: $(head -1 "$case/compare.log")"
        return
    fi
    local pcap findings=
    for pcap in "$@"; do
        clean_trace "$pcap" >>"$case/tshark.log" || findings+=" ${pcap#"$case/"}"
    done
    if [ -n "$findings" ]; then
        record "$direction" "$model" FAIL "$detail; traces not clean:$findings (tshark.log)"
        return
    fi
    record "$direction" "$model" PASS "$detail"
}

# (c) Linux on both ends: two guests, their serial lines joined by a socket.
case_c() {
    local model=$1 case=$out/c-$model in
    mkdir -p "$case"
    boot "secondary-$model" "$case/secondary" secondary "$model" \
        "socket,path=$case/line.sock,server=on,wait=off"
    wait_for 100 test -S "$case/line.sock"
    if ! guest_ready "$case/secondary"; then
        halt_guest "$case/secondary"
        record c "$model" FAIL "the secondary did not come up: $(tail -1 "$case/secondary/guest.log" 2>/dev/null)"
        return
    fi
    mkdir -p "$case/primary"
    in=$(input_file "$model" "$case/primary") || { record c "$model" FAIL "no input file"; return; }
    boot "primary-$model" "$case/primary" primary "$model" "socket,path=$case/line.sock,reconnect=1"
    halt_guest "$case/primary"
    halt_guest "$case/secondary"
    judge c "$model" "$case/primary" "$case/primary/result" "$in" "${in%/*}/out.${in##*.}" \
        "$case/primary/guest.pcap" "$case/secondary/guest.pcap"
}

# (b) the guest's kernel primary against the virtual radio on the serial infrared line here.
case_b() {
    local model=$1 case=$out/b-$model in pty sim
    mkdir -p "$case/guest"
    in=$(input_file "$model" "$case/guest") || { record b "$model" FAIL "no input file"; return; }
    timeout $((600 * slow)) "$build/bin/tessel-radiosim" "$model" --link=sir >"$case/radiosim.out" 2>"$case/radiosim.log" &
    sim=$!
    wait_for 100 test -s "$case/radiosim.out"
    pty=$(head -1 "$case/radiosim.out")
    if [ ! -c "$pty" ]; then
        kill "$sim" 2>/dev/null
        record b "$model" FAIL "the virtual radio gave no pseudo-terminal: $(tail -1 "$case/radiosim.log")"
        return
    fi
    boot "primary-$model" "$case/guest" primary "$model" "serial,path=$pty"
    halt_guest "$case/guest"
    kill "$sim" 2>/dev/null
    wait "$sim" 2>/dev/null
    judge b "$model" "$case/guest" "$case/guest/result" "$in" "${in%/*}/out.${in##*.}" "$case/guest/guest.pcap"
}

# (a) our own IrDA stack here against the Linux secondary, on the guest's line as a
# pseudo-terminal of qemu's.
case_a() {
    local model=$1 case=$out/a-$model in pty start rc
    mkdir -p "$case/guest"
    in=$(input_file "$model" "$case") || { record a "$model" FAIL "no input file"; return; }
    boot "secondary-$model" "$case/guest" secondary "$model" pty
    wait_for 100 grep -q 'char device redirected to' "$case/guest/qemu.log"
    pty=$(sed -n 's/.*char device redirected to \(\/dev\/pts\/[0-9]*\) (label ir).*/\1/p' "$case/guest/qemu.log")
    if [ -z "$pty" ] || ! guest_ready "$case/guest"; then
        halt_guest "$case/guest"
        record a "$model" FAIL "the secondary did not come up: $(tail -1 "$case/guest/guest.log" 2>/dev/null)"
        return
    fi
    # qemu drops what the guest sends while nothing holds the terminal open, and notices an
    # opening only once a second: keep it open for the whole case.
    local hold
    exec {hold}<>"$pty"
    sleep 1.5  # until qemu has seen the opening, or the secondary's first answers are lost
    : >"$case/result"
    start=$(now)
    TESSEL_IRDA_PORT=$pty TESSEL_IRDA_TRACE=$case/write.pcap timeout $((120 * slow)) \
        "$build/bin/tessel-cli" write "$in" >"$case/write.log" 2>&1
    rc=$?
    echo "write $rc $(seconds_since "$start")" >>"$case/result"
    if [ $rc -eq 0 ]; then
        start=$(now)
        TESSEL_IRDA_PORT=$pty TESSEL_IRDA_TRACE=$case/read.pcap timeout $((120 * slow)) \
            "$build/bin/tessel-cli" read --model "$model" -o "$case/out.${in##*.}" >"$case/read.log" 2>&1
        echo "read $? $(seconds_since "$start")" >>"$case/result"
    fi
    exec {hold}>&-
    halt_guest "$case/guest"
    local traces=("$case/write.pcap" "$case/guest/guest.pcap")
    [ -e "$case/read.pcap" ] && traces+=("$case/read.pcap")
    judge a "$model" "$case" "$case/result" "$in" "$case/out.${in##*.}" "${traces[@]}"
}

# The kernel driver of each emulated chip.
driver_of() {
    case $1 in stir4200) echo stir4200 ;; mcs7780) echo mcs7780 ;; bridge) echo irda-usb ;; esac
}

# (u) the guest's kernel primary on each USB adapter's kernel driver in turn, (l) our own
# drivers on the same adapters; the adapters emulated, plugged in one after another in one guest.
case_usb() {
    local direction=$1 model=$2 case chip driver present=() missing role=usb
    case=$out/$direction-$model
    [ "$direction" = l ] && role=ours
    for chip in $chips; do
        driver=$(driver_of "$chip")
        missing=
        if [ -z "$usb_modules" ]; then
            missing="no vhci-hcd or usbmon module"
        elif [ "$direction" = u ] && [ ! -f "$mdir/$driver.ko" ]; then
            missing="no vhci-hcd, usbmon or $driver module"
        elif ! command -v python3 >/dev/null; then
            missing="no python3"
        fi
        if [ -n "$missing" ]; then
            record "$direction" "$chip" SKIP "$missing"
        else
            mkdir -p "$case/guest/$chip"
            input_file "$model" "$case/guest/$chip" >"$case/guest/$chip/input" ||
                { record "$direction" "$chip" FAIL "no input file"; continue; }
            present+=("$chip")
        fi
    done
    [ ${#present[@]} -gt 0 ] || return
    [ "$accel_choice" = tcg ] && clock=(-icount "shift=${TESSEL_INTEROP_ICOUNT:-4}")
    local joined=${present[*]}
    boot "$role-$model" "$case/guest" "$role" "$model" "null" "${joined// /+}"
    clock=()
    # Our drivers' sessions have three steps each: more than halt_guest's own bound.
    [ "$direction" = l ] && wait_for $((900 * slow)) test -e "$case/guest/guest.rc"
    halt_guest "$case/guest"
    for chip in "${present[@]}"; do
        "judge_$direction" "$chip" "$case/guest/$chip" "$(cat "$case/guest/$chip/input")"
    done
}

judge_u() {
    local chip=$1 work=$2 in=$3 vector=$root/tests/usb/$1.control
    python3 "$root/tests/interop/usbmon_control.py" "$work/usbmon.txt" >"$work/usbmon.control" 2>&1
    if ! grep -q nickname "$work/discovery.txt" 2>/dev/null; then
        record u "$chip" FAIL "Linux did not discover the radio: $(tail -1 "${work%/*}/guest.log" 2>/dev/null)"
    elif [ -f "$vector" ] && ! diff -u "$vector" "$work/usbmon.control" >"$work/control.diff"; then
        record u "$chip" FAIL "the driver's control transfers differ from tests/usb/$chip.control (control.diff)"
    else
        judge u "$chip" "$work" "$work/result" "$in" "${in%/*}/out.${in##*.}" "$work/guest.pcap"
    fi
}

# An unplugged adapter ends the read with its own message, never by the step's timeout.
judge_l() {
    local chip=$1 work=$2 in=$3 unplug
    unplug=$(awk '$1 == "unplug" { print $2 " " $3 }' "$work/result" 2>/dev/null)
    if grep -q '^read 0' "$work/result" 2>/dev/null &&
        { [ "${unplug%% *}" = 0 ] || [ "${unplug%% *}" = 124 ] || [ -z "$unplug" ]; }; then
        record l "$chip" FAIL "unplugged mid-read: ${unplug:-no outcome} ($(tail -1 "$work/unplug.log" 2>/dev/null))"
        return
    fi
    judge l "$chip" "$work" "$work/result" "$in" "${in%/*}/out.${in##*.}" "$work/trace.pcap"
}

main_start=$(now)
for direction in $directions; do
    if [ "$direction" = u ] || [ "$direction" = l ]; then
        # One model: the chips differ, the radios' protocol is checked above.
        case_usb "$direction" "${models%% *}"
        continue
    fi
    for model in $models; do
        case $direction in
            a) case_a "$model" ;;
            b) case_b "$model" ;;
            c) case_c "$model" ;;
            *) say "unknown direction $direction" ;;
        esac
    done
done

echo
say "results (kernel $abi, ${accel[1]}, $(seconds_since "$main_start")s; files in $out):"
printf '  %s\n' "${summary[@]}"
echo "interop: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
