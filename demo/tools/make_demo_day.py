#!/usr/bin/env python3
"""Builds the race day of the demo workspace: day 2 of the regatta.

Eight boats sail three races on 16 June 2024 on the demo race's course (guns
at 10:00, 11:30 and 13:00 JST), each with one log for the whole day: they
loiter before each start, race, motor back to wait for the next gun and home
after the last. Every log is in another format and named as its device names
it: a race timer's VKX by sail number (with its race-start events at the
guns), an NMEA logger's file by sail number, a watch's FIT by its start time
(its serial number is in the entry list's device column), a phone app's GPX
by its start time (in the list's file column), the others by boat name.
Beside them: the committee's entry list (a spreadsheet's UTF-8 CSV), the day's
race file without boats, the wind log and the sailing instructions.

    python3 demo/tools/make_demo_day.py [demo folder]

Seeded: a rerun writes the same bytes. It prints the places the simulation
made and the series they add up to, the order the race-day test expects.
"""

import math
import random
import struct
import sys
from datetime import datetime, timedelta, timezone
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_demo_race as race  # noqa: E402  the course, wind, polar and helpers of the demo race

DEMO = race.DEMO
DAY0 = datetime(2024, 6, 16, 1, 0, 0, tzinfo=timezone.utc)  # race 1's gun, 10:00 JST; times are seconds from it
GUNS = [0, 5400, 10800]
KNOT, DT = race.KNOT, race.DT
MOTOR_KN = 5.5
FIT_EPOCH = datetime(1989, 12, 31, tzinfo=timezone.utc)

# name, sail, file, TCF, helm, club, seed, threshold, overstand, min gap, corridor, spot, depth
FLEET = [
    ("Hayate", "JPN 4512", "JPN4512.vkx", 1.015, "Kenji Sato", "Enoshima YC", 21, 4.0, 1.0, 60, 0.45, 15, 170),
    ("Kazekiri", "JPN 3970", "3970_20240616.nmea", 1.0, "Takuya Mori", "Hayama Marina YC", 22, 5.0, 3.0, 75,
     0.55, 10, 190),
    ("Shiokaze", "JPN 2288", "2024-06-16-09-31-05.fit", 0.992, "Yumi Kato", "Enoshima YC", 23, 6.0, 2.0, 90,
     0.35, 55, 160),
    ("海風", "JPN 5101", "Track_2024-06-16 093012.gpx", 1.008, "Hiroshi Tanaka", "Zushi Kaigan SC", 24, 4.5, 0.5,
     50, 0.6, -5, 210),
    ("Seagull", "JPN 1875", "seagull_0616.gpx", 0.965, "Emma Clarke", "Sagami YC, Hayama", 25, 7.0, 4.0, 120, 0.4,
     30, 150),
    ("Tobiuo", "JPN 6230", "tobiuo_0616.trb", 0.98, "Daisuke Ito", "Zushi Kaigan SC", 26, 5.5, 2.5, 80, 0.5,
     40, 180),
    ("Nagisa", "JPN 808", "nagisa.dtr", 0.95, "Aiko Yamada", "Enoshima YC", 27, 6.5, 3.5, 100, 0.45, 0, 200),
    ("Akatsuki", "JPN 7007", "AKATSUKI_0616.gpx", 1.03, "Ryo Nakamura", "Hayama Marina YC", 28, 4.0, 1.5, 65,
     0.5, 40, 165),
]
WATCH_SERIAL = 3987654321
# The demo race's start line has its committee end moved out, for the boats that start there.
COMMITTEE_END = (35.262454, 139.465595)
PHONE_ON = -(29 * 60 + 48)  # the phone app started at 09:30:12, as its file name says
WATCH_ON = -(28 * 60 + 55)  # the watch at 09:31:05

# What each boat does in each race: its pace (1 the fastest on corrected time,
# the boat's tactics and the wind add their own), or OCS (over at the gun,
# never back), DNF (retires after the first windward mark) or DNC (went home
# after race 2). The places come out of the simulation; the printout says them.
PLAN = {
    "Hayate": [1, 3.4, 1], "Kazekiri": [2, 1, 3], "Shiokaze": [3, 2, 2], "海風": [4, 5, 5],
    "Seagull": [5, 6, 7], "Tobiuo": [6.5, 7.3, "DNC"], "Nagisa": [7, "DNF", 6], "Akatsuki": ["OCS", 2.45, 4.5],
}
PLACE_GAP = 0.028  # speed apart, a place to the next


def speed_factor(tcf, plan):
    place = {"OCS": 3, "DNF": 5, "DNC": 7}.get(plan, plan)
    return tcf / (1 + PLACE_GAP * (place - 1)) * 1.07


def utc(t):
    return DAY0 + timedelta(seconds=round(t, 1))


def time_to_line(b, w, ws, plan):
    """Seconds to the start line close-hauled on starboard at full speed, as the
    helm reckons them: no run-up, no tide, so a boat that goes by it is never early."""
    u, _ = race.course_uv(b.x, b.y)
    along = math.cos(math.radians(w - race.UP_TWA - race.AXIS))
    return max(0.0, -u) / max(0.3, race.polar(race.UP_TWA, ws) * plan["factor"] * KNOT * along)


def simulate_day(b, t_on, races):
    """The boat's day from t_on: before each race it wanders, sets up below the
    line and holds; races (or not, as planned); then motors to wait below the
    line, or home after its last race. Returns (t, x, y, heading, knots) per step
    and, per race, its leg times."""
    rng = b.rng
    b.x, b.y = race.course_xy(rng.uniform(-900, -350), rng.uniform(-450, 450))
    b.heading, b.v, b.side = rng.uniform(0, 360), 1.5, 1
    wobble = rng.uniform(0, 2 * math.pi)
    avg_w = race.AXIS
    phase, trim, target, r = "wander", 0.7, None, 0
    legs = ["windward", "gate", "windward", "finish"]
    leg, last_turn, t_off, retire_at = -1, -1e9, None, None
    legs_of = [[] for _ in races]
    waypoints = []
    out = []
    k = 0

    def after_race(retiring=False):
        nonlocal phase, target, t_off, r
        r += 1
        if r == len(races) or races[r]["plan"] == "DNC":
            phase, target, t_off = "home", race.HARBOUR, t + rng.uniform(480, 720)
        else:
            waypoints[:] = [race.course_xy(rng.uniform(-450, -300), rng.uniform(-320, -180))]
            if retiring:
                waypoints.insert(0, race.course_xy(600, -550))
            phase, target = "motor", waypoints.pop(0)

    while True:
        t = t_on + k * DT
        w, ws = race.true_wind(t, 1.2 * math.sin(t / 97 + wobble))
        avg_w += race.wrap(w - avg_w) * DT / 300
        plan = races[r] if r < len(races) else None

        if phase == "motor" and math.dist((b.x, b.y), target) < 30:
            phase, target = ("motor", waypoints.pop(0)) if waypoints else ("wander", None)
        if phase == "wander" and t >= plan["gun"] + plan["setup"]:
            v_setup = b.spot + (plan["depth"] + 20) * math.tan(math.radians(race.UP_TWA))
            setup = race.course_xy(-plan["depth"], v_setup)
            hold = [race.course_xy(-plan["depth"] - 20, v_setup - 30), race.course_xy(-plan["depth"] - 20, v_setup + 30)]
            phase, trim, target = "setup", 0.9, setup
        elif phase in ("wander", "setup", "hold") and t >= plan["gun"] - 180 and time_to_line(b, w, ws, plan) \
                >= plan["gun"] + plan["lag"] - t:
            phase, trim, leg = "race", 1.0, 0
            b.factor = plan["factor"]
            legs_of[r].append(t)
            target, b.side, last_turn = race.MARKS["windward"], 1, t
            retire_at = None
        if phase == "wander" and (target is None or math.dist((b.x, b.y), target) < 40):
            target = race.course_xy(rng.uniform(-500, -140), rng.uniform(-350, 400))
        if phase == "setup" and math.dist((b.x, b.y), setup) < 25:
            phase, trim, target = "hold", 0.45, hold[0]
        if phase == "hold" and math.dist((b.x, b.y), target) < 20:
            target = hold[1] if target == hold[0] else hold[0]
        if phase == "race":
            name = legs[leg]
            if name == "gate" and target == b.gate_centre and math.dist((b.x, b.y), target) < 300:
                _, v = race.course_uv(b.x - target[0], b.y - target[1])
                target = race.MARKS["gate_left" if v < 0 else "gate_right"]
            u, v = race.course_uv(b.x, b.y)
            # The finish is the line crossed, as the results take it; a mark is rounded close by.
            if (u <= -60 and 110 <= v <= 210) if name == "finish" else math.dist((b.x, b.y), target) < 15:
                leg += 1
                legs_of[r].append(t)
                if leg == len(legs):
                    after_race()
                elif legs[leg] == "gate":
                    b.gate_centre = target = race.course_xy(150, 0)
                    if plan["plan"] == "DNF":
                        retire_at = t + rng.uniform(240, 330)
                elif legs[leg] == "windward":
                    target = race.MARKS["windward"]
                else:
                    target = race.FINISH
            if retire_at is not None and t >= retire_at:
                # Gear trouble on the run: motors off to the left, well clear of the gate.
                after_race(retiring=True)
        if t_off is not None and t >= t_off:
            break
        if t > 5 * 3600:
            raise RuntimeError(f"{b.name} is still out at 15:00")

        if phase in ("motor", "home"):
            dx, dy = target[0] - b.x, target[1] - b.y
            want, target_v = math.degrees(math.atan2(dx, dy)), MOTOR_KN
        else:
            over = b.overstand if phase == "race" else 0
            want, mode = race.desired_heading(b, target, w, over)
            side_before = b.side
            if phase == "race" and mode in ("beat", "run") and t - last_turn > b.gap \
                    and math.dist((b.x, b.y), target) > 150:
                shift = race.wrap(w - avg_w)
                u, v = race.course_uv(b.x - target[0], b.y - target[1])
                limit = max(120.0, b.corridor * abs(u))
                headed = (shift < -b.threshold if b.side > 0 else shift > b.threshold)
                if mode == "run":
                    headed = (shift > b.threshold if b.side > 0 else shift < -b.threshold)
                wide = v < -limit if b.side > 0 else v > limit
                if headed or wide or rng.random() < 0.002 * DT:
                    b.side = -b.side
                    want, mode = race.desired_heading(b, target, w, over)
            if mode == "reach":
                b.side = 1 if race.wrap(w - want) > 0 else -1
            if b.side != side_before:
                last_turn = t
            target_v = None
        want += 2.0 * math.sin(t / 11 + wobble) + rng.gauss(0, 0.5)
        turn = race.wrap(want - b.heading)
        rate = 11.0 * DT
        turning = abs(turn) > 3 * rate
        b.heading = (b.heading + max(-rate, min(rate, turn))) % 360
        if target_v is None:
            target_v = race.polar(race.wrap(b.heading - w), ws) * b.factor * trim * (0.8 if turning else 1.0)
        tau = 8.0 if target_v < b.v else 10.0
        b.v += (target_v - b.v) * DT / tau
        h = math.radians(b.heading)
        b.x += (b.v * KNOT * math.sin(h) + 0.25 * KNOT * 0.7071) * DT
        b.y += (b.v * KNOT * math.cos(h) + 0.25 * KNOT * 0.7071) * DT
        out.append((t, b.x, b.y, b.heading, b.v))
        k += 1
    return out, legs_of


def samples(steps, every, noise):
    """Every `every` seconds from the track's first step: (utc, lat, lon, heading, knots)."""
    for i in range(0, len(steps), round(every / DT)):
        t, x, y, hdg, v = steps[i]
        x, y = noise(x, y)
        lat, lon = race.latlon(x, y)
        yield utc(t), lat, lon, hdg, v


# --- The devices' files ---------------------------------------------------------

def vkx(steps, rng, guns, pings):
    """A Vakaros race timer: pages of about 2 kB, position rows every 3 s, the
    timer started five minutes before each gun and its race start at the gun,
    and the line's ends pinged before the first race."""
    noise = race.GpsNoise(rng)
    rows = []
    for when, lat, lon, hdg, v in samples(steps, 3, noise):
        ms = round(when.timestamp() * 1000)
        h = math.radians(hdg)
        quaternion = (math.cos(h / 2), 0.0, 0.0, math.sin(h / 2))
        rows.append((ms, 0, b"\x02" + struct.pack("<Qii7f", ms, round(lat * 1e7), round(lon * 1e7), v * KNOT, h,
                                                  1.5 + rng.uniform(-0.5, 0.5), *quaternion)))
    for gun in guns:
        ms = round(utc(gun).timestamp() * 1000)
        rows.append((ms - 300000, 1, b"\x04" + struct.pack("<QBi", ms - 300000, 1, 300)))
        rows.append((ms, 1, b"\x04" + struct.pack("<QBi", ms, 3, 0)))
    for t, end, lat, lon in pings:
        ms = round(utc(t).timestamp() * 1000)
        rows.append((ms, 1, b"\x05" + struct.pack("<QBff", ms, end, lat, lon)))
    rows.sort(key=lambda row: row[:2])
    data, page = bytearray(), bytearray(b"\xff\x05" + bytes(6))
    for _, _, row in rows:
        if len(page) >= 2048:
            data += page + b"\xfe" + struct.pack("<H", len(page) + 3)
            page = bytearray(b"\xff\x05" + bytes(6))
        page += row
    return bytes(data + page + b"\xfe" + struct.pack("<H", len(page) + 3))


def fit_crc(data):
    crc = 0
    for c in data:
        crc ^= c
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def fit(steps, rng, serial):
    """A sailing watch's activity: file_id with its serial number, a timer
    start, a record every 2 s (time, position, speed), a timer stop."""
    noise = race.GpsNoise(rng)
    fit_time = lambda when: round((when - FIT_EPOCH).total_seconds())  # noqa: E731
    first = utc(steps[0][0])
    body = bytearray()
    # Definitions: local 0 file_id, 1 event, 2 record; little-endian.
    body += b"\x40\x00\x00" + struct.pack("<HB", 0, 5) + bytes([0, 1, 0x00, 1, 2, 0x84, 2, 2, 0x84, 3, 4, 0x8C,
                                                                4, 4, 0x86])
    body += b"\x00" + struct.pack("<BHHII", 4, 1, 4314, serial, fit_time(first))
    body += b"\x41\x00\x00" + struct.pack("<HB", 21, 3) + bytes([253, 4, 0x86, 0, 1, 0x00, 1, 1, 0x00])
    body += b"\x01" + struct.pack("<IBB", fit_time(first), 0, 0)
    body += b"\x42\x00\x00" + struct.pack("<HB", 20, 4) + bytes([253, 4, 0x86, 0, 4, 0x85, 1, 4, 0x85, 6, 2, 0x84])
    semicircles = 2 ** 31 / 180
    last = first
    for when, lat, lon, _, v in samples(steps, 2, noise):
        body += b"\x02" + struct.pack("<IiiH", fit_time(when), round(lat * semicircles), round(lon * semicircles),
                                      round(v * KNOT * 1000))
        last = when
    body += b"\x01" + struct.pack("<IBB", fit_time(last), 0, 4)
    header = struct.pack("<BBHI4s", 14, 0x20, 2132, len(body), b".FIT")
    header += struct.pack("<H", fit_crc(header))
    data = header + body
    return bytes(data + struct.pack("<H", fit_crc(data)))


def nmea_log(steps, rng):
    """An NMEA logger set to a fix every 5 s."""
    noise = race.GpsNoise(rng)
    lines = [race.rmc(when, lat, lon, hdg, v) for when, lat, lon, hdg, v in samples(steps, 5, noise)]
    return ("\r\n".join(lines) + "\r\n").encode()


def gpx_phone(steps, rng):
    noise = race.GpsNoise(rng)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<gpx version="1.1" creator="SailTrack 2.4 (iPhone)" xmlns="http://www.topografix.com/GPX/1/1">',
             f'<metadata><time>{utc(steps[0][0]):%Y-%m-%dT%H:%M:%SZ}</time></metadata>',
             '<trk><name>Track 2024-06-16 09:30</name><trkseg>']
    for when, lat, lon, _, _ in samples(steps, 5, noise):
        lines.append(f'<trkpt lat="{lat:.6f}" lon="{lon:.6f}"><time>{when:%Y-%m-%dT%H:%M:%SZ}</time></trkpt>')
    lines += ['</trkseg></trk>', '</gpx>', '']
    return "\n".join(lines).encode()


def gpx_10(steps, rng):
    noise = race.GpsNoise(rng)
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             '<gpx version="1.0" creator="SailLogger 3.2 (Android)" xmlns="http://www.topografix.com/GPX/1/0">',
             '<trk>', ' <name>Seagull 16 June</name>', ' <trkseg>']
    for when, lat, lon, _, _ in samples(steps, 5, noise):
        lines.append(f'  <trkpt lat="{lat:.7f}" lon="{lon:.7f}"><time>{when:%Y-%m-%dT%H:%M:%S}.000Z</time></trkpt>')
    lines += [' </trkseg>', '</trk>', '</gpx>', '']
    return "\r\n".join(lines).encode()


def gpx_handheld(steps, rng):
    noise = race.GpsNoise(rng)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<gpx version="1.1" creator="GPSMAP 65s" xmlns="http://www.topografix.com/GPX/1/1">',
             '<trk><name>AKATSUKI 16-JUN-24</name><trkseg>']
    for when, lat, lon, _, _ in samples(steps, 4, noise):
        lines.append(f'<trkpt lat="{lat:.6f}" lon="{lon:.6f}"><time>{when:%Y-%m-%dT%H:%M:%SZ}</time></trkpt>')
    lines += ['</trkseg></trk>', '</gpx>', '']
    return "\n".join(lines).encode()


def dtr(steps, rng):
    noise = race.GpsNoise(rng)
    lines = ["H  SOFTWARE NAME & VERSION", "I  PCX5 2.09", "",
             "H  COORDINATE SYSTEM", "U  LAT LON DM", "",
             "H  LATITUDE    LONGITUDE    DATE       TIME     ALT"]
    for when, lat, lon, _, _ in samples(steps, 5, noise):
        lines.append(f"T N{race.nmea_coord(lat, 2)} E{race.nmea_coord(lon, 3)} {when:%Y/%m/%d %H:%M:%S} 0")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def trb(steps, rng):
    noise = race.GpsNoise(rng)
    data = bytearray()
    for when, lat, lon, _, _ in samples(steps, 3, noise):
        data += struct.pack("<iff", int(when.timestamp()), lat, lon)
    return bytes(data)


# --- Beside the tracks ----------------------------------------------------------

def wind_log():
    rows = ["time,direction,speed"]
    rng = random.Random(8)
    for t in range(-30 * 60, 4 * 3600 + 15 * 60 + 1, 30):
        d, s = race.true_wind(t)
        local = utc(t) + timedelta(hours=race.TIME_DIFF)
        rows.append(f"{local:%Y/%m/%d %H:%M:%S},{round(d - race.MAG_VAR + rng.gauss(0, 1.5)) % 360},"
                    f"{s + rng.gauss(0, 0.6):.1f}")
    return ("\r\n".join(rows) + "\r\n").encode("ascii")


def entry_list():
    """As a spreadsheet saves "CSV UTF-8": a BOM, CR LF, quotes where a field needs them."""
    def cell(text):
        return f'"{text}"' if "," in text or '"' in text else text
    rows = ["Sail No,Boat Name,Class,Helm,Club,TCF,Track File,Device ID"]
    for name, sail, file, tcf, helm, club, *_ in FLEET:
        listed = file if file.startswith("Track_") else ""
        device = str(WATCH_SERIAL) if file.endswith(".fit") else ""
        rows.append(",".join(cell(c) for c in (sail, name, "IRC", helm, club, race.real(tcf), listed, device)))
    return ("\ufeff" + "\r\n".join(rows) + "\r\n").encode("utf-8")


def day_race_file():
    def mark(name):
        lat, lon = race.latlon(*race.MARKS[name])
        return f"{race.real(round(lat, 6))},{race.real(round(lon, 6))}"

    lines = ["T1,Sagami Bay Summer Regatta 2024", "T2,相模湾サマーレガッタ 2日目",
             f"MG,{race.MAG_VAR}", "LG,7.3", "ST,2024/06/16 10:00:00", "FT,2024/06/16 11:00:00",
             f"TD,{race.TIME_DIFF}", "PS,5,5", f"LL,{race.UP_TWA:.0f},{180 - race.RUN_OFF:.0f}", "BT,5"]
    lines += race.BOAT_COMMENT_EN
    lines += ["AT,Sailing_Instructions_Day2.txt", "WF,wind_2024-06-16.csv", f"WD, {round(race.AXIS - race.MAG_VAR)}"]
    lines += [f"MK,{mark(m)}" for m in ("windward", "gate_left", "gate_right")]
    lines += [f"LN,{mark('pin')},{race.real(COMMITTEE_END[0])},{race.real(COMMITTEE_END[1])}",
              f"LN,{mark('finish_pin')},{mark('finish_boat')}"]
    lines += ["CRS,S,1,2,1,F"]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


SAILING_INSTRUCTIONS = """Sagami Bay Summer Regatta 2024 - Day 2
Sailing Instructions (summary)

1. Date and time
   16 June 2024. Three races, starts at 10:00, 11:30 and 13:00 JST;
   warning signal five minutes before each.

2. Racing area and course
   As on day 1: Start - 1 - 2S/2P (gate) - 1 - Finish, mark 1 to port,
   the finish line downwind, to starboard of the start line.

3. Between races
   Boats wait below the start line, clear of the finish line.

4. Scoring
   Low point system, Appendix A; time on time with each boat's TCF.
   One race is discarded once three races are completed.
"""


# --- The results the simulation made --------------------------------------------

def corrected(legs, gun, tcf):
    return (legs[-1] - gun) * tcf


def series(results, entries):
    """Low-point standing with Appendix A's tie-breaks, for the printout."""
    boats = []
    for name in results:
        scores = [entries + 1 if isinstance(p, str) else p for p in results[name]]
        boats.append((name, scores))

    def order(discards):
        def key(item):
            name, scores = item
            kept = sorted(scores)[:len(scores) - discards]
            return (sum(kept), kept, list(reversed(scores)))
        return [f"{name} {key(item)[0]}" for item in sorted(boats, key=key) for name in [item[0]]]
    return order(0), order(1)


def sail_day(entry, plan_row):
    """The boat's day as planned: (boat, steps, leg times per race)."""
    name, sail, file, tcf, helm, club, seed, thr, over, gap, corridor, spot, depth = entry
    b = race.Boat(name, seed, 1.0, thr, over, gap, corridor, spot, depth)
    plans = []
    for gun, plan in zip(GUNS, plan_row):
        lag = -35 if plan == "OCS" else b.rng.uniform(2, 8)
        plans.append({"gun": gun, "lag": lag, "plan": plan, "factor": speed_factor(tcf, plan),
                      "depth": depth + b.rng.uniform(-15, 15), "setup": -b.rng.uniform(280, 330)})
    t_on = {"Track_": PHONE_ON, ".fit": WATCH_ON}.get(
        next((k for k in (".fit", "Track_") if k in file), ""), -25 * 60 + b.rng.randint(0, 480))
    steps, legs = simulate_day(b, t_on, plans)
    return b, steps, legs


def main():
    pin, committee = race.latlon(*race.MARKS["pin"]), COMMITTEE_END
    results = {name: [] for name, *_ in FLEET}
    finishes = [[] for _ in GUNS]
    writers = {".vkx": None, ".nmea": nmea_log, ".fit": None, "Track_": gpx_phone, "seagull": gpx_10,
               ".trb": trb, ".dtr": dtr, "AKATSUKI": gpx_handheld}
    for entry in FLEET:
        name, sail, file, tcf = entry[:4]
        b, steps, legs = sail_day(entry, PLAN[name])
        if file.endswith(".vkx"):
            pings = [(-480, 0, pin[0], pin[1]), (-455, 1, committee[0], committee[1])]
            data = vkx(steps, b.rng, GUNS, pings)
        elif file.endswith(".fit"):
            data = fit(steps, b.rng, WATCH_SERIAL)
        else:
            data = next(w for k, w in writers.items() if w and k in file)(steps, b.rng)
        race.write_bytes(DEMO / "gpsdat" / file, data)
        for r, gun in enumerate(GUNS):
            plan = PLAN[name][r]
            if not isinstance(plan, str):
                finishes[r].append((corrected(legs[r], gun, tcf), name, legs[r][-1]))
            results[name].append(plan)
        print(f"  {name}: {utc(steps[0][0]) + timedelta(hours=9):%H:%M:%S} to "
              f"{utc(steps[-1][0]) + timedelta(hours=9):%H:%M:%S} JST")
    print("codes:", ", ".join(f"{n} R{r + 1} {p}" for n, row in PLAN.items() for r, p in enumerate(row)
                               if isinstance(p, str)))
    for r, rows in enumerate(finishes):
        rows.sort()
        print(f"race {r + 1}:", ", ".join(f"{i + 1} {n} ({utc(t) + timedelta(hours=9):%H:%M:%S}, {c:.0f} s)"
                                          for i, (c, n, t) in enumerate(rows)))
        for i, (_, n, _) in enumerate(rows):
            results[n][r] = i + 1
    standing, discarded = series(results, len(FLEET))
    print("series:", ", ".join(standing))
    print("series, one discard:", ", ".join(discarded))
    race.write_bytes(DEMO / "winddat" / "wind_2024-06-16.csv", wind_log())
    race.write_bytes(DEMO / "attachment" / "Sailing_Instructions_Day2.txt",
                     SAILING_INSTRUCTIONS.replace("\n", "\r\n").encode("ascii"))
    race.write_bytes(DEMO / "raceadmin" / "entries_2024-06-16.csv", entry_list())
    race.write_bytes(DEMO / "raceadmin" / "race_day.txt", day_race_file())


if __name__ == "__main__":
    main()
