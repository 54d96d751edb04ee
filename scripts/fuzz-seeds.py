#!/usr/bin/env python3
"""Real inputs for the fuzz targets, made with the built tools.

Usage: scripts/fuzz-seeds.py BIN_DIR OUT_DIR

For every model: parameter files (fresh from `tessel-cli new`, and read from a virtual radio with
its demonstration channels), their memory images (`encode`), their channel lists (`export`), and
the frames that cross a serial infrared line while the program reads and writes a
`tessel-radiosim --link=sir` radio (a pcap trace of the session): as SIR bytes, as the IrLAP,
IrLMP, IAS and TinyTP units inside them, and as the radio's replies the infrared link takes.
Each seed goes to OUT_DIR/<target>/ under the hash of its bytes, with the selector byte each
target reads first.
"""

import hashlib
import os
import struct
import subprocess
import sys
import tempfile

MODELS = ["ALDER", "BIRCH", "CEDAR", "LARCH"]  # the fuzz targets' model order
DATE = "2025-01-01"


def crc16_x25_step(crc, byte):
    crc ^= byte
    for _ in range(8):
        crc = (crc >> 1) ^ 0x8408 if crc & 1 else crc >> 1
    return crc


def check_value(data):
    crc = 0xFFFF
    for b in data:
        crc = crc16_x25_step(crc, b)
    return crc ^ 0xFFFF


def stuffed(data, specials, escape=0x7D):
    out = bytearray()
    for b in data:
        if b in specials:
            out += bytes([escape, b ^ 0x20])
        else:
            out.append(b)
    return out


def sir_wrap(frame):
    """A SIR frame on the line: BOF, the frame and its FCS stuffed, EOF."""
    body = bytes(frame) + struct.pack("<H", check_value(frame))
    return b"\xc0" + stuffed(body, (0xC0, 0xC1, 0x7D)) + b"\xc1"


def serial_frame(payload):
    body = bytes(payload) + struct.pack("<H", check_value(payload))
    return b"\xc0" + stuffed(body, (0xC0, 0xC1, 0x7D)) + b"\xc1"


def pcap_frames(path):
    """(sent by the program, IrLAP frame) for every record of a trace."""
    with open(path, "rb") as f:
        data = f.read()
    at, frames = 24, []
    while at + 16 <= len(data):
        length = struct.unpack_from("<I", data, at + 8)[0]
        record = data[at + 16 : at + 16 + length]
        at += 16 + length
        frames.append((struct.unpack_from(">H", record, 0)[0] == 4, record[16:]))
    return frames


class Seeds:
    def __init__(self, root):
        self.root = root

    def add(self, target, data):
        folder = os.path.join(self.root, target)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, hashlib.sha1(data).hexdigest()), "wb") as f:
            f.write(data)


def lmp_data_units(frames, from_radio):
    """The IrLMP data of the I frames one side sent, in order, with their LSAP pair."""
    units = []
    for sent, frame in frames:
        if sent == from_radio or len(frame) < 4 or frame[1] & 0x01:  # not an I frame
            continue
        lmp = frame[2:]
        if lmp[0] & 0x80:  # an IrLMP control frame
            continue
        units.append(((lmp[0] & 0x7F, lmp[1] & 0x7F), lmp[2:]))
    return units


def radio_replies(frames, packet_mode):
    """The radio's answers on the service LSAP (not the information base's, LSAP 0)."""
    replies, sdu = [], bytearray()
    for (dlsap, slsap), data in lmp_data_units(frames, from_radio=True):
        if slsap == 0 or dlsap == 0:
            continue
        if packet_mode:
            replies.append(bytes(data))
            continue
        if not data:
            continue
        sdu += data[1:]  # the TinyTP header: the more bit and the credit
        if not data[0] & 0x80:
            replies.append(bytes(sdu))
            sdu = bytearray()
    return [r for r in replies if r]


def irda_script(model_index, packet_mode, replies):
    """The irda target's input: the model and mode, then each reply as length-prefixed chunks."""
    script = bytearray([model_index | (0x80 if packet_mode else 0)])
    for reply in replies:
        for at in range(0, len(reply), 255):
            chunk = reply[at : at + 255]
            script += bytes([len(chunk)]) + chunk
    return bytes(script)


def sir_session(bin_dir, model, work, verb, extra_env):
    """Runs one verb of tessel-cli against a serial infrared virtual radio; the trace's frames."""
    trace = os.path.join(work, f"{model}-{verb[0]}-{len(extra_env)}.pcap")
    radio = subprocess.Popen(
        [os.path.join(bin_dir, "tessel-radiosim"), model, "--link=sir"],
        stdout=subprocess.PIPE, text=True)
    try:
        port = radio.stdout.readline().strip()
        env = dict(os.environ, TESSEL_IRDA_PORT=port, TESSEL_IRDA_TRACE=trace, **extra_env)
        env.pop("TESSEL_IRDA_DIR", None)
        subprocess.run([os.path.join(bin_dir, "tessel-cli")] + verb, env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
    finally:
        radio.terminate()
        radio.wait(timeout=5)
    return pcap_frames(trace)


def main():
    bin_dir, out = sys.argv[1], sys.argv[2]
    cli = os.path.join(bin_dir, "tessel-cli")
    seeds = Seeds(out)
    env = dict(os.environ, TESSEL_PROGRAMMING_DATE=DATE)

    # The USB bridge's class descriptor (alone and behind another one) and adapter selectors.
    descriptor = bytes([0x0C, 0x21, 0x00, 0x01, 0x01, 0x7F, 0x04, 0x3F, 0x01, 0x08, 0x00, 0x00])
    seeds.add("usb", b"\x03" + descriptor)
    seeds.add("usb", b"\x03" + bytes([0x05, 0x24, 0x00, 0x10, 0x01]) + descriptor)
    for text in ("usb", "usb:066f:4200", "usb:066F:4200@1-2.3", "usb@3-1", "usb:9710:7780"):
        seeds.add("usb", b"\x04" + text.encode())

    def run(*args):
        subprocess.run([cli, *args], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    with tempfile.TemporaryDirectory() as work:
        for index, model in enumerate(MODELS):
            fresh = os.path.join(work, model + "-fresh")
            demo = os.path.join(work, model + "-demo")
            run("new", model, "-o", fresh)
            run("read", "--model", model, "--virtual-radio", model, "-o", demo)
            for name in (fresh, demo):
                with open(name, "rb") as f:
                    text = f.read()
                seeds.add("paramfile", bytes([4]) + text)  # "Open": the file names its model
                seeds.add("paramfile", bytes([index]) + text)  # "Open as" its own model
                run("encode", name, "-o", name + ".img", "--date", DATE)
                with open(name + ".img", "rb") as f:
                    seeds.add("image", bytes([index]) + f.read())
            run("export", demo, "-o", demo + ".csv")
            with open(demo + ".csv", "rb") as f:
                seeds.add("csv", bytes([index]) + f.read())

            sessions = [
                (False, sir_session(bin_dir, model, work, ["read", "--model", model, "-o",
                                                           demo + ".sir"], {})),
                (True, sir_session(bin_dir, model, work, ["read", "--model", model, "-o",
                                                          demo + ".sirp"],
                                   {"TESSEL_IRDA_MODE": "packet"})),
                (False, sir_session(bin_dir, model, work, ["write", demo, "--no-verify"], {})),
            ]
            for packet_mode, frames in sessions:
                wrapped = [sir_wrap(frame) for _, frame in frames]
                for frame in wrapped:
                    seeds.add("sirframe", frame)
                for at in range(0, len(wrapped), 8):  # a burst of frames as the line has them
                    seeds.add("sirframe", b"".join(wrapped[at : at + 8]))
                # The same frames as each USB adapter hands them up: the STIr4200's raw line
                # bytes, the MCS7780's frame between BOF and EOF, the bridge's header and body.
                for (_, frame), line in list(zip(frames, wrapped))[:16]:
                    seeds.add("usb", b"\x00" + line)
                    seeds.add("usb", b"\x01" + line[1:-1])
                    seeds.add("usb", b"\x02\x00" + frame)
                for _, frame in frames:
                    seeds.add("sirlayers", b"\x00" + frame)
                    if len(frame) > 2 and frame[1] & 0xEF in (0x83, 0x63):  # SNRM, UA
                        seeds.add("sirlayers", b"\x01" + frame[2:])
                    if len(frame) > 2 and not frame[1] & 0x01:  # I frames carry IrLMP
                        seeds.add("sirlayers", b"\x02" + frame[2:])
                for side in (True, False):
                    for _, data in lmp_data_units(frames, from_radio=side):
                        for selector in (3, 4, 5):  # IAS query, IAS answer, TinyTP
                            seeds.add("sirlayers", bytes([selector]) + data)
                replies = radio_replies(frames, packet_mode)
                seeds.add("irda", irda_script(index, packet_mode, replies))
                if not packet_mode:
                    for reply in replies:
                        serial = bytearray(reply)
                        serial[0] &= 0x7F  # the serial link's command codes
                        seeds.add("serial", b"\xff\x03" + serial_frame(serial))


if __name__ == "__main__":
    main()
