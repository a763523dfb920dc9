"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const D = require("../js/data.js");
const T = require("../js/tracks.js");

// data.liveAt comes with the race analysis; until data.js has it, the speed part stands in.
D.liveAt = D.liveAt || function (r, k, t, out) {
  const a = r.an, x = (t - a.from) / a.step;
  out.speed = null;
  if (!(x >= 0)) return out;
  const i = Math.min(Math.floor(x), a.n - 1), f = i + 1 < a.n ? x - i : 0;
  const v = a.speed[k][i], w = a.speed[k][f > 0 ? i + 1 : i];
  out.speed = isNaN(v) ? null : isNaN(w) ? v : v + f * (w - v);
  return out;
};

// A prepared race of one boat sailing north from 10:00, a fix a second, and a fake analysis
// (samples every 10 s) of what the race analysis will hand the page.
function race(speeds, man) {
  const n = 121, t = new Float64Array(n), lat = new Int32Array(n), lon = new Int32Array(n);
  for (let i = 0; i < n; i++) { t[i] = 36000 + i; lat[i] = 35e6 + 20 * i; lon[i] = 139e6; }
  const r = { lat0: 35, lon0: 139, kx: Math.cos(35 * Math.PI / 180) * D.M_PER_DEG, boats: [] };
  const b = { n, t, lat, lon, x: new Float32Array(n), y: new Float32Array(n), cum: new Float64Array(n) };
  for (let i = 0; i < n; i++) b.y[i] = (lat[i] / 1e6 - 35) * D.M_PER_DEG;
  r.boats.push(b);
  const m = speeds.length;
  r.an = { step: 10, from: 36000, n: m, rank: [new Int16Array(m).fill(1)], behind: [new Float32Array(m)],
    leg: [new Int8Array(m).fill(1)], speed: [Float32Array.from(speeds)], vmg: [new Float32Array(m)], man: [man || []] };
  return r;
}

test("speed colours: the scale spans the race's 5th to 95th percentile, and speeds fall into its bins", () => {
  const speeds = [];
  for (let i = 0; i <= 100; i++) speeds.push(i / 10);
  speeds.push(NaN, NaN);
  const s = T.speedScale({ speed: [Float32Array.from(speeds.slice(0, 50)), Float32Array.from(speeds.slice(50))] });
  assert.ok(Math.abs(s.lo - 0.5) < 1e-6 && Math.abs(s.hi - 9.5) < 1e-6, JSON.stringify(s));
  assert.deepEqual([0, 0.5, 1.6, 5, 9.49, 9.5, 30, NaN, null].map((v) => T.speedBin(v, s)), [0, 0, 0, 4, 7, 7, 7, 8, 8]);
  assert.equal(T.COLOURS.length, T.BINS + 1);
  // A fleet at one speed still gets a scale a knot wide; no speeds, no scale.
  assert.deepEqual(T.speedScale({ speed: [Float32Array.of(4, 4, 4)] }), { lo: 3.5, hi: 4.5 });
  assert.equal(T.speedScale({ speed: [Float32Array.of(NaN)] }), null);
  assert.equal(T.speedScale(null), null);
  // Each fix takes the boat's speed at its time, between the samples around it; none from an unknown sample.
  const r = race([0, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, NaN]);
  const bins = T.fixBins(r, 0), scale = T.scaleOf(r);
  assert.equal(bins[4], T.speedBin(4, scale));
  assert.ok(bins[0] < bins[4] && bins[4] < bins[10], Array.from(bins.slice(0, 11)).join());
  assert.equal(bins[120], T.UNKNOWN);
  r.an = Object.assign({}, r.an);
  assert.notEqual(T.fixBins(r, 0), bins, "worked out again for another analysis");
});

test("tacks and gybes sit where the track puts the boat at their times, in time order", () => {
  const r = race([5, 5], [{ t: 36050.5, tack: false }, { t: 36010, tack: true }, { t: 40000, tack: true }]);
  const m = T.manoeuvres(r, 0);
  assert.equal(m.n, 2, "the one after the track's end is left out");
  assert.deepEqual(Array.from(m.t.subarray(0, 2)), [36010, 36050.5]);
  assert.deepEqual(Array.from(m.tack.subarray(0, 2)), [1, 0]);
  assert.ok(Math.abs(m.y[1] - 50.5 * 20e-6 * D.M_PER_DEG) < 0.01, String(m.y[1]));
  assert.equal(T.manoeuvres(r, 0), m, "worked out once");
  r.an = Object.assign({}, r.an, { man: [[]] });
  assert.equal(T.manoeuvres(r, 0).n, 0, "worked out again for another analysis");
});
