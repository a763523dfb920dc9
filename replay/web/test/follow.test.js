"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const D = require("../js/data.js");
const { View } = require("../js/projection.js");
const F = require("../js/follow.js");

const near = (a, b, eps) => assert.ok(Math.abs(a - b) < (eps || 1e-6), a + " is not " + b);

// A race with a start line 400 m north of the origin, and the page's state at `time`.
function app(points, extra) {
  const r = { start: 1000, lat0: 35, lon0: 139, kx: Math.cos(35 * Math.PI / 180) * D.M_PER_DEG,
    lines: [{ lat1: 35 + 400 / D.M_PER_DEG, lon1: 139, lat2: 35 + 400 / D.M_PER_DEG, lon2: 139.001 }],
    boats: points.map((p) => ({ entered: p.entered !== false })) };
  const view = Object.assign(new View(), { w: 1000, h: 800, s: 0.5 });
  return Object.assign({ race: r, time: 2000, view, follow: -1, autoView: true,
    samples: points.map((p) => ({ x: p.x, y: p.y, visible: p.visible !== false, gap: !!p.gap })) }, extra);
}

test("the target box holds the fleet without its stragglers, at least 300 m, and the start line before the gun", () => {
  const fleet = [];
  for (let k = 0; k < 20; k++) fleet.push({ x: 1000 + 50 * k, y: -500 + 20 * k });
  const a = app(fleet.concat([{ x: 9000, y: 9000 }, { x: -7000, y: 0, entered: false }, { x: 5000, y: 5000, gap: true },
    { x: -5000, y: 5000, visible: false }]));
  const b = F.target(a);
  // 21 racing boats: 5 % on each side is one boat, the one far out and the first of the row;
  // the grey, gap and unseen ones do not count.
  const pad = 1 + 2 * F.PAD, w = (b.u1 - b.u0) / pad, h = (b.v1 - b.v0) / pad;
  near(w, 900); near(h, 360);
  near(b.cx, 1500); near(b.cy, -300);
  // Bunched boats: the minimum size around them.
  const c = F.target(app([{ x: 10, y: 10 }, { x: 12, y: 11 }]));
  near(c.u1 - c.u0, F.MIN_SIZE * pad); near(c.cx, 11); near(c.cy, 10.5);
  // Before the gun the start line, 400 m north, joins the box; after it only the boats count.
  const two = [{ x: 0, y: -1000 }, { x: 30, y: -990 }];
  const pre = F.target(app(two, { time: 999 })), post = F.target(app(two, { time: 1000 }));
  near(pre.v0, -300 - 1400 * pad / 2, 1e-3); near(pre.v1, -300 + 1400 * pad / 2, 1e-3);
  near(post.v1, -995 + F.MIN_SIZE * pad / 2, 1e-3);
  // A view turned east up measures the box along its own axes.
  const east = app([{ x: 0, y: 0 }, { x: 2000, y: 0 }]);
  east.view.up = 90;
  const e = F.target(east);
  near(e.v1 - e.v0, 2000 * pad, 1e-6); near(e.u1 - e.u0, F.MIN_SIZE * pad, 1e-6);
  assert.equal(F.target(app([{ x: 0, y: 0, visible: false }])), null);
});

test("auto view eases toward the fleet the same at any frame rate and settles within a pixel", () => {
  const fleet = [{ x: 2000, y: 1000 }, { x: 2600, y: 1300 }];
  const a60 = app(fleet), a30 = app(fleet);
  for (let i = 0; i < 60; i++) F.step(a60, 1 / 60);
  for (let i = 0; i < 30; i++) F.step(a30, 1 / 30);
  near(a60.view.cx, a30.view.cx, 1e-6); near(a60.view.s, a30.view.s, 1e-9);
  assert.ok(a60.view.cx > 1000 && a60.view.cx < 2300, "part of the way after a second: " + a60.view.cx);
  // The fleet fills a small part of the screen: it zooms in, keeping some room.
  assert.ok(a60.view.s > 0.5, "zoomed in: " + a60.view.s);
  for (let i = 0; i < 600 && F.step(a60, 1 / 60); i++);
  a60.dirty = false;
  assert.equal(F.step(a60, 1 / 60), false);
  assert.equal(a60.dirty, false, "a settled view asks for no redraw");
  const t = F.target(a60);
  near(a60.view.cx, t.cx, 1 / a60.view.s); near(a60.view.cy, t.cy, 1 / a60.view.s);
  assert.ok((t.u1 - t.u0) * a60.view.s <= 1000 - 80 && (t.v1 - t.v0) * a60.view.s <= 800 - 80, "the box fits");
  // A boat followed, or a hand on the map, leaves the view alone.
  const held = app(fleet, { follow: 0 }), off = app(fleet, { autoView: false });
  F.step(held, 1); F.step(off, 1);
  assert.deepEqual([held.view.cx, held.view.s, off.view.cx, off.view.s], [0, 0.5, 0, 0.5]);
});
