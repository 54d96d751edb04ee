#!/usr/bin/env python3
"""Infrared USB adapters emulated as devices on the kernel's USB/IP host controller.

The emulated adapter is plugged into vhci_hcd through its sysfs `attach` file with one end of a
stream socket pair, and answers the USB/IP requests on the other end as the chip answers them on
the bus: the descriptors with the chip's IDs, its vendor or class requests, its bulk transfers.
The infrared side is a serial infrared line, a pseudo-terminal (`tessel-radiosim MODEL
--link=sir` prints one): the host-wrapped chips (STIr4200, MCS7780) carry the wrapped bytes, the
bridge-class adapter wraps and deframes the frames itself.

    usb_adapter.py CHIP PTY [--port N] [--log FILE] [--serial TEXT] [--idle-in SECONDS]
                   [--stall-in N] [--short-control N]
        CHIP: stir4200 | mcs7780 | bridge

SIGTERM or SIGUSR1 unplugs the adapter (sysfs `detach`) and ends the program; SIGUSR2 unplugs
it when N more bulk OUT transfers have come (--unplug-after N, default 15), counted here rather
than by a watcher polling the log, which a short read can outrun.
"""
import argparse
import os
import select
import signal
import socket
import struct
import sys
import termios
import threading
import time
import tty

# ---------------------------------------------------------------------------------------------
# Serial infrared framing (IrLAP's asynchronous wrapper)

XBOF, BOF, EOF, CE, TRANS = 0xFF, 0xC0, 0xC1, 0x7D, 0x20
GOOD_FCS = 0xF0B8


def fcs16(data, fcs=0xFFFF):
    """The frame check sequence of the serial infrared link (CRC-CCITT, reflected)."""
    for byte in data:
        fcs ^= byte
        for _ in range(8):
            fcs = (fcs >> 1) ^ 0x8408 if fcs & 1 else fcs >> 1
    return fcs


def stuff(data):
    out = bytearray()
    for byte in data:
        if byte in (BOF, EOF, CE):
            out += bytes((CE, byte ^ TRANS))
        else:
            out.append(byte)
    return bytes(out)


def wrap(frame, xbofs=10):
    """A frame (address, control, information) as it goes on the line."""
    fcs = ~fcs16(frame) & 0xFFFF
    return bytes([XBOF] * xbofs) + bytes([BOF]) + stuff(frame + struct.pack('<H', fcs)) + bytes([EOF])


class Deframer:
    """Cuts the line's bytes into frames. Each frame comes as its stuffed bytes between BOF and
    EOF and as its unstuffed content with the check value; `good` says whether it holds."""

    def __init__(self):
        self.inside = False
        self.raw = bytearray()

    def feed(self, data):
        frames = []
        for byte in data:
            if byte == BOF:
                self.inside = True
                self.raw.clear()
            elif not self.inside:
                continue
            elif byte == EOF:
                self.inside = False
                if self.raw:
                    frames.append(bytes(self.raw))
                self.raw.clear()
            else:
                self.raw.append(byte)
        return frames

    @staticmethod
    def unstuff(raw):
        """The content of a frame's stuffed bytes, or None when an escape is broken."""
        out = bytearray()
        escaped = False
        for byte in raw:
            if escaped:
                out.append(byte ^ TRANS)
                escaped = False
            elif byte == CE:
                escaped = True
            else:
                out.append(byte)
        return None if escaped else bytes(out)

    @staticmethod
    def good(content):
        return content is not None and len(content) >= 3 and fcs16(content) == GOOD_FCS


def unwrap_all(data):
    """Every frame with a good check value in DATA, without the check value."""
    frames = []
    for raw in Deframer().feed(data):
        content = Deframer.unstuff(raw)
        if Deframer.good(content):
            frames.append(content[:-2])
    return frames


class RateWatch:
    """The rate the radio listens and sends at, followed from the frames on the line: 9600 baud
    until it answers a connection request (SNRM) with UA, then the highest rate both offered,
    back to 9600 when the connection ends (DISC answered, DM, or three seconds without a frame
    from the host, after which the virtual radio forgets the connection). A chip whose rate is
    not the radio's neither reaches the radio nor hears it, as on a real line."""

    RATES = (2400, 9600, 19200, 38400, 57600, 115200, 576000, 1152000, 4000000)
    SNRM, UA, DISC, DM = 0x83, 0x63, 0x43, 0x0F

    def __init__(self, log, clock=time.monotonic):
        self.log, self.clock = log, clock
        self.rate = 9600
        self.offered = None
        self.closing = False
        self.last_host_frame = None
        self.from_radio = Deframer()

    @staticmethod
    def baud_bits(parameters):
        i = 0
        while i + 2 <= len(parameters):
            pi, pl = parameters[i], parameters[i + 1]
            if pi == 0x01:
                return int.from_bytes(parameters[i + 2:i + 2 + pl], 'little')
            i += 2 + pl
        return 0

    def host_frames(self, frames):
        now = self.clock()
        if self.last_host_frame is not None and now - self.last_host_frame > 3 and self.rate != 9600:
            self.log('three seconds without a frame: the radio is back at 9600')
            self.rate = 9600
        self.last_host_frame = now
        for frame in frames:
            control = frame[1] & ~0x10 if len(frame) > 1 else None
            if control == self.SNRM and len(frame) > 11:
                self.offered = self.baud_bits(frame[11:])
            elif control == self.DISC:
                self.closing = True

    def radio_frames(self, frames):
        for frame in frames:
            control = frame[1] & ~0x10 if len(frame) > 1 else None
            if control == self.UA and self.offered is not None and len(frame) > 10:
                common = self.offered & self.baud_bits(frame[10:])
                self.rate = max((r for bit, r in enumerate(self.RATES) if common >> bit & 1),
                                default=9600)
                self.offered = None
                self.log(f'the radio agreed on {self.rate}')
            elif (control == self.UA and self.closing) or control == self.DM:
                self.rate, self.closing = 9600, False

    def outgoing(self, chip_rate, line_bytes):
        """Whether bytes the chip sends at CHIP_RATE reach the radio."""
        self.host_frames(unwrap_all(line_bytes))
        if chip_rate == self.rate:
            return True
        self.log(f'sent at {chip_rate} while the radio listens at {self.rate}: lost')
        return False

    def incoming(self, chip_rate, line_bytes):
        """Whether the chip at CHIP_RATE hears bytes the radio sent (at its rate before them)."""
        rate = self.rate
        frames = [Deframer.unstuff(raw) for raw in self.from_radio.feed(line_bytes)]
        self.radio_frames([f[:-2] for f in frames if Deframer.good(f)])
        if chip_rate == rate:
            return True
        self.log(f'the radio sent at {rate}, the chip listens at {chip_rate}: not heard')
        return False


# ---------------------------------------------------------------------------------------------
# USB descriptors and requests

STALL = -32  # -EPIPE: the endpoint answered STALL
IN, OUT = 0x80, 0x00


def device_descriptor(vid, pid, bcd_device, serial_index):
    return struct.pack('<BBHBBBBHHHBBBB', 18, 1, 0x0110, 0, 0, 0, 64, vid, pid, bcd_device,
                       1, 2, serial_index, 1)


def configuration_descriptor(interface_class, subclass, endpoints):
    body = struct.pack('<BBBBBBBBB', 9, 4, 0, 0, len(endpoints), interface_class, subclass, 0, 0)
    for address, kind in endpoints:
        body += struct.pack('<BBBBHB', 7, 5, address, kind, 64, 0 if kind == 2 else 10)
    return struct.pack('<BBHBBBBB', 9, 2, 9 + len(body), 1, 1, 0, 0x80, 50) + body


def string_descriptor(text):
    encoded = text.encode('utf-16-le')
    return bytes((2 + len(encoded), 3)) + encoded


class Adapter:
    """One chip: its descriptors, requests and endpoints. Bulk IN transfers wait in the server
    until `take_in` gives them data; `from_line` takes what the infrared side heard."""

    vid = pid = 0
    bcd_device = 0x0100
    interface_class = 0xFF
    subclass = 0
    endpoints = ()  # (address, bmAttributes)
    manufacturer = 'Infrared adapter'
    product = 'Infrared adapter'
    # A bulk IN transfer that waits this long is answered without data (None: it waits).
    idle_in_seconds = None

    def __init__(self, line, log, serial=None):
        self.line = line  # writes bytes onto the infrared side
        self.log = log
        self.serial = serial
        self.configuration = 0
        self.speed = 9600
        self.halted = set()  # endpoints that answer STALL until their halt is cleared
        self.lock = threading.Lock()

    # Standard requests, common to every chip.
    def control(self, setup, data):
        request_type, request, value, index, length = struct.unpack('<BBHHH', setup)
        if request_type & 0x60 == 0:
            return self.standard(request_type, request, value, index, length)
        return self.special(request_type, request, value, index, length, data)

    def standard(self, request_type, request, value, index, length):
        if request_type == 0x80 and request == 6:  # GET_DESCRIPTOR
            kind, number = value >> 8, value & 0xFF
            descriptor = None
            if kind == 1:
                descriptor = device_descriptor(self.vid, self.pid, self.bcd_device,
                                               3 if self.serial else 0)
            elif kind == 2 and number == 0:
                descriptor = configuration_descriptor(self.interface_class, self.subclass,
                                                      self.endpoints)
            elif kind == 3:
                texts = {1: self.manufacturer, 2: self.product, 3: self.serial}
                if number == 0:
                    descriptor = bytes((4, 3, 0x09, 0x04))
                elif texts.get(number):
                    descriptor = string_descriptor(texts[number])
            return (STALL, b'') if descriptor is None else (0, descriptor[:length])
        if request_type == 0x00 and request == 9:  # SET_CONFIGURATION
            if value not in (0, 1):
                return STALL, b''
            self.configuration = value
            return 0, b''
        if request_type == 0x80 and request == 8:  # GET_CONFIGURATION
            return 0, bytes((self.configuration,))[:length]
        if request_type == 0x01 and request == 11:  # SET_INTERFACE: one alternate setting
            return (0, b'') if index == 0 and value == 0 else (STALL, b'')
        if request_type in (0x80, 0x81, 0x82) and request == 0:  # GET_STATUS
            return 0, b'\0\0'[:length]
        if request_type == 0x02 and request == 1:  # CLEAR_FEATURE(ENDPOINT_HALT)
            known = value == 0 and index in {a for a, _ in self.endpoints}
            if known:
                self.halted.discard(index)
            return (0, b'') if known else (STALL, b'')
        return STALL, b''

    def special(self, request_type, request, value, index, length, data):
        return STALL, b''

    def bulk_out(self, endpoint, data):
        return STALL

    def take_in(self, endpoint, length):
        """Data for a waiting bulk IN transfer, or None while there is none."""
        return None

    def from_line(self, data):
        pass

    def set_speed(self, speed):
        if speed != self.speed:
            self.log(f'speed {self.speed} -> {speed}')
            if self.sending():
                self.log('speed changed while the transmitter still sends: that frame is garbled')
        self.speed = speed

    def sending(self):
        return False


class Stir4200(Adapter):
    """SigmaTel STIr4200: the host wraps the frames; a bulk OUT carries a four-byte header
    (0x55 0xAA, the length, little-endian) and the wrapped bytes; the bulk IN gives what the
    receiver heard, raw; registers are written one at a time (request 3) and read in runs
    (request 1). The transmit FIFO drains at the line's rate; its status register says so."""

    vid, pid = 0x066F, 0x4200
    endpoints = ((0x01, 2), (0x82, 2))
    manufacturer, product = 'SigmaTel', 'STIr4200 IrDA bridge'
    REG_MODE, REG_PDCLK, REG_CTRL1, REG_FIFOCTL, REG_FIFOLSB, REG_FIFOMSB = 1, 2, 3, 5, 6, 7
    PDCLK = {0xDF: 2400, 0x77: 9600, 0x3B: 19200, 0x1D: 38400, 0x13: 57600, 0x09: 115200,
             0x02: 4000000}
    MODE_SIR, MODE_FIR = 0x20, 0x80
    FIFOCTL_DIR, FIFOCTL_CLR, FIFOCTL_EMPTY = 0x10, 0x08, 0x04

    def __init__(self, *args, clock=time.monotonic, **kwargs):
        super().__init__(*args, **kwargs)
        self.clock = clock
        self.registers = bytearray(16)
        self.registers[self.REG_PDCLK] = 0x77
        self.tx_until = 0.0  # when the FIFO has sent its last byte
        self.rx = bytearray()

    def sending(self):
        return self.fifo_count() > 0

    def fifo_count(self):
        left = self.tx_until - self.clock()
        return 0 if left <= 0 else max(1, int(left * self.speed / 10))

    def special(self, request_type, request, value, index, length, data):
        if request_type == 0x40 and request == 3 and index < 16:  # write one register
            self.write_register(index, value & 0xFF)
            return 0, b''
        if request_type == 0xC0 and request == 1 and index + length <= 16:  # read registers
            count = self.fifo_count()
            status = self.FIFOCTL_DIR if count else self.FIFOCTL_EMPTY
            self.registers[self.REG_FIFOCTL] = status | (self.registers[self.REG_FIFOCTL] & 0x08)
            self.registers[self.REG_FIFOLSB] = count & 0xFF
            self.registers[self.REG_FIFOMSB] = (count >> 8) & 0x1F
            return 0, bytes(self.registers[index:index + length])
        return STALL, b''

    def write_register(self, register, value):
        self.registers[register] = value
        if register == self.REG_FIFOCTL and value & self.FIFOCTL_CLR:
            self.tx_until = 0.0
        if register == self.REG_MODE:
            # The rate is taken from the clock divider when the modulator leaves reset.
            if value & self.MODE_FIR:
                self.set_speed(4000000)
            elif value & self.MODE_SIR:
                self.set_speed(2400 if value & 0x01 else
                               self.PDCLK.get(self.registers[self.REG_PDCLK], 9600))

    def bulk_out(self, endpoint, data):
        if endpoint != 0x01:
            return STALL
        if len(data) < 4 or data[0:2] != b'\x55\xAA':
            self.log(f'bulk OUT without the 0x55 0xAA header: {data[:8].hex()}')
            return 0
        length = data[2] | data[3] << 8
        payload = data[4:4 + length]
        if length != len(data) - 4:
            self.log(f'bulk OUT header says {length} bytes, {len(data) - 4} follow')
        start = max(self.clock(), self.tx_until)
        self.tx_until = start + len(payload) * 10 / self.speed
        self.line(payload)
        return 0

    def from_line(self, data):
        with self.lock:
            self.rx += data

    def take_in(self, endpoint, length):
        with self.lock:
            if not self.rx:
                return None
            out = bytes(self.rx[:length])
            del self.rx[:length]
            return out


class FrameQueue(Adapter):
    """An adapter that hands the host whole frames heard on the line, one a bulk IN."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.deframer = Deframer()
        self.frames = []

    def queue(self, frames):
        with self.lock:
            self.frames += frames

    def take_in(self, endpoint, length):
        with self.lock:
            if not self.frames:
                return None
            return self.frames.pop(0)[:length]


class Mcs7780(FrameQueue):
    """MosChip MCS7780: the host wraps the frames; a bulk OUT carries a two-byte length
    (little-endian, counting itself) and the wrapped bytes; a bulk IN gives one frame heard,
    its stuffed bytes between BOF and EOF. Sixteen-bit registers through vendor requests 0x0E
    (write) and 0x0F (read)."""

    vid, pid = 0x9710, 0x7780
    endpoints = ((0x81, 2), (0x01, 2))
    manufacturer, product = 'MosChip', 'MCS7780 IrDA bridge'
    MODE, XCVR, MINRXPW, RESV = 0, 2, 4, 7
    SPEEDS = {0: 2400, 1: 9600, 2: 19200, 3: 38400, 4: 57600, 5: 115200, 6: 576000, 7: 1152000}
    IRINTX = 0x0001

    def __init__(self, *args, clock=time.monotonic, **kwargs):
        super().__init__(*args, **kwargs)
        self.clock = clock
        self.registers = [0] * 16
        self.registers[self.MODE] = 0x8000 | (1 << 5)  # out of reset, 9600
        self.tx_until = 0.0

    def sending(self):
        return self.clock() < self.tx_until

    def special(self, request_type, request, value, index, length, data):
        if request_type == 0x40 and request == 0x0E and index < 16:
            self.registers[index] = value
            if index == self.MODE:
                self.set_speed(4000000 if value & 0x0001 else self.SPEEDS[(value >> 5) & 7])
            return 0, b''
        if request_type == 0xC0 and request == 0x0F and index < 16:
            value = self.registers[index]
            if index == self.RESV:
                value = (value & ~self.IRINTX) | (self.IRINTX if self.sending() else 0)
            return 0, struct.pack('<H', value)[:length]
        return STALL, b''

    def bulk_out(self, endpoint, data):
        if endpoint != 0x01:
            return STALL
        if len(data) < 2:
            return 0
        length = data[0] | data[1] << 8
        if length != len(data):
            self.log(f'bulk OUT length field {length}, transfer {len(data)} bytes')
        payload = data[2:length]
        self.tx_until = max(self.clock(), self.tx_until) + len(payload) * 10 / self.speed
        self.line(payload)
        return 0

    def from_line(self, data):
        self.queue(self.deframer.feed(data))


class Bridge(FrameQueue):
    """An adapter of the USB IrDA bridge class (interface class 0xFE, subclass 0x02): the
    adapter wraps and deframes itself. A bulk OUT is a one-byte header (low nibble: the rate
    from the next frame on, high nibble: the additional BOFs; 0: no change) and the frame
    without its check value; a header alone changes the settings at once. A bulk IN is a
    one-byte header (0x80: the medium is busy) and a frame heard with a good check value. The
    class descriptor (request 6, class, interface) tells the rates, window and turnaround."""

    vid, pid = 0x08E9, 0x0100
    interface_class, subclass = 0xFE, 0x02
    endpoints = ((0x01, 2), (0x82, 2))
    manufacturer, product = 'Extended Systems', 'IrDA USB bridge'
    SPEEDS = {1: 2400, 2: 9600, 3: 19200, 4: 38400, 5: 57600, 6: 115200}
    XBOFS = {1: 48, 2: 24, 3: 12, 4: 6, 5: 3, 6: 2, 7: 1, 8: 0}
    # Rates 2400..115200, data size up to 2048, window 7, minimum turnaround 1 ms or more
    # (the kernel's default), additional BOFs 12, rate sniffing none, no unicast list.
    CLASS_DESCRIPTOR = struct.pack('<BBHBBBHBBB', 12, 0x21, 0x0100, 0x3F, 0x7F, 0x07,
                                   0x003F, 0x04, 0, 0)

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.xbofs = 12

    def special(self, request_type, request, value, index, length, data):
        if request_type == 0xA1 and request == 6 and index == 0:
            return 0, self.CLASS_DESCRIPTOR[:length]
        return STALL, b''

    def bulk_out(self, endpoint, data):
        if endpoint != 0x01:
            return STALL
        if not data:
            return 0
        header, frame = data[0], bytes(data[1:])
        if frame:
            self.line(wrap(frame, self.xbofs))
        if header & 0x0F:
            self.set_speed(self.SPEEDS.get(header & 0x0F, self.speed))
        if header >> 4:
            self.xbofs = self.XBOFS.get(header >> 4, self.xbofs)
        return 0

    def from_line(self, data):
        frames = []
        for raw in self.deframer.feed(data):
            content = Deframer.unstuff(raw)
            if Deframer.good(content):
                frames.append(b'\x00' + content[:-2])
            else:
                self.log(f'frame with a bad check value dropped: {raw[:16].hex()}')
        self.queue(frames)


CHIPS = {'stir4200': Stir4200, 'mcs7780': Mcs7780, 'bridge': Bridge}

# ---------------------------------------------------------------------------------------------
# USB/IP, the device side of vhci_hcd

CMD_SUBMIT, CMD_UNLINK, RET_SUBMIT, RET_UNLINK = 1, 2, 3, 4
ECONNRESET = -104
HEADER = 48


class Faults:
    """Misbehaviour on request, counted from 1 over the adapter's life: the STALL_IN-th bulk IN
    transfer halts its endpoint (STALL until CLEAR_FEATURE(ENDPOINT_HALT)); the SHORT_CONTROL-th
    control read gets half the bytes the chip would send."""

    def __init__(self, stall_in=None, short_control=None):
        self.stall_in, self.short_control = stall_in, short_control
        self.bulk_ins = self.control_reads = 0

    def stalls(self):
        self.bulk_ins += 1
        return self.bulk_ins == self.stall_in

    def shortens(self):
        self.control_reads += 1
        return self.control_reads == self.short_control


class Server:
    def __init__(self, adapter, sock, log, faults=None):
        self.faults = faults or Faults()
        self.adapter = adapter
        self.sock = sock
        self.log = log
        self.send_lock = threading.Lock()
        self.pending = []  # waiting bulk IN transfers: (seqnum, endpoint, length, since)
        self.pending_lock = threading.Lock()
        self.running = True
        self.bulk_outs = 0
        self.unplug_at = None  # the bulk OUT that finds the adapter gone, once armed
        self.unplug = lambda: None

    def recv_exact(self, count):
        data = bytearray()
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        return bytes(data)

    def reply(self, seqnum, status, data=b'', actual=None):
        header = struct.pack('>IIIIIiiiii', RET_SUBMIT, seqnum, 0, 0, 0, status,
                             len(data) if actual is None else actual, 0, 0, 0)
        with self.send_lock:
            self.sock.sendall(header.ljust(HEADER, b'\0') + data)

    def serve(self):
        try:
            while self.running:
                header = self.recv_exact(HEADER)
                command, seqnum, _devid, direction, ep = struct.unpack('>IIIII', header[:20])
                if command == CMD_SUBMIT:
                    flags, length = struct.unpack('>Ii', header[20:28])
                    setup = header[40:48]
                    data = self.recv_exact(length) if direction == 0 and length > 0 else b''
                    self.submit(seqnum, direction, ep, length, setup, data)
                elif command == CMD_UNLINK:
                    (victim,) = struct.unpack('>I', header[20:24])
                    with self.pending_lock:
                        before = len(self.pending)
                        self.pending = [p for p in self.pending if p[0] != victim]
                        found = len(self.pending) != before
                    self.log(f'unlink {victim}: {"cancelled" if found else "already answered"}')
                    reply = struct.pack('>IIIIIi', RET_UNLINK, seqnum, 0, 0, 0,
                                        ECONNRESET if found else 0)
                    with self.send_lock:
                        self.sock.sendall(reply.ljust(HEADER, b'\0'))
                else:
                    self.log(f'unknown USB/IP command {command}')
                    return
        except (EOFError, OSError):
            pass
        finally:
            self.running = False

    def submit(self, seqnum, direction, ep, length, setup, data):
        if ep == 0:
            status, answer = self.adapter.control(setup, data)
            if direction == 1 and status == 0 and answer and self.faults.shortens():
                answer = answer[:len(answer) // 2]
            self.log(f'control {setup.hex()} {data.hex()} -> {status} {answer.hex()}')
            if direction == 1:
                self.reply(seqnum, status, answer)
            else:
                self.reply(seqnum, status, actual=len(data) if status == 0 else 0)
        elif direction == 0:
            self.bulk_outs += 1
            if self.unplug_at is not None and self.bulk_outs >= self.unplug_at:
                self.unplug()
                return
            self.log(f'bulk OUT {len(data)}: {data[:24].hex()}')
            status = self.adapter.bulk_out(ep, data)
            self.reply(seqnum, status, actual=len(data) if status == 0 else 0)
        elif ep | IN in self.adapter.halted or self.faults.stalls():
            self.adapter.halted.add(ep | IN)
            self.log(f'bulk IN {seqnum}: STALL')
            self.reply(seqnum, STALL)
        else:
            with self.pending_lock:
                self.pending.append((seqnum, ep | IN, length, time.monotonic()))
            self.log(f'bulk IN {seqnum} waits')
            self.answer_waiting()

    def answer_waiting(self):
        """Answers the waiting bulk IN transfers that have data now, or have waited their
        idle time; called whenever data comes and when a transfer is submitted."""
        idle = self.adapter.idle_in_seconds
        with self.pending_lock:
            keep = []
            for seqnum, ep, length, since in self.pending:
                data = self.adapter.take_in(ep, length)
                if data is None and idle is not None and time.monotonic() - since >= idle:
                    data = b''
                if data is None:
                    keep.append((seqnum, ep, length, since))
                    continue
                try:
                    self.reply(seqnum, 0, data)
                except OSError:
                    self.running = False
                if data:
                    self.log(f'bulk IN {len(data)}: {data[:24].hex()}')
            self.pending = keep


def open_line(path):
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    attributes = termios.tcgetattr(fd)
    attributes[3] &= ~termios.ECHO
    termios.tcsetattr(fd, termios.TCSANOW, attributes)
    return fd


VHCI = '/sys/devices/platform/vhci_hcd.0'


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('chip', choices=sorted(CHIPS))
    parser.add_argument('line', help='the infrared side: a serial infrared pseudo-terminal')
    parser.add_argument('--port', type=int, default=0, help='vhci_hcd port (a USB 2 one)')
    parser.add_argument('--log', help='file for the transfers, one a line')
    parser.add_argument('--serial', help='serial number string of the adapter')
    parser.add_argument('--idle-in', type=float, metavar='SECONDS',
                        help='answer a bulk IN that waited this long without data (the STIr4200 '
                             'does after its receive interval); else it waits for data')
    parser.add_argument('--stall-in', type=int, metavar='N',
                        help='the N-th bulk IN transfer halts its endpoint')
    parser.add_argument('--short-control', type=int, metavar='N',
                        help='the N-th control read gets half its bytes')
    parser.add_argument('--unplug-after', type=int, metavar='N', default=15,
                        help='after SIGUSR2, the N-th bulk OUT transfer finds the adapter gone')
    options = parser.parse_args()

    log_file = open(options.log, 'a', buffering=1) if options.log else sys.stderr
    started = time.monotonic()

    def log(text):
        log_file.write(f'{time.monotonic() - started:9.4f} {text}\n')

    line_fd = open_line(options.line)
    watch = RateWatch(log)

    def transmit(data):
        if watch.outgoing(adapter.speed, data):
            os.write(line_fd, data)

    adapter = CHIPS[options.chip](transmit, log, serial=options.serial)
    if options.idle_in:
        adapter.idle_in_seconds = options.idle_in
    ours, kernels = socket.socketpair(socket.AF_UNIX, socket.SOCK_STREAM)
    server = Server(adapter, ours, log, Faults(options.stall_in, options.short_control))

    def line_reader():
        while server.running:
            ready, _, _ = select.select([line_fd], [], [], adapter.idle_in_seconds or 0.5)
            if ready:
                try:
                    data = os.read(line_fd, 4096)
                except OSError:
                    return
                log(f'heard {len(data)}: {data[:24].hex()}')
                if watch.incoming(adapter.speed, data):
                    adapter.from_line(data)
            server.answer_waiting()

    def unplug(_signal=None, _frame=None):
        try:
            with open(f'{VHCI}/detach', 'w') as detach:
                detach.write(str(options.port))
            log('unplugged')
        except OSError as error:
            log(f'cannot detach: {error}')
        server.running = False

    devid = (1 << 16) | (options.port + 2)
    with open(f'{VHCI}/attach', 'w') as attach:
        attach.write(f'{options.port} {kernels.fileno()} {devid} 2')  # full speed
    kernels.close()
    log(f'{options.chip} {adapter.vid:04x}:{adapter.pid:04x} attached on port {options.port}')
    signal.signal(signal.SIGTERM, unplug)
    signal.signal(signal.SIGUSR1, unplug)

    def arm_unplug(_signal=None, _frame=None):
        server.unplug_at = server.bulk_outs + options.unplug_after
        log(f'unplug armed: bulk OUT {server.unplug_at} finds the adapter gone')

    server.unplug = unplug
    signal.signal(signal.SIGUSR2, arm_unplug)
    threading.Thread(target=line_reader, daemon=True).start()
    serving = threading.Thread(target=server.serve, daemon=True)
    serving.start()
    while serving.is_alive() and server.running:
        serving.join(0.2)
    log('ended')


if __name__ == '__main__':
    main()
