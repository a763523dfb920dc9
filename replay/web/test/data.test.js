"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const D = require("../js/data.js");

// Writes tracks the way the race builder does, so tests can state fixes plainly.
function varint(out, u) {
  while (u >= 128) { out.push((u % 128) + 128); u = Math.floor(u / 128); }
  out.push(u);
}
function zigzag(n) { return n < 0 ? -2 * n - 1 : 2 * n; }

// fixes: [[localSeconds, latDeg, lonDeg], …]
function encodeTrack(fixes) {
  var out = [], pt = 0, pa = 0, po = 0;
  fixes.forEach(function (f, i) {
    var t = f[0], la = Math.round(f[1] * 1e6), lo = Math.round(f[2] * 1e6);
    if (i === 0) { varint(out, zigzag(t)); varint(out, zigzag(la)); varint(out, zigzag(lo)); }
    else { varint(out, t - pt); varint(out, zigzag(la - pa)); varint(out, zigzag(lo - po)); }
    pt = t; pa = la; po = lo;
  });
  return Buffer.from(out).toString("base64");
}

function boat(name, fixes, extra) {
  return Object.assign({ name: name, color: "#e6194b", shown: true, entered: true, tcf: 1, startOffset: 0,
    fixes: fixes.length, track: encodeTrack(fixes) }, extra || {});
}

const T0 = 1718445600; // beyond 2^30: times must not go through 32-bit operations

function race(boats, extra) {
  return D.prepareRace(Object.assign({ file: "r.txt", start: T0, replayFrom: -60, replayTo: 600, boats: boats }, extra));
}

test("tracks decode to the fixes written, with large times and negative steps", () => {
  const fixes = [[8589934000, -33.5, -70.25], [8589934001, -33.500001, 179.999999], [8589934301, 89.9, -180]];
  const tr = D.decodeTrack(encodeTrack(fixes), 3);
  assert.equal(tr.error, null);
  assert.deepEqual(Array.from(tr.t), [8589934000, 8589934001, 8589934301]);
  assert.deepEqual(Array.from(tr.lat), [-33500000, -33500001, 89900000]);
  assert.deepEqual(Array.from(tr.lon), [-70250000, 179999999, -180000000]);
});

test("a damaged track keeps the fixes before the damage and says so", () => {
  const b64 = encodeTrack([[T0, 35, 139], [T0 + 1, 35.0001, 139], [T0 + 2, 35.0002, 139]]);
  const bytes = Buffer.from(b64, "base64");
  const cut = D.decodeTrack(bytes.subarray(0, bytes.length - 1).toString("base64"), 3);
  assert.equal(cut.n, 2);
  assert.match(cut.error, /ends early at fix 3/);
  // A zero time step is refused rather than giving two fixes one time.
  const zero = Buffer.concat([Buffer.from(encodeTrack([[T0, 35, 139]]), "base64"), Buffer.from([0, 0, 0])]);
  assert.match(D.decodeTrack(zero.toString("base64"), 2).error, /does not advance at fix 2/);
  assert.throws(() => D.base64Bytes("ab$c"), /invalid base64/);
  const r = race([{ name: "Kaze", fixes: 3, track: bytes.subarray(0, bytes.length - 1).toString("base64") }]);
  assert.equal(r.boats[0].n, 2);
  assert.match(r.notes[0], /^Kaze: track damaged/);
});

test("positions interpolate, hold across gaps and vanish outside the track", () => {
  const r = race([boat("A", [[T0, 35, 139], [T0 + 10, 35.001, 139.002], [T0 + 70, 35.002, 139.002], [T0 + 131, 35.003, 139.003]])]);
  const b = r.boats[0], o = D.newSample();
  D.sample(b, T0 + 2.5, o);
  assert.deepEqual([o.visible, o.gap], [true, false]);
  assert.ok(Math.abs(o.lat - 35.00025) < 1e-9 && Math.abs(o.lon - 139.0005) < 1e-9);
  D.sample(b, T0 + 40, o); // 60 s apart is not yet a gap
  assert.equal(o.gap, false);
  assert.ok(Math.abs(o.lat - 35.0015) < 1e-9);
  D.sample(b, T0 + 100, o); // 61 s apart is
  assert.deepEqual([o.visible, o.gap, o.lat, o.lon], [true, true, 35.002, 139.002]);
  D.sample(b, T0 + 131, o);
  assert.deepEqual([o.visible, o.gap, o.lat], [true, false, 35.003]);
  D.sample(b, T0 - 1, o);
  assert.deepEqual([o.visible, o.lat, o.lon], [false, 35, 139]);
  D.sample(b, T0 + 132, o);
  assert.deepEqual([o.visible, o.lat, o.lon], [false, 35.003, 139.003]);
});

test("speed, course and distance sailed since the start", () => {
  // Due east at 1852 m per 360 s = 10 kn, starting 100 s before the start.
  const deg = 1852 / 36 / (Math.cos(35 * Math.PI / 180) * 111120);
  const fixes = [];
  for (let i = 0; i <= 400; i++) fixes.push([T0 - 100 + i, 35, 139 + i * deg / 10]);
  const r = race([boat("A", fixes)]);
  const b = r.boats[0], o = D.newSample(), m = {};
  D.sample(b, T0 - 50, o); D.motion(r, b, T0 - 50, o, m);
  assert.equal(m.dist, 0);
  D.sample(b, T0 + 180, o); D.motion(r, b, T0 + 180, o, m);
  assert.ok(Math.abs(m.speed - 10) < 0.05, m.speed);
  assert.ok(Math.abs(m.course - 90) < 0.5, m.course);
  assert.ok(Math.abs(m.dist - 0.5) < 0.005, m.dist);
});

test("times, the clock and the mean wind", () => {
  assert.equal(D.fmtTime(T0), "2024-06-15 10:00:00");
  assert.equal(D.parseTime("2024-06-15 10:00:00"), T0);
  assert.throws(() => D.parseTime("2024-02-30 10:00:00"), /does not exist/);
  assert.throws(() => D.parseTime("10:00"), /not YYYY-MM-DD/);
  const r = { start: T0 };
  assert.equal(D.fmtClock(r, T0 - 154.5), "\u22122:35");
  assert.equal(D.fmtClock(r, T0 + 724), "12:04");
  assert.equal(D.fmtClock(r, T0 + 3750), "1:02:30");
  // 350° and 20° average to 5°, not 185°; entries outside the window do not count.
  const w = race([], { magVar: -5, windDir: 90, wind: [[T0 - 3600, 180, 5], [T0, 355, 8], [T0 + 60, 25, 9]] });
  assert.ok(Math.abs(D.meanWind(w) - 5) < 1e-9);
  assert.deepEqual(D.windAt(w, T0 + 59), { dir: 350, speed: 8 });
  assert.deepEqual(race([], { magVar: -5, windDir: 90 }).windTrue, 85);
  assert.equal(D.meanWind(race([], { magVar: -5, windDir: 90 })), 85);
});

test("a boat held in a gap keeps pointing the way it sailed into it", () => {
  const r = race([boat("A", [[T0, 35, 139], [T0 + 5, 35, 139.001], [T0 + 200, 35.01, 139.001]])]);
  const b = r.boats[0], o = D.newSample(), m = {};
  D.sample(b, T0 + 100, o); D.motion(r, b, T0 + 100, o, m);
  assert.equal(o.gap, true);
  assert.ok(Math.abs(m.course - 90) < 0.5, m.course);
});

test("the land's sides along the cut box get no shore stroke", () => {
  // The coast from the west edge to the east edge, land to the north, closed along the box; an island.
  const r = race([boat("A", [[T0, 5, 5], [T0 + 1, 5.001, 5]])],
    { land: [[0, 5, 5, 6, 10, 5, 10, 10, 0, 10], [2, 2, 3, 2, 3, 3, 2, 2]], landBox: [0, 0, 10, 10] });
  const lonlat = (a) => Array.from({ length: a.length / 2 }, (_, i) =>
    [+(a[2 * i] / r.kx + r.lon0).toFixed(4) + 0, +(a[2 * i + 1] / D.M_PER_DEG + r.lat0).toFixed(4) + 0]);
  assert.deepEqual(r.shoreXY.map(lonlat), [[[0, 5], [5, 6], [10, 5]], [[2, 2], [3, 2], [3, 3], [2, 2], [2, 2]]]);
});

test("a picture's URL encodes each name of its path, not the slashes between them", () => {
  const r = race([], { pictures: [{ src: "../pic/r#1/s_a?b%20c d.jpg", time: T0 }, { src: "pictures/写真.jpg" }] });
  assert.deepEqual(r.pictures.map((p) => p.url), ["../pic/r%231/s_a%3Fb%2520c%20d.jpg", "pictures/%E5%86%99%E7%9C%9F.jpg"]);
  assert.equal(r.pictures[0].src, "../pic/r#1/s_a?b%20c d.jpg", "the name as shown stays as it is");
});

test("the fleet's samples: rank and leg held, the rest between samples, none where not racing", () => {
  // Two samples 20 s apart: racing 3rd 40 m behind at 5.0 kn, then 2nd 20 m behind at 6.0 kn.
  const packed = [0b11111, zigzag(3), zigzag(40), zigzag(2), zigzag(51), zigzag(30),
    0b11011, zigzag(-1), zigzag(-20), zigzag(10), zigzag(2)];
  const idle = [0b01000, zigzag(41), 0b00000]; // not racing, 4.0 kn, then unchanged
  const analysis = { step: 20, from: T0, count: 2, samples: [Buffer.from(packed).toString("base64"),
    Buffer.from(idle).toString("base64")], manoeuvres: [[[T0 + 5, 1, 12.5, 4]], []], report: { boats: [] } };
  const r = race([boat("A", [[T0, 35, 139]]), boat("B", [[T0, 35, 139]])], { analysis });
  const at = (k, t) => D.liveAt(r, k, t, {});
  assert.deepEqual(at(0, T0 + 5), { rank: 3, behind: 35, leg: 2, speed: 5.25, vmg: 3.05 });
  assert.deepEqual(at(0, T0 + 20), { rank: 2, behind: 20, leg: 2, speed: 6, vmg: 3.2 });
  assert.deepEqual(at(1, T0 + 10), { rank: null, behind: null, leg: 0, speed: 4, vmg: null });
  assert.deepEqual(at(0, T0 - 1), { rank: null, behind: null, leg: 0, speed: null, vmg: null });
  assert.deepEqual(r.an.man[0], [{ t: T0 + 5, tack: true, lossM: 12.5, lossS: 4 }]);
  const cut = race([boat("A", [[T0, 35, 139]])], { analysis: Object.assign({}, analysis, { samples: ["Hw=="] }) });
  assert.equal(cut.an, null);
  assert.match(cut.notes.join(), /analysis is damaged \(samples of boat 1 end early\)/);
});
