"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const { View, niceStep } = require("../js/projection.js");
const i18n = require("../js/i18n.js");

function near(a, b, eps) { assert.ok(Math.abs(a - b) < (eps || 1e-6), a + " is not " + b); }

test("the chosen bearing is at the top and screen and planar points convert both ways", () => {
  const v = new View();
  Object.assign(v, { w: 800, h: 600, s: 0.5, up: 200, cx: 100, cy: -50 });
  const p = {}, q = {};
  // A point 1000 m from the centre towards 200° is straight above it.
  v.toScreen(100 + 1000 * Math.sin(200 * Math.PI / 180), -50 + 1000 * Math.cos(200 * Math.PI / 180), p);
  near(p.x, 400); near(p.y, 300 - 500);
  v.dir(290, q); // 90° to the right of the top
  near(q.x, 1); near(q.y, 0);
  v.toPlanar(123, 456, p); v.toScreen(p.x, p.y, q);
  near(q.x, 123); near(q.y, 456);
  // Zooming keeps the point under the pointer where it was.
  v.toPlanar(700, 100, p); v.zoomAt(700, 100, 3); v.toScreen(p.x, p.y, q);
  near(q.x, 700); near(q.y, 100);
});

test("fit shows every point of every track inside the margin", () => {
  const v = new View();
  Object.assign(v, { w: 1000, h: 500, up: 45 });
  const xs = [], ys = [];
  for (let i = 0; i < 5001; i++) { xs.push(-3000 + i); ys.push(i % 2 ? 800 : -200); }
  v.fit([{ x: xs, y: ys }, { x: [5000], y: [5000] }], 40);
  const p = {};
  [[xs[0], ys[0]], [xs[5000], ys[5000]], [5000, 5000], [xs[2501], ys[2501]]].forEach(([x, y]) => {
    v.toScreen(x, y, p);
    assert.ok(p.x >= 39.9 && p.x <= 960.1 && p.y >= 39.9 && p.y <= 460.1, JSON.stringify(p));
  });
  assert.deepEqual([0.013, 0.3, 4, 60].map(niceStep), [0.01, 0.2, 5, 50]);
});

test("every caption exists in both languages", () => {
  assert.deepEqual(Object.keys(i18n.text.ja).sort(), Object.keys(i18n.text.en).sort());
  assert.equal(i18n.detect({ language: "ja-JP" }), "ja");
  assert.equal(i18n.detect({ language: "en-GB" }), "en");
});
