// The map view: planar metres of the race to screen pixels, turned so a chosen bearing is up.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var RAD = Math.PI / 180;

  function View() { this.cx = 0; this.cy = 0; this.s = 0.1; this.up = 0; this.w = 1; this.h = 1; }

  View.prototype.toScreen = function (x, y, out) {
    var c = Math.cos(this.up * RAD), sn = Math.sin(this.up * RAD), dx = x - this.cx, dy = y - this.cy;
    out.x = this.w / 2 + this.s * (dx * c - dy * sn);
    out.y = this.h / 2 - this.s * (dx * sn + dy * c);
    return out;
  };

  View.prototype.toPlanar = function (sx, sy, out) {
    var c = Math.cos(this.up * RAD), sn = Math.sin(this.up * RAD);
    var u = (sx - this.w / 2) / this.s, v = -(sy - this.h / 2) / this.s;
    out.x = this.cx + c * u + sn * v;
    out.y = this.cy - sn * u + c * v;
    return out;
  };

  // Lets the canvas place planar coordinates itself: one transform per frame instead of per point.
  View.prototype.apply = function (ctx, dpr) {
    var c = Math.cos(this.up * RAD) * this.s, sn = Math.sin(this.up * RAD) * this.s;
    var a = c, b = -sn, cc = -sn, d = -c;
    ctx.setTransform(a * dpr, b * dpr, cc * dpr, d * dpr,
      (this.w / 2 - a * this.cx - cc * this.cy) * dpr, (this.h / 2 - b * this.cx - d * this.cy) * dpr);
  };

  // Unit screen vector of a compass bearing.
  View.prototype.dir = function (bearing, out) {
    var a = (bearing - this.up) * RAD;
    out.x = Math.sin(a); out.y = -Math.cos(a);
    return out;
  };

  View.prototype.zoomAt = function (sx, sy, factor) {
    var p = this.toPlanar(sx, sy, {});
    this.s = Math.max(1e-4, Math.min(50, this.s * factor));
    var q = this.toPlanar(sx, sy, {});
    this.cx += p.x - q.x; this.cy += p.y - q.y;
  };

  View.prototype.pan = function (dxPx, dyPx) {
    var a = this.toPlanar(0, 0, {}), b = this.toPlanar(dxPx, dyPx, {});
    this.cx -= b.x - a.x; this.cy -= b.y - a.y;
  };

  // Shows every point given (flat x,y arrays) with a margin, in the current orientation.
  View.prototype.fit = function (sets, margin) {
    var c = Math.cos(this.up * RAD), sn = Math.sin(this.up * RAD);
    var u0 = Infinity, u1 = -Infinity, v0 = Infinity, v1 = -Infinity;
    sets.forEach(function (p) {
      var step = Math.max(1, Math.floor(p.x.length / 2000)); // a sketch of each track is enough
      for (var k = 0; k < p.x.length + step - 1; k += step) {
        var i = Math.min(k, p.x.length - 1), u = p.x[i] * c - p.y[i] * sn, v = p.x[i] * sn + p.y[i] * c;
        if (u < u0) u0 = u; if (u > u1) u1 = u; if (v < v0) v0 = v; if (v > v1) v1 = v;
      }
    });
    if (!isFinite(u0)) { this.cx = 0; this.cy = 0; this.s = 0.1; return; }
    var m = margin || 40, w = Math.max(50, this.w - 2 * m), h = Math.max(50, this.h - 2 * m);
    this.s = Math.min(w / Math.max(u1 - u0, 50), h / Math.max(v1 - v0, 50));
    var um = (u0 + u1) / 2, vm = (v0 + v1) / 2;
    this.cx = c * um + sn * vm; this.cy = -sn * um + c * vm;
  };

  // A round step (1, 2 or 5 × 10^k) near `target`.
  function niceStep(target) {
    var p = Math.pow(10, Math.floor(Math.log10(target))), f = target / p;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p;
  }

  var projection = { View: View, niceStep: niceStep };
  Tack.projection = projection;
  if (typeof module !== "undefined") module.exports = projection;
})(typeof window !== "undefined" ? window : globalThis);
