#!/usr/bin/env python3
"""The emulated infrared USB adapters: framing, the chips' requests and transfers, USB/IP."""
import socket
import struct
import threading
import unittest

import usb_adapter as ua
import usbmon_control


class Clock:
    def __init__(self):
        self.now = 100.0

    def __call__(self):
        return self.now


def make(chip, **kwargs):
    sent, logged = [], []
    adapter = chip(sent.append, logged.append, **kwargs)
    return adapter, sent, logged


def setup(request_type, request, value=0, index=0, length=0):
    return struct.pack('<BBHHH', request_type, request, value, index, length)


class Framing(unittest.TestCase):
    def test_check_value_is_the_x25_crc(self):
        self.assertEqual(~ua.fcs16(b'123456789') & 0xFFFF, 0x906E)

    def test_frames_survive_the_line(self):
        # Bytes that must be escaped, in the frame and (for some) in the check value.
        for frame in (b'\xff\x93', b'\x03\xc0\xc1\x7d\x00', bytes(range(256)), b'\x01' * 3):
            with self.subTest(frame=frame[:8].hex()):
                line = ua.wrap(frame, xbofs=3)
                self.assertNotIn(ua.BOF, line[4:])
                self.assertEqual(ua.unwrap_all(b'\x12\xc1' + line + line), [frame, frame])

    def test_broken_frames_are_dropped(self):
        good = ua.wrap(b'\x03\x93\x01')
        cases = {
            'bit error': good[:-3] + bytes((good[-3] ^ 1,)) + good[-2:],
            'escape before EOF': b'\xc0\x03\x93\x7d\xc1',
            'too short': b'\xc0\x03\xc1',
            'cut by a new BOF': good[:-4] + good,
        }
        for name, line in cases.items():
            with self.subTest(name):
                frames = ua.unwrap_all(line)
                self.assertEqual(frames, [b'\x03\x93\x01'] if name == 'cut by a new BOF' else [])


class RateWatch(unittest.TestCase):
    def test_the_radio_changes_rate_after_its_ua_and_back_when_the_link_ends(self):
        clock, logged = Clock(), []
        watch = ua.RateWatch(logged.append, clock)
        snrm = b'\xff\x93' + bytes(9) + b'\x01\x02\x3f\x01'  # up to 4000000 offered
        ua_frame = b'\xfe\x73' + bytes(8) + b'\x01\x01\x3e'  # 9600..115200
        steps = [
            ('SNRM at 9600', 'out', 9600, snrm, True, 9600),
            ('UA heard at 9600, radio now at 115200', 'in', 9600, ua_frame, True, 115200),
            ('a frame the chip still sends at 9600', 'out', 9600, b'\xfe\x11', False, 115200),
            ('the same at 115200', 'out', 115200, b'\xfe\x11', True, 115200),
            ('DISC', 'out', 115200, b'\xfe\x53', True, 115200),
            ('its UA, radio back at 9600', 'in', 115200, b'\xfe\x73', True, 9600),
        ]
        for name, way, chip_rate, frame, passes, radio_rate in steps:
            with self.subTest(name):
                check = watch.outgoing if way == 'out' else watch.incoming
                self.assertEqual(check(chip_rate, ua.wrap(frame)), passes)
                self.assertEqual(watch.rate, radio_rate)
        watch.rate = 115200
        clock.now += 3.5
        self.assertTrue(watch.outgoing(9600, ua.wrap(b'\xff\x3f')))  # the radio forgot the link


class StandardRequests(unittest.TestCase):
    def test_requests(self):
        adapter, _, _ = make(ua.Bridge, serial='A1')
        cases = [
            ('device descriptor, whole', setup(0x80, 6, 0x0100, 0, 64), 0, 18),
            ('device descriptor, first 8 bytes', setup(0x80, 6, 0x0100, 0, 8), 0, 8),
            ('configuration, 9 bytes first', setup(0x80, 6, 0x0200, 0, 9), 0, 9),
            ('configuration, whole', setup(0x80, 6, 0x0200, 0, 255), 0, 9 + 9 + 14),
            ('serial number', setup(0x80, 6, 0x0303, 0x409, 255), 0, 6),
            ('no such string', setup(0x80, 6, 0x0309, 0x409, 255), ua.STALL, 0),
            ('no second configuration', setup(0x00, 9, 2), ua.STALL, 0),
            ('clear halt of a bulk endpoint', setup(0x02, 1, 0, 0x82), 0, 0),
            ('clear halt of no endpoint', setup(0x02, 1, 0, 0x83), ua.STALL, 0),
            ('unknown vendor request', setup(0x40, 0x33), ua.STALL, 0),
        ]
        for name, request, status, length in cases:
            with self.subTest(name):
                got_status, data = adapter.control(request, b'')
                self.assertEqual((got_status, len(data)), (status, length))
        total = struct.unpack('<H', adapter.control(setup(0x80, 6, 0x0200, 0, 9), b'')[1][2:4])[0]
        self.assertEqual(total, 32)


class Stir4200(unittest.TestCase):
    def test_rate_from_clock_divider_and_fifo_drains_at_that_rate(self):
        clock = Clock()
        adapter, sent, _ = make(ua.Stir4200, clock=clock)
        for register, value in ((3, 0x01), (8, 0x15), (2, 0x09), (1, 0x2A), (3, 0x80), (3, 0)):
            self.assertEqual(adapter.control(setup(0x40, 3, value, register), b'')[0], 0)
        self.assertEqual(adapter.speed, 115200)
        payload = b'\xff' * 10 + ua.wrap(b'\xff\x93')[10:]
        adapter.bulk_out(0x01, b'\x55\xaa' + struct.pack('<H', len(payload)) + payload)
        self.assertEqual(sent, [payload])
        fifo = lambda: adapter.control(setup(0xC0, 1, 0, 5, 3), b'')[1]
        status, low, high = fifo()
        self.assertEqual(status & 0x14, 0x10)  # sending, not empty
        self.assertGreater(low | high << 8, 0)
        clock.now += len(payload) * 10 / 115200 + 0.001
        self.assertEqual(fifo()[0] & 0x14, 0x04)

    def test_receiver_gives_raw_bytes_in_transfer_sized_pieces(self):
        adapter, _, _ = make(ua.Stir4200)
        self.assertIsNone(adapter.take_in(0x82, 4096))
        adapter.from_line(b'\xc0\x01\x02\xc1')
        self.assertEqual(adapter.take_in(0x82, 3), b'\xc0\x01\x02')
        self.assertEqual(adapter.take_in(0x82, 3), b'\xc1')


class Mcs7780(unittest.TestCase):
    def test_registers_rate_and_transmitter_busy(self):
        clock = Clock()
        adapter, sent, _ = make(ua.Mcs7780, clock=clock)
        self.assertEqual(adapter.control(setup(0xC0, 0x0F, 0, 0, 2), b''), (0, b'\x20\x80'))
        adapter.control(setup(0x40, 0x0E, 0x8000 | 5 << 5, 0), b'')
        self.assertEqual(adapter.speed, 115200)
        wrapped = ua.wrap(b'\xff\x93')
        adapter.bulk_out(0x01, struct.pack('<H', len(wrapped) + 2) + wrapped)
        self.assertEqual(sent, [wrapped])
        busy = lambda: adapter.control(setup(0xC0, 0x0F, 0, 7, 2), b'')[1][0] & 1
        self.assertEqual(busy(), 1)
        clock.now += 1
        self.assertEqual(busy(), 0)

    def test_one_frame_per_transfer_without_bof_and_eof(self):
        adapter, _, _ = make(ua.Mcs7780)
        first, second = ua.wrap(b'\x03\x7d\xc0'), ua.wrap(b'\x01\x93')
        adapter.from_line(first + second[:5])
        adapter.from_line(second[5:])
        for frame in (b'\x03\x7d\xc0', b'\x01\x93'):
            raw = adapter.take_in(0x81, 4096)
            self.assertEqual(ua.unwrap_all(b'\xc0' + raw + b'\xc1'), [frame])
        self.assertIsNone(adapter.take_in(0x81, 4096))


class Bridge(unittest.TestCase):
    def test_class_descriptor(self):
        adapter, _, _ = make(ua.Bridge)
        status, data = adapter.control(setup(0xA1, 6, 0, 0, 12), b'')
        self.assertEqual((status, len(data), data[1]), (0, 12, 0x21))
        self.assertEqual(struct.unpack('<H', data[7:9])[0] & 0x3F, 0x3F)  # 2400..115200

    def test_header_changes_rate_and_bofs_after_its_frame(self):
        adapter, sent, _ = make(ua.Bridge)
        adapter.bulk_out(0x01, b'\x86\x01\x93')  # 115200 and no extra BOFs, after this frame
        self.assertEqual(sent, [ua.wrap(b'\x01\x93', 12)])
        self.assertEqual((adapter.speed, adapter.xbofs), (115200, 0))
        adapter.bulk_out(0x01, b'\x02')  # a header alone: 9600 at once
        self.assertEqual((adapter.speed, len(sent)), (9600, 1))

    def test_receives_frames_with_a_good_check_value_only(self):
        adapter, _, logged = make(ua.Bridge)
        bad = bytearray(ua.wrap(b'\x01\x93\x11'))
        bad[-2] ^= 0x01
        adapter.from_line(bytes(bad) + ua.wrap(b'\x01\x73'))
        self.assertEqual(adapter.take_in(0x82, 2048), b'\x00\x01\x73')
        self.assertIsNone(adapter.take_in(0x82, 2048))
        self.assertEqual(len(logged), 1)


class UsbIp(unittest.TestCase):
    def setUp(self):
        self.adapter, _, _ = make(ua.Bridge)
        self.ours, self.kernel = socket.socketpair()
        self.server = ua.Server(self.adapter, self.ours, lambda text: None)
        threading.Thread(target=self.server.serve, daemon=True).start()

    def tearDown(self):
        self.server.running = False
        self.kernel.close()
        self.ours.close()

    def command(self, command, seqnum, direction, ep, extra):
        self.kernel.sendall(struct.pack('>IIIII', command, seqnum, 0x10002, direction, ep)
                            + extra.ljust(28, b'\0'))

    def receive(self, extra=0):
        data = b''
        while len(data) < ua.HEADER + extra:
            data += self.kernel.recv(ua.HEADER + extra - len(data))
        return struct.unpack('>IIIIIii', data[:28]), data[ua.HEADER:]

    def submit_in(self, seqnum, ep, length, request=b''):
        self.command(ua.CMD_SUBMIT, seqnum, 1, ep, struct.pack('>Iiiii', 0, length, 0, 0, 0) + request)

    def test_faults_stall_until_cleared_and_shorten_a_control_read(self):
        self.server.faults = ua.Faults(stall_in=1, short_control=1)
        self.submit_in(1, 0, 18, setup(0x80, 6, 0x0100, 0, 18))
        (_, _, _, _, _, status, length), _ = self.receive(9)
        self.assertEqual((status, length), (0, 9))
        for seqnum in (2, 3):  # halted: every transfer stalls until the halt is cleared
            self.submit_in(seqnum, 2, 2048)
            (_, got, _, _, _, status, _), _ = self.receive()
            self.assertEqual((got, status), (seqnum, ua.STALL))
        self.assertEqual(self.adapter.control(setup(0x02, 1, 0, 0x82), b'')[0], 0)
        self.submit_in(4, 2, 2048)
        self.adapter.from_line(ua.wrap(b'\x01\x73'))
        self.server.answer_waiting()
        (_, got, _, _, _, status, length), _ = self.receive(3)
        self.assertEqual((got, status, length), (4, 0, 3))

    def test_control_in_then_unlinked_bulk_in(self):
        request = setup(0x80, 6, 0x0100, 0, 18)
        self.command(ua.CMD_SUBMIT, 1, 1, 0, struct.pack('>Iiiii', 0, 18, 0, 0, 0) + request)
        (command, seqnum, _, _, _, status, length), data = self.receive(18)
        self.assertEqual((command, seqnum, status, length), (ua.RET_SUBMIT, 1, 0, 18))
        self.assertEqual(data[8:12], b'\xe9\x08\x00\x01')
        self.command(ua.CMD_SUBMIT, 2, 1, 2, struct.pack('>Iiiii', 0, 2048, 0, 0, 0))
        self.command(ua.CMD_UNLINK, 3, 0, 0, struct.pack('>I', 2))
        (command, seqnum, _, _, _, status, _), _ = self.receive()
        self.assertEqual((command, seqnum, status), (ua.RET_UNLINK, 3, ua.ECONNRESET))


class UsbmonSequences(unittest.TestCase):
    def test_start_and_speed_change_of_a_register_chip(self):
        capture = [
            'a 1 S Ci:1:002:0 s 80 06 0100 0000 0012 18 <',
            'a 2 S Co:1:002:0 s 00 09 0001 0000 0000 0',
            'a 3 S Ci:1:001:0 s a3 00 0000 0001 0004 4 <',  # the root hub
            'a 4 S Co:1:002:0 s 40 03 0077 0002 0000 0',
            'a 5 S Ci:1:002:0 s c0 01 0000 0005 0003 3 <',
            'b 6 S Bo:1:002:1 -115 34 = 55aa1e00',
            'a 7 S Ci:1:002:0 s c0 01 0000 0005 0003 3 <',
            'a 8 S Ci:1:002:0 s c0 01 0000 0005 0003 3 <',
            'c 9 S Bi:1:002:2 -115 4096 <',
            'a 10 S Co:1:002:0 s 40 03 0009 0002 0000 0',
            'b 11 S Bo:1:002:1 -115 20 = 55aa1000',
            'a 12 S Co:1:002:0 s 40 03 0077 0002 0000 0',
        ]
        start, change = usbmon_control.sequences(capture)
        self.assertEqual(start, ['00 09 0001 0000 0000', '40 03 0077 0002 0000',
                                 'c0 01 0000 0005 0003'])
        self.assertEqual(change, ['c0 01 0000 0005 0003', '40 03 0009 0002 0000'])


if __name__ == '__main__':
    unittest.main()
