"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
require("../js/i18n.js");
require("../js/data.js");
const C = require("../js/charts.js");

const FROM = 1718445600; // 2024-06-15 10:00:00 on the race's clock
// Five boats, four samples 10 s apart. Rank 0 and NaN: not racing.
const an = {
  step: 10, from: FROM, n: 4,
  rank: [[0, 3, 2, 1], [0, 1, 1, 2], [0, 2, 3, 3], [0, 4, 4, 0], [0, 2, 1, 4]].map((r) => Int16Array.from(r)),
  behind: [[NaN, 40, 12, 0], [NaN, 0, 0, 5], [NaN, 30, 20, 9], [NaN, 99, 50, NaN], [NaN, 25, 0, 70]].map((r) => Float32Array.from(r)),
  speed: [[NaN, 5.5, 6, 6.25], [4, NaN, 5, 5], [1, 2, 3, 4], [0, 0, 0, 0], [7, 7, 7, NaN]].map((r) => Float32Array.from(r))
};

test("the boats charted by default: the followed one, then the best three by rank at the clock", () => {
  // Before the first sample and while no boat is racing, only the followed boat.
  assert.deepEqual(C.pick(an, FROM - 1, 2), [2]);
  assert.deepEqual(C.pick(an, FROM + 9.9, -1), []);
  // At 10 s: ranks 3, 1, 2, 4, 2; the tie at 2 goes to the boat less far behind (25 m before 30 m).
  assert.deepEqual(C.pick(an, FROM + 10, -1), [1, 4, 2]);
  // Two leaders of their classes share rank 1, both 0 m behind: the race's order.
  assert.deepEqual(C.pick(an, FROM + 25, -1), [1, 4, 0]);
  // The followed boat comes first and is not counted twice.
  assert.deepEqual(C.pick(an, FROM + 25, 4), [4, 1, 0, 2]);
  assert.deepEqual(C.pick(an, FROM + 25, 3), [3, 1, 4, 0]);
  // Past the last sample the last one holds; a boat out of the race there (rank 0) is left out.
  assert.deepEqual(C.pick(an, FROM + 3600, -1, 5), [0, 1, 2, 4]);
});

test("chart data: one time per sample, NaN as null so the line breaks there", () => {
  const [xs, a, b] = C.series(an, "speed", [0, 4]);
  assert.deepEqual(xs, [FROM, FROM + 10, FROM + 20, FROM + 30]);
  assert.deepEqual(a, [null, 5.5, 6, 6.25]);
  assert.deepEqual(b, [7, 7, 7, null]);
  assert.deepEqual(C.series(an, "behind", [3])[1], [null, 99, 50, null]);
  assert.equal(C.series(an, "behind", []).length, 1);
  // Ticks read the race's clock whatever the machine's zone: minutes, seconds below a minute's step.
  assert.equal(C.tickText(FROM + 3600 + 90, 60), "11:01");
  assert.equal(C.tickText(FROM + 45, 15), "10:00:45");
});
