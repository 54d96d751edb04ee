#!/bin/bash
# A role of the interoperability test's virtual machine, run by its init in a chroot of the
# host's files. The IrDA line is the guest's second serial port (ttyS1) with the kernel's SIR
# line discipline on it; every frame on irda0 is captured into WORK/guest.pcap.
#
#   guest.sh secondary MODEL BUILD WORK
#       the Linux secondary: an IrDA socket bound to "Varnex" relaying to a virtual radio of
#       MODEL; touches WORK/ready, serves until WORK/stop appears
#   guest.sh primary MODEL BUILD WORK
#       tessel-cli on the kernel's IrDA sockets writes WORK/in.* into the radio in range, then
#       reads it into WORK/out.*; outcome and seconds per step in WORK/result
#   guest.sh usb MODEL BUILD WORK CHIP[+CHIP...]
#       for each CHIP in turn, in WORK/CHIP: the primary of the same on the irda0 of a kernel
#       driver (stir4200, mcs7780, irda-usb) bound to an emulated USB adapter CHIP
#       (tests/interop/usb_adapter.py) whose infrared side is `tessel-radiosim MODEL
#       --link=sir` in this guest; the USB traffic as the kernel's usbmon sees it in
#       usbmon.txt, the emulation's log in adapter.log; the adapter unplugged at the end
#   guest.sh ours MODEL BUILD WORK CHIP[+CHIP...]
#       the same adapters driven by tessel-cli's own drivers (libusb, our IrLAP; the kernel
#       driver that bound first is detached when ours claims the adapter): write and read
#       back as the primary does, then a read whose adapter is unplugged half-way, which
#       must end with an error well inside its deadline ("unplug RC SECONDS" in WORK/result)
#
# Every wait is bounded; the host bounds the machine's whole life as well.
set -u
role=$1 model=$2 build=$3 work=$4 chips=${5:-}
serve_seconds=${TESSEL_INTEROP_SERVE:-240}
step_seconds=${TESSEL_INTEROP_STEP:-120}

say() { echo "guest: $*"; }
# shellcheck source=waiting.sh
. "$(dirname "$0")/waiting.sh"
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

capture_pid=
attach_sir() {
    ldattach -s 9600 IRDA /dev/ttyS1 || { say "ldattach failed"; return 1; }
    wait_for 50 test -e /sys/class/net/irda0 || { say "no irda0 after attaching the line"; return 1; }
    start_irda0
}

start_irda0() {
    ip link set irda0 up || return 1
    # A primary discovers in the background, as `irattach -s` sets it up.
    [ "$role" != secondary ] && echo 1 >/proc/sys/net/irda/discovery
    dumpcap -q -i irda0 -w "$work/guest.pcap" >"$work/dumpcap.log" 2>&1 &
    capture_pid=$!
    wait_for 50 test -s "$work/guest.pcap" || say "the capture on irda0 did not start"
    say "irda0 up: $(cat /proc/sys/net/irda/devname)"
}

# The emulated adapter plugged in, its kernel driver's irda0 up, the virtual radio in range of it.
usbmon_pid= radiosim_pid= adapter_pid= chip= port=0
attach_usb() {
    mount -t debugfs debugfs /sys/kernel/debug 2>/dev/null
    [ -e /sys/kernel/debug/usb/usbmon/0u ] || { say "no usbmon"; return 1; }
    cat /sys/kernel/debug/usb/usbmon/0u >"$work/usbmon.txt" &
    usbmon_pid=$!
    "$build/bin/tessel-radiosim" "$model" --link=sir >"$work/radiosim.out" 2>"$work/radiosim.log" &
    radiosim_pid=$!
    wait_for 100 test -s "$work/radiosim.out" || { say "the virtual radio gave no pseudo-terminal"; return 1; }
    python3 "$(dirname "$0")/usb_adapter.py" "$chip" "$(head -1 "$work/radiosim.out")" \
        --port "$port" --log "$work/adapter.log" 2>"$work/adapter.err" &
    adapter_pid=$!
    wait_for 300 test -e /sys/class/net/irda0 || { say "no irda0: no driver bound to the emulated $chip"; return 1; }
    say "bound: $(basename "$(readlink /sys/class/net/irda0/device/driver)")"
    # The default transmit queue (pfifo_fast, lockless) does not suit the USB drivers: it
    # tells "empty" only after a dequeue found nothing, which a stopped queue never tries, so
    # the STIr4200 driver, which restarts its receiver only on an empty queue, leaves it off
    # after a window of frames; and with it the MCS7780 driver finds a rate in frames that
    # ask for none and puts the chip into FIR mode. A plain FIFO counts its frames.
    tc qdisc replace dev irda0 root pfifo || say "cannot replace the transmit queue of irda0"
    start_irda0
}

detach_usb() {
    [ -n "$adapter_pid" ] && { kill "$adapter_pid"; wait "$adapter_pid"; }
    [ -n "$radiosim_pid" ] && kill "$radiosim_pid"
    [ -n "$usbmon_pid" ] && { sleep 0.5; kill "$usbmon_pid"; }
    # The next adapter's interface is irda0 again once this one is gone.
    wait_for 100 test ! -e /sys/class/net/irda0 || say "irda0 stays after unplugging $chip"
    capture_pid= usbmon_pid= radiosim_pid= adapter_pid=
}

usb_id_of() {
    case $1 in stir4200) echo 066f:4200 ;; mcs7780) echo 9710:7780 ;; bridge) echo 08e9:0100 ;; esac
}

# One emulated adapter under our own driver: written and read back, then unplugged mid-read.
ours_session() {
    local id start rc
    id=$(usb_id_of "$chip")
    # attach_usb brings irda0 up for Linux's own stack; ours needs only the adapter bound.
    mount -t debugfs debugfs /sys/kernel/debug 2>/dev/null
    cat /sys/kernel/debug/usb/usbmon/0u >"$work/usbmon.txt" 2>/dev/null &
    usbmon_pid=$!
    "$build/bin/tessel-radiosim" "$model" --link=sir >"$work/radiosim.out" 2>"$work/radiosim.log" &
    radiosim_pid=$!
    wait_for 100 test -s "$work/radiosim.out" || { say "the virtual radio gave no pseudo-terminal"; detach_usb; return 1; }
    python3 "$(dirname "$0")/usb_adapter.py" "$chip" "$(head -1 "$work/radiosim.out")" \
        --port "$port" --log "$work/adapter.log" --unplug-after "${TESSEL_INTEROP_UNPLUG_AFTER:-15}" \
        2>"$work/adapter.err" &
    adapter_pid=$!
    wait_for 300 sh -c "grep -qil '${id%:*}' /sys/bus/usb/devices/*/idVendor" ||
        { say "the emulated $chip did not appear"; detach_usb; return 1; }
    TESSEL_IRDA_PORT=usb:$id TESSEL_IRDA_TRACE=$work/trace.pcap primary
    if grep -q '^read 0' "$work/result"; then
        # The emulation unplugs itself once the read has sent its first frames: link up, data flowing.
        kill -USR2 "$adapter_pid"
        start=$(now)
        TESSEL_IRDA_PORT=usb:$id timeout "$step_seconds" "$build/bin/tessel-cli" read --model "$model" \
            -o "$work/unplugged.out" >"$work/unplug.log" 2>&1
        rc=$?
        echo "unplug $rc $(seconds_since "$start")" >>"$work/result"
    fi
    detach_usb
}

# One emulated adapter: plugged in, Linux discovers the radio, writes and reads it, unplugged.
usb_session() {
    attach_usb || { finish; detach_usb; return 1; }
    # Linux lists the radio it discovered before it connects to it.
    wait_for 200 grep -q "nickname" /proc/net/irda/discovery
    cp /proc/net/irda/discovery "$work/discovery.txt"
    primary
    finish
    detach_usb
}

finish() {
    [ -n "$capture_pid" ] && { kill -INT "$capture_pid"; wait "$capture_pid"; }
    for f in discovery irlap irlmp irttp irias; do
        echo "== /proc/net/irda/$f"
        cat "/proc/net/irda/$f"
    done >"$work/irda-state.txt" 2>&1
    dmesg >"$work/dmesg.log"
}

secondary() {
    local hood=/tmp/neighbourhood radio
    mkdir -m 700 "$hood"
    TESSEL_IRDA_DIR=$hood "$build/bin/tessel-radiosim" "$model" >"$work/radiosim.log" 2>&1 &
    wait_for 100 compgen -G "$hood/*" >/dev/null || { say "the virtual radio did not start"; return 1; }
    radio=$(compgen -G "$hood/*" | head -1)
    "$build/tests/interop/tessel-irda-relay" "$radio" >"$work/relay.out" 2>"$work/relay.log" &
    wait_for 50 grep -q listening "$work/relay.out" || { say "the relay did not start"; return 1; }
    touch "$work/ready"
    say "serving $model as $radio"
    wait_for $((serve_seconds * 10)) test -e "$work/stop" || say "no stop after ${serve_seconds}s"
    return 0
}

primary() {
    local in out start rc
    in=$(compgen -G "$work/in.*" | head -1)
    out=$work/out.${in##*.}
    : >"$work/result"
    start=$(now)
    timeout "$step_seconds" "$build/bin/tessel-cli" write "$in" >"$work/write.log" 2>&1
    rc=$?
    echo "write $rc $(seconds_since "$start")" >>"$work/result"
    [ $rc -eq 0 ] || return 0
    start=$(now)
    timeout "$step_seconds" "$build/bin/tessel-cli" read --model "$model" -o "$out" >"$work/read.log" 2>&1
    echo "read $? $(seconds_since "$start")" >>"$work/result"
}

if [ "$role" = usb ] || [ "$role" = ours ]; then
    base=$work rc=0
    for chip in ${chips//+/ }; do
        work=$base/$chip
        if [ "$role" = ours ]; then ours_session || rc=1; else usb_session || rc=1; fi
        port=$((port + 1))
    done
    exit $rc
fi
attach_sir || { finish; exit 1; }
case $role in
    secondary) secondary; rc=$? ;;
    primary) primary; rc=$? ;;
    *) say "unknown role $role"; rc=2 ;;
esac
finish
exit $rc
