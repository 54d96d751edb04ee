#!/usr/bin/env python3
"""The control transfers an infrared adapter's driver sends at start and at a speed change,
from a usbmon text capture (debugfs usb/usbmon/*u) of one adapter's life.

    usbmon_control.py CAPTURE        prints the two sequences

Each request is its setup (bmRequestType bRequest wValue wIndex wLength, hex as usbmon writes
them) and, for a request that carries data to the adapter, the data. A run of the same request
(a status register polled until the transmitter is done) is one line. "start": the requests from
the configuration the driver sets to its first bulk transfer. "speed change": the requests from
the last transmission before the first register write after the start to the next transmission;
for an adapter without such registers (the bridge class) the first transmission of at most one
byte, a header that changes the rate without a frame.
"""
import sys


def events(lines):
    """(kind, text) of each submission to the adapter: ('control', setup [data]), ('bulk-out', length data),
    ('bulk-in', length)."""
    for line in lines:
        words = line.split()
        if len(words) < 4 or words[2] != 'S':
            continue
        kind, _bus, device = words[3].split(':')[:3]
        if device == '001':  # a root hub: the host controller's own, not the adapter's
            continue
        if kind in ('Ci', 'Co') and len(words) >= 10 and words[4] == 's':
            setup = ' '.join(words[5:10])
            data = ''
            if kind == 'Co' and '=' in words:
                data = ' = ' + ''.join(words[words.index('=') + 1:])
            yield 'control', setup + data
        elif kind == 'Bo' and len(words) >= 6:
            data = ''.join(words[words.index('=') + 1:]) if '=' in words else ''
            yield 'bulk-out', f'{words[5]} {data}'.rstrip()
        elif kind == 'Bi':
            yield 'bulk-in', words[5] if len(words) > 5 else ''


def is_write(setup):
    request_type = int(setup.split()[0], 16)
    return request_type & 0x80 == 0 and request_type & 0x60 != 0


def collapse(lines):
    out = []
    for line in lines:
        if not out or out[-1] != line:
            out.append(line)
    return out


def sequences(lines):
    stream = list(events(lines))
    configured = [i for i, (kind, text) in enumerate(stream)
                  if kind == 'control' and text.startswith('00 09 ')]
    first_bulk = next((i for i, (kind, _) in enumerate(stream) if kind != 'control'), len(stream))
    before = [i for i in configured if i < first_bulk]
    begin = before[-1] if before else 0
    start = [text for kind, text in stream[begin:first_bulk] if kind == 'control']

    write = next((i for i in range(first_bulk, len(stream))
                  if stream[i][0] == 'control' and is_write(stream[i][1])), None)
    change = []
    if write is not None:
        since = max((i for i in range(first_bulk, write) if stream[i][0] == 'bulk-out'),
                    default=first_bulk)
        for kind, text in stream[since + 1:]:
            if kind == 'bulk-out' and int(text.split()[0]) > 1:
                break
            if kind == 'control' or kind == 'bulk-out':
                change.append(text if kind == 'control' else f'bulk-out {text}')
    else:
        # No register holds the rate: the first bulk header alone changes it.
        change = [f'bulk-out {text}' for kind, text in stream[first_bulk:]
                  if kind == 'bulk-out' and int(text.split()[0]) <= 1][:1]
    return collapse(start), collapse(change)


def main():
    with open(sys.argv[1], errors='replace') as capture:
        start, change = sequences(capture)
    print('# start')
    print('\n'.join(start))
    print('# speed change')
    print('\n'.join(change))


if __name__ == '__main__':
    main()
