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

const L = require("../js/labels.js");
const { gridLines } = require("../js/draw.js");
const { parseLink, makeLink } = require("../js/data.js");

const overlap = (a, b) => a.x0 < b.x1 && a.x1 > b.x0 && a.y0 < b.y1 && a.y1 > b.y0;
function noOverlap(boxes, w, h) {
  boxes.forEach((a, i) => {
    assert.ok(a.x0 >= 0 && a.y0 >= 0 && a.x1 <= w && a.y1 <= h, "off the map: " + JSON.stringify(a));
    boxes.slice(i + 1).forEach((b) => assert.ok(!overlap(a, b), JSON.stringify(a) + " covers " + JSON.stringify(b)));
  });
}

test("grid labels read as degrees and two-digit minutes, and none covers another at the corners", () => {
  assert.equal(L.fmtAngle(43 + 10 / 60, 10, "N", "S"), "43\u00b010\u2032N");
  assert.equal(L.fmtAngle(43 + 9.9996 / 60, 1, "N", "S"), "43\u00b010\u2032N");
  assert.equal(L.fmtAngle(-(139 + 59.9996 / 60), 1, "E", "W"), "140\u00b000\u2032W");
  assert.equal(L.fmtAngle(35 + 5.5 / 60, 0.5, "N", "S"), "35\u00b005.5\u2032N");
  const r = { lat0: 43.2, lon0: 5.3, kx: Math.cos(43.2 * Math.PI / 180) * 111120 };
  const v = new View();
  Object.assign(v, { w: 900, h: 600, s: 0.05, up: 30 });
  const lines = gridLines(r, v);
  assert.ok(lines.length > 6 && lines.every((g) => /^\d+°\d\d′[NSEW]$/.test(g.text)), lines.map((g) => g.text).join(" "));
  const placer = new L.Placer(v.w, v.h), width = (t) => 7 * t.length;
  placer.reserve(0, 560, 200, 600); // the scale bar
  const shown = L.placeGrid(lines.map((g) => ({ text: g.text, lat: g.lat, x: g.x0, y: g.y0 })), placer, width, 14);
  assert.ok(shown.length >= lines.length / 2, shown.length + " of " + lines.length);
  noOverlap(shown.map((g) => ({ x0: g.x - 2, y0: g.y, x1: g.x + width(g.text) + 2, y1: g.y + 14 }))
    .concat([{ x0: 0, y0: 560, x1: 200, y1: 600 }]), v.w, v.h);
});

test("boat labels cover neither one another nor a boat, the followed boat's first, shortened where only that fits", () => {
  const placer = new L.Placer(800, 500), items = [], boats = [];
  for (let k = 0; k < 60; k++) {
    const x = k < 30 ? 400 + (k % 3) : 100 + 11 * k, y = k < 30 ? 250 : 120 + (k % 4) * 9;
    boats.push({ x0: x - 8, y0: y - 8, x1: x + 8, y1: y + 8 });
    placer.reserve(x - 8, y - 8, x + 8, y + 8);
    items.push({ x, y, w: 40 + (k % 5) * 10, h: 16, shortW: 16 });
  }
  const at = L.placeBoats(items, placer);
  assert.ok(at[0] && !at[0].short, "the first boat's label is shown in full");
  const width = (p, k) => p.short ? items[k].shortW : items[k].w;
  const placed = at.map((p, k) => p && { x0: p.x, y0: p.y, x1: p.x + width(p, k), y1: p.y + items[k].h }).filter(Boolean);
  assert.ok(placed.length >= 8 && placed.length < 60 && at.some((p) => p && p.short), placed.length + " labels");
  noOverlap(placed, 800, 500);
  assert.deepEqual(["Boat 75", "Kazekiri", "\u6d77\u98a8", "GBR 1234", "Blue Moon"].map(L.shortName),
    ["75", "Kaze\u2026", "", "1234", "Blue\u2026"]);
  placed.forEach((a) => boats.forEach((b) => assert.ok(!overlap(a, b), "a label covers a boat")));
  // The followed boat, then the leaders by rank (several classes may each have a leader), then the rest.
  assert.deepEqual(L.order(7, 4, [0, 3, 1, 0, 2, 1, 5], 3, [9]), [4, 2, 5, 1, 0, 3, 6]);
  assert.deepEqual(L.order(3, -1, [], 3, []), [0, 1, 2]);
});

test("a link names a UTC instant and a boat; the page's local time converts both ways", () => {
  assert.deepEqual(parseLink("#t=2026-05-16T11:25:00Z&boat=Hay%C3%A9%20te"), { t: 1778930700, boat: "Hay\u00e9 te" });
  assert.deepEqual(parseLink("#boat=a+b&t=2026-05-16T20:25:00+09:00"), { t: 1778930700, boat: "a+b" });
  assert.deepEqual(parseLink("#t=2026-02-30T11:25:00Z&boat=%E0"), { t: null, boat: null });
  assert.deepEqual(parseLink("#t=yesterday"), { t: null, boat: null });
  const race = { timeDiff: 9 }, local = 1778930700 + 9 * 3600;
  assert.equal(makeLink(race, local + 0.8, "A&B"), "#t=2026-05-16T11:25:00Z&boat=A%26B");
  assert.equal(parseLink(makeLink(race, local, "A&B")).t + 9 * 3600, local);
  assert.equal(makeLink(race, local, ""), "#t=2026-05-16T11:25:00Z");
});
