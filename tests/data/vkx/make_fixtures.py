#!/usr/bin/env python3
"""Writes the VKX fixtures and their expected `tackedit-cli dump` text, worked
out here without the C++ reader: race_timer.vkx (format version 5, a start
sequence with its pings) and south_west.vkx (version 2, south and west, a last
row cut off). Run from this folder: python3 make_fixtures.py"""
import struct
from datetime import datetime, timedelta, timezone

EPOCH = datetime(1970, 1, 1, tzinfo=timezone.utc)


class Log:
    def __init__(self, version, page=300):
        self.version, self.page, self.out, self.start = version, page, bytearray(), 0
        self.header()

    def header(self):
        self.start = len(self.out)
        self.out += bytes([0xFF, self.version]) + bytes(6)

    def terminate(self):
        self.out += bytes([0xFE]) + struct.pack('<H', len(self.out) + 3 - self.start)

    def row(self, key, payload):
        if len(self.out) - self.start >= self.page:
            self.terminate()
            self.header()
        self.out += bytes([key]) + payload


def ms_of(text):
    when = datetime.strptime(text, '%Y-%m-%d %H:%M:%S.%f').replace(tzinfo=timezone.utc)
    return (when - EPOCH) // timedelta(milliseconds=1)


def position(log, ms, lat, lon):
    log.row(0x02, struct.pack('<Qii7f', ms, lat, lon, 2.5, 0.7, 1.5, 1, 0, 0, 0))


def number(value):
    return str(int(value)) if value == int(value) else repr(value)


def dump(points):
    lines = ['count %d' % len(points)]
    if points:
        span_days = (points[-1][0] - points[0][0]) / 86400000.0
        span = struct.unpack('<f', struct.pack('<f', span_days))[0]
        lines.append('interval %d' % round(span * 86400 / len(points)))
    else:
        lines.append('interval 0')
    for i, (ms, lat, lon) in enumerate(points, 1):
        when = EPOCH + timedelta(seconds=round(ms / 1000))
        lines.append('%d\t%s\t%s\t%s' % (i, when.strftime('%Y-%m-%d %H:%M:%S'), number(lat * 6 / 1e6),
                                          number(lon * 6 / 1e6)))
    return '\n'.join(lines) + '\n'


def write(name, log, points, cut=0):
    log.terminate()
    data = bytes(log.out[:len(log.out) - cut]) if cut else bytes(log.out)
    open(name, 'wb').write(data)
    open(name + '.dump', 'w').write(dump(points))


# A Vakaros timer on a boat off Enoshima: the countdown, both line ends, the
# start, two seconds a fix for a minute, the finish.
log = Log(5)
log.row(0x08, bytes(8) + struct.pack('<IB', 1, 2))
t0 = ms_of('2024-06-15 00:55:00.000')
log.row(0x05, struct.pack('<QBff', t0 - 60000, 0, 35.3001, 139.4801))
log.row(0x05, struct.pack('<QBff', t0 - 50000, 1, 35.3004, 139.4822))
log.row(0x04, struct.pack('<QBi', t0, 1, 300))
points = []
for i in range(30):
    ms = t0 + 290000 + i * 2000 + 250
    lat, lon = 353002000 + i * 1371, 1394810000 + i * 917
    points.append((ms, lat, lon))
    position(log, ms, lat, lon)
    if i == 5:
        log.row(0x04, struct.pack('<QBi', t0 + 300000, 3, 0))
    if i % 10 == 0:
        log.row(0x0A, struct.pack('<Qff', ms, 210.5, 6.2))
log.row(0x04, struct.pack('<QBi', t0 + 360000, 4, 60))
write('race_timer.vkx', log, points)

# South and west, a second and a half a fix; the logger stopped inside a row.
log = Log(2, page=2048)
t0 = ms_of('2023-03-05 17:59:59.700')
log.row(0x03, struct.pack('<Qfii', t0, -0.17, -341234567, -584567891))
points = []
for i in range(12):
    ms = t0 + i * 1500
    lat, lon = -341234567 - i * 2222, -584567891 + i * 3333
    points.append((ms, lat, lon))
    position(log, ms, lat, lon)
    log.row(0x0C, struct.pack('<Qf', ms, 12.5))
position(log, t0 + 20000, -341300000, -584500000)
write('south_west.vkx', log, points, cut=3 + 30)
