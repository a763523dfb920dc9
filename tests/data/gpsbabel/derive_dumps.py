#!/usr/bin/env python3
"""Derives the expected dump of every fixture here without running tackedit.

Each fixture is decoded from its own bytes (NMEA text, gdb and FIT semicircles), checked
against the source GPX it was made from, and its dump written as <fixture>.dump.
Run from this folder: python3 derive_dumps.py [--check]. With --check nothing is
written; a dump that differs from the stored one is reported.
"""

import re
import struct
import xml.etree.ElementTree as ElementTree
import zipfile
import sys
from datetime import datetime, timezone
from fractions import Fraction
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parent / "source"

# gpsbabel 1.8.0 writes NMEA minutes with three decimals, rounded.
NMEA_TOLERANCE = Fraction(5, 10000)
# gdb stores semicircles (180 / 2^31 degree), rounded to the nearest.
GDB_TOLERANCE = Fraction(180 * 60, 2**31) / 2

EPOCH_DAY = 25569  # 1970-01-01 in days since 1899-12-30


def source_points(path):
    text = path.read_text()
    points = []
    for lat, lon, time in re.findall(
        r'<trkpt lat="([^"]+)" lon="([^"]+)">.*?<time>([^<]+)</time>', text, re.S
    ):
        stamp = datetime.strptime(time, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=timezone.utc)
        points.append((int(stamp.timestamp()), Fraction(lat) * 60, Fraction(lon) * 60))
    return points


def nmea_points(path):
    points = []
    for line in path.read_text().splitlines():
        f = line.split(",")
        if not f[0].endswith("RMC"):
            continue
        hh, mm, ss = int(f[1][0:2]), int(f[1][2:4]), int(f[1][4:6])
        day, month, year = int(f[9][0:2]), int(f[9][2:4]), 2000 + int(f[9][4:6])
        stamp = datetime(year, month, day, hh, mm, ss, tzinfo=timezone.utc)

        def minutes(text, letter):
            point = text.index(".")
            value = int(text[: point - 2]) * 60 + Fraction(text[point - 2 :])
            return -value if letter in "SW" else value

        points.append((int(stamp.timestamp()), minutes(f[3], f[4]), minutes(f[5], f[6])))
    return points


def iso_seconds(text):
    stamp = datetime.strptime(text.strip()[:19], "%Y-%m-%dT%H:%M:%S").replace(tzinfo=timezone.utc)
    return int(stamp.timestamp())  # gpsbabel writes UTC ("Z") only


def local(tag):
    return tag.rsplit("}", 1)[-1]


def tcx_points(data):
    points = []
    for point in ElementTree.fromstring(data).iter():
        if local(point.tag) != "Trackpoint":
            continue
        values = {local(e.tag): e.text for e in point.iter()}
        if "Time" in values and "LatitudeDegrees" in values and "LongitudeDegrees" in values:
            points.append((iso_seconds(values["Time"]), Fraction(values["LatitudeDegrees"]) * 60,
                           Fraction(values["LongitudeDegrees"]) * 60))
    return points


def kml_points(data):
    points = []
    for track in ElementTree.fromstring(data).iter():
        if local(track.tag) != "Track":
            continue
        whens = [iso_seconds(e.text) for e in track if local(e.tag) == "when"]
        coords = [e.text.split() for e in track if local(e.tag) == "coord"]
        points += [(t, Fraction(c[1]) * 60, Fraction(c[0]) * 60) for t, c in zip(whens, coords)]
    return points


def kmz_points(path):
    with zipfile.ZipFile(path) as archive:
        name = next(n for n in archive.namelist() if n.lower().endswith(".kml"))
        return kml_points(archive.read(name))


def gdb_scan(data):
    """The documented byte-pattern rules of the gdb reader, applied literally."""
    def i32(at):
        return struct.unpack_from("<i", data, at)[0]

    points, markers = [], []
    length, i, resume = len(data), 30, 0
    while length >= 60 and i <= length - 7:
        if data[i] != 1 or i < resume:
            i += 1
            continue
        d = data
        if i + 15 < length and d[i - 10] == 0 and d[i - 9] == 0 and d[i + 9] == 1 and d[i + 14] == 0 and d[i + 15] == 0:
            lat_at, lon_at, time_at, size = i - 8, i - 4, i + 10, 24
        elif d[i - 11] == 0 and d[i - 10] == 0 and d[i - 1] == 0 and d[i + 5] == 0 and d[i + 6] == 0:
            lat_at, lon_at, time_at, size = i - 9, i - 5, i + 1, 16
        else:
            i += 1
            continue
        seconds = i32(time_at)
        if seconds > 0:
            scale = Fraction(180 * 60, 2**31)
            points.append((seconds, i32(lat_at) * scale, i32(lon_at) * scale))
            markers.append(i)
            resume = i + size - 3
        i += 1
    return points, markers


def fit_points(data):
    """record messages (global 20) with a timestamp and a valid position, chained files in turn."""
    points, start = [], 0
    while start + 12 <= len(data) and data[start + 8 : start + 12] == b".FIT":
        header = data[start]
        at = start + header
        end = at + struct.unpack_from("<I", data, start + 4)[0]
        layouts, last = {}, None
        while at < end:
            head = data[at]
            if head & 0x40 and not head & 0x80:
                big = data[at + 2] == 1
                order = ">" if big else "<"
                number = struct.unpack_from(order + "H", data, at + 3)[0]
                count = data[at + 5]
                fields, offset, at = {}, 0, at + 6
                for _ in range(count):
                    fields.setdefault(data[at], (offset, data[at + 1]))
                    offset += data[at + 1]
                    at += 3
                if head & 0x20:
                    for _ in range(data[at]):
                        offset += data[at + 2]
                        at += 3
                    at += 1
                layouts[head & 0x0F] = (number, order, fields, offset)
                continue
            compressed = head & 0x80
            number, order, fields, size = layouts[(head >> 5) & 3 if compressed else head & 0x0F]
            body = data[at + 1 : at + 1 + size]

            def value(field, kind):
                offset, width = fields.get(field, (0, 0))
                return struct.unpack_from(order + kind, body, offset)[0] if width >= 4 else None

            stamp = None
            if compressed and last is not None:
                offset = head & 0x1F
                stamp = (last & ~0x1F) + offset + (0x20 if offset < (last & 0x1F) else 0)
                last = stamp
            t = value(253, "I")
            if t is not None and t != 0xFFFFFFFF:
                stamp = last = t
            lat, lon = value(0, "i"), value(1, "i")
            if number == 20 and stamp is not None and None not in (lat, lon) and 0x7FFFFFFF not in (lat, lon):
                scale = Fraction(180 * 60, 2**31)
                points.append((stamp + 631065600, lat * scale, lon * scale))
            at += 1 + size
        start = end + 2
    return points


def shortest(value):
    # Shortest round-trip text, as std::to_chars writes it (no ".0" on integers).
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text


def float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def dump_text(points):
    lines = [f"count {len(points)}"]
    interval = 0
    if points:
        first = float(EPOCH_DAY + Fraction(points[0][0], 86400))
        last = float(EPOCH_DAY + Fraction(points[-1][0], 86400))
        interval = round(Fraction(float32(last - first)) * 86400 / len(points))
    lines.append(f"interval {interval}")
    for n, (seconds, lat, lon) in enumerate(points, 1):
        stamp = datetime.fromtimestamp(seconds, timezone.utc).strftime("%Y-%m-%d %H:%M:%S")
        lines.append(f"{n}\t{stamp}\t{shortest(lat)}\t{shortest(lon)}")
    return "\n".join(lines) + "\n"


def compare(name, got, source, tolerance):
    """Reports every difference from the source beyond the format's resolution."""
    by_time = {p[0]: p for p in source}
    problems = []
    for seconds, lat, lon in got:
        want = by_time.get(seconds)
        if want is None:
            problems.append(f"{name}: point at {seconds} is not in the source")
        elif abs(lat - want[1]) > tolerance or abs(lon - want[2]) > tolerance:
            problems.append(f"{name}: point at {seconds} off by "
                            f"{float(abs(lat - want[1])):.3g}, {float(abs(lon - want[2])):.3g} minutes")
    missing = sorted(set(by_time) - {p[0] for p in got})
    for seconds in missing:
        problems.append(f"{name}: source point at {seconds} "
                        f"({datetime.fromtimestamp(seconds, timezone.utc):%Y-%m-%d %H:%M:%S}) not read")
    return problems


def main():
    check = "--check" in sys.argv
    failed = False
    for fixture in sorted(HERE.glob("*.log")) + sorted(HERE.glob("*.gdb")) + sorted(HERE.glob("*.gpx")) + sorted(
            HERE.glob("*.tcx")) + sorted(HERE.glob("*.kml")) + sorted(HERE.glob("*.kmz")) + sorted(HERE.glob("*.fit")):
        stem = fixture.stem.split("_v")[0].removesuffix("_gpsbabel")
        source = source_points(SOURCE / (stem + ".gpx"))
        if fixture.suffix == ".log":
            points, tolerance, note = nmea_points(fixture), NMEA_TOLERANCE, ""
        elif fixture.suffix == ".gdb":
            data = fixture.read_bytes()
            points, markers = gdb_scan(data)
            tolerance = GDB_TOLERANCE
            note = f" (length {len(data)}, markers at {markers}, scan ends at {len(data) - 7})"
        elif fixture.suffix == ".tcx":
            points, tolerance, note = tcx_points(fixture.read_bytes()), 0, ""
        elif fixture.suffix == ".kml":
            points, tolerance, note = kml_points(fixture.read_bytes()), 0, ""
        elif fixture.suffix == ".kmz":
            points, tolerance, note = kmz_points(fixture), 0, ""
        elif fixture.suffix == ".fit":
            points, tolerance, note = fit_points(fixture.read_bytes()), GDB_TOLERANCE, ""
        else:
            points, tolerance, note = source_points(fixture), 0, ""
        for problem in compare(fixture.name, points, source, tolerance):
            print(problem + note)
        text = dump_text(points)
        target = fixture.with_name(fixture.name + ".dump")
        if check:
            if not target.exists() or target.read_text() != text:
                print(f"{target.name}: differs from the derived dump")
                failed = True
        else:
            target.write_text(text)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
