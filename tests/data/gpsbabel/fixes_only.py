#!/usr/bin/env python3
"""Turns gpsbabel's GGA-only NMEA output (nmea,gprmc=0) into a logger's log
without RMC: every GGA marked as a GPS fix (gpsbabel writes quality 0 for a
GPX point without <fix>), and one ZDA after fix AFTER with the given date.

Usage: fixes_only.py AFTER DD MM YYYY < gpsbabel.nmea > log
"""
import sys


def sentence(body):
    sum = 0
    for c in body:
        sum ^= ord(c)
    return "$%s*%02X\r\n" % (body, sum)


after, day, month, year = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
out = []
for n, line in enumerate(l for l in sys.stdin.read().splitlines() if l.startswith("$GPGGA,")):
    fields = line[1:line.index("*")].split(",")
    fields[6] = "1"
    out.append(sentence(",".join(fields)))
    if n + 1 == after:
        out.append(sentence("GPZDA,%s,%s,%s,%s,00,00" % (fields[1], day, month, year)))
sys.stdout.write("".join(out))
