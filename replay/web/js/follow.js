// Auto view: the map keeps the racing fleet in sight while it sails.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var data = Tack.data || require("./data.js");
  var RAD = Math.PI / 180;

  var TRIM = 0.05;      // share of the fleet left out on each side: a straggler does not zoom the view out
  var MIN_SIZE = 300;   // metres: a fleet bunched on the line is not blown up to fill the screen
  var PAD = 0.1;        // the box grows by this share of its size on each side
  var MARGIN = 40;      // pixels kept free around the box, as Fit keeps them
  var RATE = 2.5;       // per second: about 4 % of the way each frame at 60 frames a second
  // The scale moves only when the fleet leaves the screen or shrinks to well inside it,
  // and then to a little more room than it needs: each change of scale redraws the
  // layer under the tails, so it must not follow every boat's every move.
  var ZOOM_IN = 0.6, ROOM = 0.85;

  var us = new Float64Array(64), vs = new Float64Array(64);

  function sortedRange(a, n, out, lo, hi) {
    var s = a.subarray(0, n).sort(), cut = Math.floor(n * TRIM);
    out[lo] = s[cut]; out[hi] = s[n - 1 - cut];
  }

  // The box auto view aims at, in the view's own frame (u to the screen's right, v up, metres
  // from the race's origin) with its centre in planar metres; null when no boat sails.
  // Racing boats are the entered ones (all visible boats when none of them is).
  function target(app, out) {
    var r = app.race, v = app.view;
    if (!r) return null;
    out = out || {};
    var c = Math.cos(v.up * RAD), sn = Math.sin(v.up * RAD), n = 0, pass, k;
    if (us.length < r.boats.length) { us = new Float64Array(r.boats.length); vs = new Float64Array(r.boats.length); }
    for (pass = 0; pass < 2 && !n; pass++) {
      for (k = 0; k < r.boats.length; k++) {
        var o = app.samples[k];
        if (!o || !o.visible || o.gap || (!pass && !r.boats[k].entered)) continue;
        us[n] = o.x * c - o.y * sn; vs[n] = o.x * sn + o.y * c; n++;
      }
    }
    if (!n) return null;
    sortedRange(us, n, out, "u0", "u1");
    sortedRange(vs, n, out, "v0", "v1");
    // Before the gun the fleet lines up for the start: the line belongs in the picture.
    var ln = r.lines && r.lines[0];
    if (ln && app.time < r.start) {
      [[ln.lat1, ln.lon1], [ln.lat2, ln.lon2]].forEach(function (e) {
        var p = data.planar(r, e[0], e[1], {}), u = p.x * c - p.y * sn, w = p.x * sn + p.y * c;
        out.u0 = Math.min(out.u0, u); out.u1 = Math.max(out.u1, u);
        out.v0 = Math.min(out.v0, w); out.v1 = Math.max(out.v1, w);
      });
    }
    grow(out, "u0", "u1");
    grow(out, "v0", "v1");
    var um = (out.u0 + out.u1) / 2, vm = (out.v0 + out.v1) / 2;
    out.cx = c * um + sn * vm; out.cy = -sn * um + c * vm;
    return out;
  }

  function grow(b, lo, hi) {
    var size = Math.max(b[hi] - b[lo], MIN_SIZE), mid = (b[lo] + b[hi]) / 2, half = size * (0.5 + PAD);
    b[lo] = mid - half; b[hi] = mid + half;
  }

  var box = {};
  // Moves app.view a step toward the fleet; true when it moved. Leaves the view alone
  // while auto view is off or a boat is followed (the page centres on that boat).
  // app.viewEasing tells the drawing the scale is still on its way, app.viewTarget where the
  // centre is going.
  function step(app, dt) {
    var v = app.view;
    app.viewEasing = false;
    app.viewTarget = null;
    if (!app.autoView || app.follow >= 0 || !target(app, box)) { app.zoomGoal = 0; return false; }
    app.viewTarget = box;
    var fit = Math.min(Math.max(50, v.w - 2 * MARGIN) / (box.u1 - box.u0), Math.max(50, v.h - 2 * MARGIN) / (box.v1 - box.v0));
    if (v.s > fit || v.s < fit * ZOOM_IN || app.zoomGoal) app.zoomGoal = fit * ROOM;
    var a = 1 - Math.exp(-RATE * Math.max(0, Math.min(dt, 1))), moved = false;
    // Nothing moves by less than a pixel: a paused replay settles and stops redrawing.
    var dx = box.cx - v.cx, dy = box.cy - v.cy;
    if (Math.hypot(dx, dy) * v.s > 1) { v.cx += dx * a; v.cy += dy * a; moved = true; }
    if (app.zoomGoal) {
      var ratio = Math.log(app.zoomGoal / v.s);
      if (Math.abs(ratio) * Math.hypot(v.w, v.h) / 2 <= 1) { v.s = app.zoomGoal; app.zoomGoal = 0; }
      else { v.s *= Math.exp(ratio * a); app.viewEasing = true; }
      moved = true;
    }
    if (moved) app.dirty = true;
    return moved;
  }

  var follow = { target: target, step: step, MIN_SIZE: MIN_SIZE, PAD: PAD };
  Tack.follow = follow;
  if (typeof module !== "undefined") module.exports = follow;
})(typeof window !== "undefined" ? window : globalThis);
