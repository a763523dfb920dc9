#!/usr/bin/env python3
"""Builds the demo race of the demo workspace.

Five boats sail a windward-leeward course in Sagami Bay, south of Enoshima, on
15 June 2024: gun at 10:00 JST (01:00 UTC), course start - windward mark -
leeward gate - windward mark - finish, wind from about 200 degrees magnetic.
Each boat's track is written in another format the editor reads (GPX 1.1,
GPX 1.0, NMEA RMC log, dtr text track, TRB), with GPS times in UTC as the
receivers log them. The NMEA log also carries what the editor's automatic
cleaning is for: a few positions kilometres off and a minute logged at 10 Hz.
Beside the tracks: a wind log, the sailing instructions and the race file.

    python3 demo/tools/make_demo_race.py [demo folder]

The random generator is seeded, so a rerun writes the same bytes.
"""

import math
import random
import struct
import sys
from datetime import datetime, timedelta, timezone
from pathlib import Path

DEMO = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent

GUN_UTC = datetime(2024, 6, 15, 1, 0, 0, tzinfo=timezone.utc)
TIME_DIFF = 9              # JST
FINISH_LOCAL = "2024/06/15 11:00:00"
MAG_VAR = -7               # west
AXIS = 193.0               # mean true wind direction; 200 magnetic

# Flat-earth metres around the middle of the start line.
LAT0, LON0 = 35.262, 139.468
M_PER_DEG_LAT = 111120.0
M_PER_DEG_LON = M_PER_DEG_LAT * math.cos(math.radians(LAT0))

UP_TWA, RUN_OFF = 42.0, 30.0   # close-hauled angle; run angle off dead downwind
DT = 0.1                       # simulation step, seconds
KNOT = 1852.0 / 3600.0


def wrap(a):
    return (a + 180.0) % 360.0 - 180.0


def course_xy(u, v):
    """Course frame (u upwind along the axis, v to the right facing upwind) to east/north metres."""
    a = math.radians(AXIS)
    return u * math.sin(a) + v * math.cos(a), u * math.cos(a) - v * math.sin(a)


def course_uv(x, y):
    """The inverse of course_xy."""
    a = math.radians(AXIS)
    return x * math.sin(a) + y * math.cos(a), x * math.cos(a) - y * math.sin(a)


def latlon(x, y):
    return LAT0 + y / M_PER_DEG_LAT, LON0 + x / M_PER_DEG_LON


MARKS = {
    "pin": course_xy(0, -80), "committee": course_xy(0, 80),
    "windward": course_xy(2040, 0),
    "gate_left": course_xy(150, -45), "gate_right": course_xy(150, 45),
    "finish_pin": course_xy(-60, 110), "finish_boat": course_xy(-60, 210),
    # The start line runs on past the committee boat, so that the boats that
    # start at its end cross it.
    "start_line_end": course_xy(-0.07, 224),
}
FINISH = course_xy(-60, 160)
HARBOUR = ((139.4835 - LON0) * M_PER_DEG_LON, (35.2985 - LAT0) * M_PER_DEG_LAT)


def true_wind(t, wobble=0.0):
    """Direction (from, true) and speed in knots at t seconds after the gun."""
    d = (AXIS + 6.0 * math.sin(2 * math.pi * (t + 400) / 560) + 3.5 * math.sin(2 * math.pi * (t + 100) / 1500)
         + 1.5 * math.sin(2 * math.pi * (t + 37) / 173) + 2.0 * t / 3600 + wobble)
    s = 11.5 + 1.5 * math.sin(2 * math.pi * t / 800 + 1) + 0.8 * math.sin(2 * math.pi * t / 230)
    return d, s


# Boat speed in knots by true wind angle, for 12 knots of wind (a 7 m keelboat).
POLAR = [(0, 0.3), (30, 1.5), (38, 4.6), (42, 5.6), (52, 6.0), (90, 6.5), (120, 6.8), (150, 6.6),
         (165, 6.0), (180, 5.6)]


def polar(twa, tws):
    twa = abs(twa)
    for (a0, v0), (a1, v1) in zip(POLAR, POLAR[1:]):
        if twa <= a1:
            v = v0 + (v1 - v0) * (twa - a0) / (a1 - a0)
            break
    return v * (tws / 12.0) ** 0.4


class Boat:
    """A boat's speed, tactics and start plan; the simulation adds its state."""

    def __init__(self, name, seed, factor, threshold, overstand, gap, corridor, spot, setup_depth):
        self.name, self.rng = name, random.Random(seed)
        self.factor, self.threshold, self.overstand = factor, threshold, overstand
        self.gap, self.corridor = gap, corridor
        self.spot, self.setup_depth = spot, setup_depth
        self.t_setup = -self.rng.uniform(280, 330)
        self.gate_centre, self.finished, self.leg_start = None, None, []


def desired_heading(b, target, w, over):
    """Heading toward target, beating or running with the boat's current side
    (+1 starboard) when the target lies in the no-go or dead-run cone."""
    dx, dy = target[0] - b.x, target[1] - b.y
    brg = math.degrees(math.atan2(dx, dy)) % 360
    rel = wrap(brg - w)
    rd = wrap(rel - 180)
    if b.side > 0:
        beat, run = -UP_TWA <= rel < UP_TWA + over, -(RUN_OFF + over) < rd <= RUN_OFF
    else:
        beat, run = -UP_TWA - over < rel <= UP_TWA, -RUN_OFF <= rd < RUN_OFF + over
    if beat:
        return w - b.side * UP_TWA, "beat"
    if run:
        return w - b.side * (180 - RUN_OFF), "run"
    return brg, "reach"


def simulate(b, t_on, t_go):
    """Steps the boat from t_on to a few minutes after its finish; returns
    (t, x, y, heading, speed in knots) per step."""
    rng = b.rng
    b.x, b.y = course_xy(rng.uniform(-900, -350), rng.uniform(-450, 450))
    b.heading, b.v, b.side = rng.uniform(0, 360), 1.5, 1
    wobble_phase = rng.uniform(0, 2 * math.pi)
    avg_w = AXIS
    phase, trim, target = "wander", 0.7, None
    legs = ["windward", "gate", "windward", "finish"]
    leg, last_turn, t_off = -1, -1e9, None
    v_setup = b.spot + (b.setup_depth + 20) * math.tan(math.radians(UP_TWA))
    setup = course_xy(-b.setup_depth, v_setup)
    hold = [course_xy(-b.setup_depth - 20, v_setup - 30), course_xy(-b.setup_depth - 20, v_setup + 30)]
    out = []
    k = 0
    while True:
        t = t_on + k * DT
        w, ws = true_wind(t, 1.2 * math.sin(t / 97 + wobble_phase))
        avg_w += wrap(w - avg_w) * DT / 300

        # Phase changes: pre-start wandering, set-up below the line, the race, home.
        if phase == "wander" and t >= b.t_setup:
            phase, trim, target = "setup", 0.9, setup
        elif phase in ("wander", "setup", "hold") and t >= t_go:
            phase, trim, leg = "race", 1.0, 0
            b.leg_start.append(t)
            target = MARKS["windward"]
            b.side, last_turn = 1, t
        if phase == "wander" and (target is None or math.dist((b.x, b.y), target) < 40):
            target = course_xy(rng.uniform(-500, -120), rng.uniform(-350, 400))
        if phase == "setup" and math.dist((b.x, b.y), setup) < 25:
            phase, trim, target = "hold", 0.45, hold[0]
        if phase == "hold" and math.dist((b.x, b.y), target) < 20:
            target = hold[1] if target == hold[0] else hold[0]
        if phase == "race":
            name = legs[leg]
            if name == "gate" and target == b.gate_centre and math.dist((b.x, b.y), target) < 300:
                _, v = course_uv(b.x - target[0], b.y - target[1])
                target = MARKS["gate_left" if v < 0 else "gate_right"]
            if math.dist((b.x, b.y), target) < (25 if name == "finish" else 15):
                leg += 1
                b.leg_start.append(t)
                if leg == len(legs):
                    phase, trim, target = "home", 0.75, HARBOUR
                    b.finished = t
                    t_off = t + rng.uniform(240, 420)
                elif legs[leg] == "gate":
                    b.gate_centre = target = course_xy(150, 0)
                elif legs[leg] == "windward":
                    target = MARKS["windward"]
                else:
                    target = FINISH
        if t_off is not None and t >= t_off:
            break
        if t > 2 * 3600:
            raise RuntimeError(f"{b.name} did not finish")

        over = b.overstand if phase == "race" else 0
        want, mode = desired_heading(b, target, w, over)
        side_before = b.side

        # Tactics on the legs: tack or gybe on shifts, at the edge of the
        # boat's corridor, now and then at random.
        if phase == "race" and mode in ("beat", "run") and t - last_turn > b.gap \
                and math.dist((b.x, b.y), target) > 150:
            shift = wrap(w - avg_w)
            u, v = course_uv(b.x - target[0], b.y - target[1])
            limit = max(120.0, b.corridor * abs(u))
            headed = (shift < -b.threshold if b.side > 0 else shift > b.threshold)
            if mode == "run":
                headed = (shift > b.threshold if b.side > 0 else shift < -b.threshold)
            wide = v < -limit if b.side > 0 else v > limit
            if headed or wide or rng.random() < 0.002 * DT:
                b.side = -b.side
                want, mode = desired_heading(b, target, w, over)
        if mode == "reach":
            b.side = 1 if wrap(w - want) > 0 else -1
        if b.side != side_before:
            last_turn = t

        # Helm: limited rate of turn, a little wander around the course steered.
        want += 2.0 * math.sin(t / 11 + wobble_phase) + rng.gauss(0, 0.5)
        turn = wrap(want - b.heading)
        rate = 11.0 * DT
        turning = abs(turn) > 3 * rate
        b.heading = (b.heading + max(-rate, min(rate, turn))) % 360
        target_v = polar(wrap(b.heading - w), ws) * b.factor * trim * (0.8 if turning else 1.0)
        tau = 8.0 if target_v < b.v else 10.0
        b.v += (target_v - b.v) * DT / tau
        # Tide sets 0.25 knots toward the north-east.
        h = math.radians(b.heading)
        b.x += (b.v * KNOT * math.sin(h) + 0.25 * KNOT * 0.7071) * DT
        b.y += (b.v * KNOT * math.cos(h) + 0.25 * KNOT * 0.7071) * DT
        out.append((t, b.x, b.y, b.heading, b.v))
        k += 1
    return out


class GpsNoise:
    """A slowly wandering offset plus a little white noise, in metres."""

    def __init__(self, rng):
        self.rng, self.dx, self.dy = rng, 0.0, 0.0

    def __call__(self, x, y):
        r = self.rng
        self.dx = max(-3.0, min(3.0, self.dx + r.gauss(0, 0.05)))
        self.dy = max(-3.0, min(3.0, self.dy + r.gauss(0, 0.05)))
        return x + self.dx + r.gauss(0, 0.35), y + self.dy + r.gauss(0, 0.35)


def samples(steps, every, noise):
    """Every `every` seconds on whole seconds: (utc datetime, lat, lon, heading, knots)."""
    n = round(every / DT)
    first = next(i for i, s in enumerate(steps) if abs(s[0] - round(s[0])) < 1e-6 and round(s[0]) % every == 0)
    for i in range(first, len(steps), n):
        t, x, y, hdg, v = steps[i]
        x, y = noise(x, y)
        lat, lon = latlon(x, y)
        yield GUN_UTC + timedelta(seconds=round(t, 1)), lat, lon, hdg, v


def nmea_coord(value, width):
    """Degrees and minutes run together, four decimals of a minute: 3515.9074."""
    units = round(abs(value) * 600000)
    deg, minutes = divmod(units, 600000)
    return f"{deg:0{width}d}{minutes // 10000:02d}.{minutes % 10000:04d}"


def nmea(sentence):
    checksum = 0
    for c in sentence:
        checksum ^= ord(c)
    return f"${sentence}*{checksum:02X}"


def rmc(when, lat, lon, hdg, v):
    hh = when.strftime("%H%M%S") + f".{when.microsecond // 10000:02d}"
    body = (f"GPRMC,{hh},A,{nmea_coord(lat, 2)},N,{nmea_coord(lon, 3)},E,{v:.1f},{hdg % 360:.1f},"
            f"{when.strftime('%d%m%y')},,,A")
    return nmea(body)


def write_bytes(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    print(f"{path.relative_to(DEMO)}: {len(data)} bytes")


def gpx_11(steps, rng):
    noise = GpsNoise(rng)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<gpx version="1.1" creator="eTrex 30x" xmlns="http://www.topografix.com/GPX/1/1">',
             '<metadata><time>2024-06-15T02:20:00Z</time></metadata>',
             '<trk><name>2024-06-15 09:44</name><trkseg>']
    for when, lat, lon, _, _ in samples(steps, 2, noise):
        lines.append(f'<trkpt lat="{lat:.6f}" lon="{lon:.6f}"><ele>{rng.uniform(-1, 3):.1f}</ele>'
                     f'<time>{when:%Y-%m-%dT%H:%M:%SZ}</time></trkpt>')
    lines += ['</trkseg></trk>', '</gpx>', '']
    return "\n".join(lines).encode()


def gpx_10(steps, rng):
    noise = GpsNoise(rng)
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             '<gpx version="1.0" creator="SailLogger 3.2 (Android)" xmlns="http://www.topografix.com/GPX/1/0">',
             '<trk>', ' <name>Seagull race 1</name>', ' <trkseg>']
    for when, lat, lon, hdg, v in samples(steps, 2, noise):
        lines += [f'  <trkpt lat="{lat:.7f}" lon="{lon:.7f}">',
                  f'   <time>{when:%Y-%m-%dT%H:%M:%S}.000Z</time>',
                  f'   <course>{hdg % 360:.1f}</course><speed>{v * KNOT:.2f}</speed>',
                  '  </trkpt>']
    lines += [' </trkseg>', '</trk>', '</gpx>', '']
    return "\r\n".join(lines).encode()


def nmea_log(steps, rng, dense_from, jumps):
    """RMC once a second, ten a second for one minute from dense_from, and a
    few positions kilometres off (`jumps`: whole seconds -> (dlat, dlon) degrees)."""
    noise = GpsNoise(rng)
    out = []
    by_time = {round(s[0] * 10): s for s in steps}
    t = math.ceil(steps[0][0])
    while t <= steps[-1][0]:
        tenths = range(10) if dense_from <= t < dense_from + 60 else range(1)
        for d in tenths:
            s = by_time.get(t * 10 + d)
            if s is None:
                continue
            x, y = noise(s[1], s[2])
            lat, lon = latlon(x, y)
            if t in jumps and d == 0:
                lat, lon = lat + jumps[t][0], lon + jumps[t][1]
            when = GUN_UTC + timedelta(seconds=t + d / 10)
            out.append(rmc(when, lat, lon, s[3], s[4]))
        t += 1
    return ("\r\n".join(out) + "\r\n").encode()


def dtr(steps, rng):
    noise = GpsNoise(rng)
    lines = ["H  SOFTWARE NAME & VERSION", "I  PCX5 2.09", "",
             "H  R DATUM                IDX DA            DF            DX            DY            DZ",
             "M  G WGS 84               121 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 "
             "+0.000000e+00", "",
             "H  COORDINATE SYSTEM", "U  LAT LON DM", "",
             "H  LATITUDE    LONGITUDE    DATE       TIME     ALT"]
    for when, lat, lon, _, _ in samples(steps, 2, noise):
        lines.append(f"T N{nmea_coord(lat, 2)} E{nmea_coord(lon, 3)} {when:%Y/%m/%d %H:%M:%S} 0")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def trb(steps, rng):
    noise = GpsNoise(rng)
    data = bytearray()
    for when, lat, lon, _, _ in samples(steps, 1, noise):
        data += struct.pack("<iff", int(when.timestamp()), lat, lon)
    return bytes(data)


def wind_log():
    rows = ["time,direction,speed"]
    t = -30 * 60
    rng = random.Random(7)
    while t <= 75 * 60:
        d, s = true_wind(t)
        local = GUN_UTC + timedelta(hours=TIME_DIFF, seconds=t)
        rows.append(f"{local:%Y/%m/%d %H:%M:%S},{round(d - MAG_VAR + rng.gauss(0, 1.5)) % 360},"
                    f"{s + rng.gauss(0, 0.6):.1f}")
        t += 30
    return ("\r\n".join(rows) + "\r\n").encode("ascii")


SAILING_INSTRUCTIONS = """Sagami Bay Summer Regatta 2024 - Race 1
Sailing Instructions (summary)

1. Date and time
   15 June 2024. Warning signal 09:55, start 10:00 JST. One race.

2. Racing area
   Sagami Bay, south of Enoshima. Windward mark about 1.1 nm upwind of the
   start line; leeward gate just above the start line.

3. Course (windward-leeward, two laps)
   Start - 1 - 2S/2P (gate) - 1 - Finish.
   Mark 1 to port. The finish line lies downwind, to starboard of the start line.

4. Marks
   Mark 1: yellow cylinder. Gate 2S/2P: orange cylinders.
   Start and finish: orange flags on the committee boat and the pin buoys.

5. Time limit
   The finishing window closes at 11:00. Boats not finished by then are
   scored DNF.

6. Scoring
   Low point system; time on time with each boat's TCF.

7. Safety
   Boats retiring shall notify the committee boat on VHF channel 72.
"""

BOAT_COMMENT_EN = [
    "",
    "// Format of BN Line",
    "// BN (=Tag）, GPSfileName,　Boat Name, TCF ,OptionA, OptionB",
    "",
    "//　　　(OptionA,B may be left out: no correction, boat shown and entered)",
    "//      (TCF may be left empty before them)",
    "//　　　Option A=Start time correction（sec）  ex.handicap start time ",
    "//　　　Option B  1=do not display boat name  2=No entry   3=1+2(no disp, no entry : ex.spectator boat） ",
    "",
]


def real(value):
    """The shortest decimal form, as the race file writer puts reals."""
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text


def race_file(boats):
    def mark(name):
        lat, lon = latlon(*MARKS[name])
        return f"{real(round(lat, 6))},{real(round(lon, 6))}"

    lines = ["T1,Sagami Bay Summer Regatta 2024", "T2,相模湾サマーレガッタ 第1レース",
             f"MG,{MAG_VAR}", "LG,7.3", "ST,2024/06/15 10:00:00", f"FT,{FINISH_LOCAL}", f"TD,{TIME_DIFF}",
             "PS,5,5", f"LL,{UP_TWA:.0f},{180 - RUN_OFF:.0f}", "BT,5"]
    lines += BOAT_COMMENT_EN
    lines += [f"BN,{file},{name},{real(tcf)}" for name, file, tcf in boats]
    lines += ["AT,Sailing_Instructions.txt", "WF,wind_2024-06-15.csv",
              f"WD, {round(AXIS - MAG_VAR)}"]
    lines += [f"MK,{mark(m)}" for m in ("windward", "gate_left", "gate_right")]
    lines += [f"LN,{mark('pin')},{mark('start_line_end')}", f"LN,{mark('finish_pin')},{mark('finish_boat')}"]
    lines += ["CRS,S,1,2,1,F"]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def main():
    t_on0 = -16 * 60
    fleet = [
        # name, file, TCF, writer, seed, speed factor, shift threshold, overstand, min gap, corridor, spot, depth
        ("Hayate", "hayate_20240615.gpx", 1.015, gpx_11, 11, 1.03, 4.0, 1.0, 60, 0.45, -40, 170),
        ("Kazekiri", "KAZEKIRI.LOG", 1, None, 12, 1.00, 5.0, 3.0, 75, 0.55, 10, 190),
        ("Shiokaze", "shiokaze.dtr", 0.992, dtr, 13, 0.99, 6.0, 2.0, 90, 0.35, 55, 160),
        ("海風", "umikaze.trb", 1.008, trb, 14, 1.01, 4.5, 0.5, 50, 0.6, -5, 210),
        ("Seagull", "seagull_phone.gpx", 0.965, gpx_10, 15, 0.96, 7.0, 4.0, 120, 0.4, 30, 150),
    ]
    for name, file, tcf, writer, seed, factor, thr, over, gap, corridor, spot, depth in fleet:
        b = Boat(name, seed, factor, thr, over, gap, corridor, spot, depth)
        v_cl = polar(UP_TWA, 11.5) * factor * KNOT
        t_go = -((depth + 20) / math.cos(math.radians(UP_TWA))) / (0.9 * v_cl) - 8 + b.rng.uniform(-3, 3)
        steps = simulate(b, t_on0 + b.rng.randint(0, 150), t_go)
        if writer is None:
            # Kazekiri's logger: ten fixes a second for a minute on the first
            # run, and a few wild positions on the second beat and run.
            first_run, second_beat, second_run = (int(t) for t in b.leg_start[1:4])
            dense_from = first_run + 180
            jumps = {second_beat + 120: (0.035, 0.004), second_beat + 500: (-0.02, -0.05),
                     second_run + 60: (0.06, 0.03)}
            for k in range(3):  # one burst of three
                jumps[second_run + 400 + k] = (-0.045, 0.055)
            data = nmea_log(steps, b.rng, dense_from, jumps)
        else:
            data = writer(steps, b.rng)
        write_bytes(DEMO / "gpsdat" / file, data)
        local = [f"{GUN_UTC + timedelta(hours=TIME_DIFF, seconds=t):%H:%M:%S}" for t in b.leg_start]
        start = next(s[0] for s in steps if s[0] > t_go and course_uv(s[1], s[2])[0] > 0)
        print(f"  {name}: crossed the line {start:+.0f} s after the gun; legs from {', '.join(local)} JST")
    write_bytes(DEMO / "winddat" / "wind_2024-06-15.csv", wind_log())
    write_bytes(DEMO / "attachment" / "Sailing_Instructions.txt",
                SAILING_INSTRUCTIONS.replace("\n", "\r\n").encode("ascii"))
    write_bytes(DEMO / "raceadmin" / "demo_race.txt", race_file([(n, f, t) for n, f, t, *_ in fleet]))


if __name__ == "__main__":
    main()
