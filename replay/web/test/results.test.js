"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const R = require("../js/results.js");

const T0 = 1718445600;
// fixes: [[seconds after T0, lat, lon], …]
function boat(name, fixes, extra) {
  return Object.assign({ name: name, entered: true, tcf: 1, startOffset: 0, n: fixes.length,
    t: Float64Array.from(fixes, (f) => T0 + f[0]),
    lat: Int32Array.from(fixes, (f) => Math.round(f[1] * 1e6)),
    lon: Int32Array.from(fixes, (f) => Math.round(f[2] * 1e6)) }, extra);
}
// Starts just south of the line, crosses it within 100 m (not a finish), goes north, comes back across.
const lap = [[-10, 34.9995, 139.005], [10, 35.0003, 139.005], [100, 35.005, 139.005], [200, 34.999, 139.005]];

function race(boats, extra) {
  return Object.assign({
    start: T0, course: ["S", "1", "f"], marks: [{ label: "1", lat: 35.02, lon: 139.005 }],
    lines: [{ lat1: 35, lon1: 139, lat2: 35, lon2: 139.01 }], boats: boats
  }, extra);
}

test("finishes, corrected times, shared ranks and the order of the table", () => {
  const rows = R.compute(race([
    boat("A", lap, { tcf: 1.05 }),
    boat("Ocs", [[-10, 35.0004, 139.005]].concat(lap.slice(2))),
    boat("Dnf", lap.slice(0, 3)),
    boat("D", lap),
    boat("E", lap, { tcf: 0 }),
    boat("Guest", lap, { entered: false }),
    boat("Late", lap.map((f) => [f[0] + 100, f[1], f[2]]), { startOffset: 100 })
  ]));
  const pick = (r) => [r.name, r.status, r.rank, r.elapsed, r.corrected, r.finish];
  assert.deepEqual(rows.map(pick), [
    ["D", "OK", 1, 183.3, 183.3, "2024-06-15 10:03:03"],
    ["E", "OK", 1, 183.3, 183.3, "2024-06-15 10:03:03"],
    ["Late", "OK", 1, 183.3, 183.3, "2024-06-15 10:04:43"],
    ["A", "OK", 4, 183.3, 192.5, "2024-06-15 10:03:03"],
    ["Ocs", "OCS", null, 183.3, 183.3, "2024-06-15 10:03:03"],
    ["Dnf", "DNF", null, null, null, null]
  ]);
});

test("being away before the start does not arm the finish", () => {
  const early = [[-100, 34.995, 139.005], [-50, 34.9997, 139.005], [50, 34.9998, 139.005], [60, 35.0001, 139.005]];
  assert.equal(R.compute(race([boat("X", early)]))[0].status, "DNF");
});

test("OCS needs a numbered mark in the course and a position at the start", () => {
  const ocs = [[-10, 35.0004, 139.005]].concat(lap.slice(2));
  assert.equal(R.compute(race([boat("B", ocs)], { course: ["S", "F"] }))[0].status, "OK");
  assert.equal(R.compute(race([boat("B", ocs.slice(1))]))[0].status, "OK"); // no fix before its start
});

test("a course entry naming nothing leaves the race unscored, as tackedit-cli results does", () => {
  const ocs = [[-10, 35.0004, 139.005]].concat(lap.slice(2));
  const seven = race([boat("B", ocs)], { course: ["S", "7", "F"], markCount: 3 });
  assert.deepEqual(R.compute(seven), []);
  assert.equal(R.unnamedEntry(seven), "the course's entry 2, '7', names no mark: the race has 3 MK lines");
  assert.equal(R.whyNone(race([], { course: ["S", "1", "G", "F"] })),
    "the course's entry 3, 'G', is no mark number, S or F");
  assert.equal(R.unnamedEntry(race([], { lines: [], course: ["S", "1", "F"] })),
    "the course's entry 1, 'S', names a line, but the race has no LN line");
  // Mark 1 left out as lying near no track: the side comes from mark 2, by its number.
  const second = race([boat("B", ocs)], { course: ["S", "02", "F"], markCount: 2,
    marks: [{ label: "2", lat: 35.02, lon: 139.005 }] });
  assert.equal(R.compute(second)[0].status, "OCS");
});

test("no results without a finish line", () => {
  assert.deepEqual(R.compute(race([boat("A", lap)], { course: ["S", "1"] })), []);
  assert.deepEqual(R.compute(race([boat("A", lap)], { lines: [] })), []);
});

test("segments touching the line count, also end to end", () => {
  assert.equal(R.meet(0, -1, 0, 0, -1, 0, 1, 0), 1);
  assert.equal(R.meet(0, -1, 0, 1, -1, 0, 1, 0), 0.5);
  assert.equal(R.meet(0, -1, 0, -0.1, -1, 0, 1, 0), -1);
  assert.equal(R.meet(-2, 0, 2, 0, -1, 0, 1, 0), 0.25); // along the line: where it first meets it
});
