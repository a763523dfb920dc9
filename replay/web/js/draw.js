// Draws one frame of the map on a 2D canvas.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var data = Tack.data || require("./data.js");
  var projection = Tack.projection || require("./projection.js");

  var WATER = "#9fc3dc", LAND = "#d8d0b8", SHORE = "#ada386", GRID = "rgba(255,255,255,0.55)";
  var INK = "#12324a", GREY = "#8a9399", FONT = "12px system-ui, -apple-system, 'Segoe UI', sans-serif";
  var MINUTES = [0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600];
  var p = { x: 0, y: 0 }, q = { x: 0, y: 0 }, d = { x: 0, y: 0 }, clipT = [0, 0];

  // Part of the line p→q inside the w×h screen, as fractions into clipT; false when outside.
  function clip(x0, y0, x1, y1, w, h) {
    var t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0, P = [-dx, dx, -dy, dy], Q = [x0, w - x0, y0, h - y0];
    for (var i = 0; i < 4; i++) {
      if (P[i] === 0) { if (Q[i] < 0) return false; continue; }
      var r = Q[i] / P[i];
      if (P[i] < 0) { if (r > t1) return false; if (r > t0) t0 = r; }
      else { if (r < t0) return false; if (r < t1) t1 = r; }
    }
    clipT[0] = t0; clipT[1] = t1;
    return true;
  }

  function fmtAngle(v, step, pos, neg) {
    var a = Math.abs(v), dg = Math.floor(a + 1e-9), mn = (a - dg) * 60;
    var dec = step < 1 ? 1 : 0;
    if (+mn.toFixed(dec) >= 60) { dg += 1; mn = 0; }
    return dg + "\u00b0" + (mn < 10 ? "0" : "") + mn.toFixed(dec) + "\u2032" + (v < 0 ? neg : pos);
  }

  function grid(ctx, r, v, hide) {
    var la0 = Infinity, la1 = -Infinity, lo0 = Infinity, lo1 = -Infinity;
    [[0, 0], [v.w, 0], [0, v.h], [v.w, v.h]].forEach(function (c) {
      v.toPlanar(c[0], c[1], p);
      var lat = r.lat0 + p.y / data.M_PER_DEG, lon = r.lon0 + p.x / r.kx;
      la0 = Math.min(la0, lat); la1 = Math.max(la1, lat); lo0 = Math.min(lo0, lon); lo1 = Math.max(lo1, lon);
    });
    var target = 130 / v.s / 1852, step = MINUTES[MINUTES.length - 1];
    for (var k = 0; k < MINUTES.length; k++) if (MINUTES[k] >= target) { step = MINUTES[k]; break; }
    var sd = step / 60;
    ctx.strokeStyle = GRID; ctx.lineWidth = 1; ctx.fillStyle = INK; ctx.font = FONT;
    ctx.beginPath();
    var labels = [];
    for (var pass = 0; pass < 2; pass++) {
      var a0 = pass ? lo0 : la0, a1 = pass ? lo1 : la1;
      for (var a = Math.ceil(a0 / sd) * sd; a <= a1 && labels.length < 400; a += sd) {
        if (pass) { data.planar(r, la0, a, p); data.planar(r, la1, a, q); }
        else { data.planar(r, a, lo0, p); data.planar(r, a, lo1, q); }
        v.toScreen(p.x, p.y, p); v.toScreen(q.x, q.y, q);
        if (!clip(p.x, p.y, q.x, q.y, v.w, v.h)) continue;
        var x0 = p.x + clipT[0] * (q.x - p.x), y0 = p.y + clipT[0] * (q.y - p.y);
        var x1 = p.x + clipT[1] * (q.x - p.x), y1 = p.y + clipT[1] * (q.y - p.y);
        ctx.moveTo(x0, y0); ctx.lineTo(x1, y1);
        // Latitudes labelled at their left end, longitudes at their lower end.
        var first = pass ? y0 > y1 : x0 < x1;
        labels.push(pass ? fmtAngle(a, step, "E", "W") : fmtAngle(a, step, "N", "S"), first ? x0 : x1, first ? y0 : y1);
      }
    }
    ctx.stroke();
    for (var i = 0; i < labels.length; i += 3) {
      var lx = Math.min(Math.max(labels[i + 1] + 4, 4), v.w - 70), ly = Math.min(Math.max(labels[i + 2] - 4, 14), v.h - 4);
      if (hide && lx < hide.right && ly > hide.top && ly - 12 < hide.bottom) continue; // under the clock
      ctx.fillText(labels[i], lx, ly);
    }
  }

  function courseXY(r, e, out) {
    var s = String(e).trim().toUpperCase(), ln = s === "S" ? r.lines[0] : s === "F" ? r.lines[r.lines.length - 1] : null;
    if (ln) return data.planar(r, (ln.lat1 + ln.lat2) / 2, (ln.lon1 + ln.lon2) / 2, out);
    var m = /^\d+$/.test(s) && r.marks[+s - 1];
    return m ? data.planar(r, m.lat, m.lon, out) : null;
  }

  function marks(ctx, r, v) {
    ctx.lineWidth = 1.5; ctx.strokeStyle = "rgba(18,50,74,0.7)"; ctx.setLineDash([6, 6]);
    ctx.beginPath();
    var started = false;
    r.course.forEach(function (e) {
      if (!courseXY(r, e, p)) return;
      v.toScreen(p.x, p.y, p);
      if (started) ctx.lineTo(p.x, p.y); else { ctx.moveTo(p.x, p.y); started = true; }
    });
    ctx.stroke(); ctx.setLineDash([]);
    ctx.strokeStyle = "#d9480f"; ctx.lineWidth = 2.5;
    r.lines.forEach(function (ln) {
      v.toScreen(data.planar(r, ln.lat1, ln.lon1, p).x, p.y, p);
      v.toScreen(data.planar(r, ln.lat2, ln.lon2, q).x, q.y, q);
      ctx.beginPath(); ctx.moveTo(p.x, p.y); ctx.lineTo(q.x, q.y); ctx.stroke();
    });
    ctx.font = "bold " + FONT; ctx.textAlign = "center"; ctx.textBaseline = "middle";
    r.marks.forEach(function (m) {
      v.toScreen(data.planar(r, m.lat, m.lon, p).x, p.y, p);
      ctx.fillStyle = "#ffd43b"; ctx.strokeStyle = INK; ctx.lineWidth = 1.5;
      ctx.beginPath(); ctx.arc(p.x, p.y, 8, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
      ctx.fillStyle = INK; ctx.fillText(String(m.label), p.x, p.y + 0.5);
    });
    ctx.textAlign = "left"; ctx.textBaseline = "alphabetic";
  }

  function tails(ctx, app) {
    var r = app.race, from = app.tail === Infinity ? r.from : app.time - app.tail;
    app.view.apply(ctx, app.dpr);
    var min2 = 2.25 / (app.view.s * app.view.s);
    ctx.lineWidth = 2 / app.view.s; ctx.lineJoin = "bevel"; ctx.globalAlpha = 0.75;
    for (var k = 0; k < r.boats.length; k++) {
      var b = r.boats[k], o = app.samples[k];
      if (!o.visible) continue;
      var i0 = Math.max(0, data.indexAt(b.t, b.n, from)), t = b.t;
      ctx.strokeStyle = b.entered ? b.color : GREY;
      var lx = b.x[i0], ly = b.y[i0];
      ctx.beginPath(); ctx.moveTo(lx, ly);
      for (var i = i0 + 1; i <= o.i; i++) {
        var x = b.x[i], y = b.y[i];
        if (t[i] - t[i - 1] > data.GAP) ctx.moveTo(x, y);
        else if ((x - lx) * (x - lx) + (y - ly) * (y - ly) >= min2 || i === o.i) ctx.lineTo(x, y);
        else continue; // closer than a pixel or so to the last point drawn: nothing to see
        lx = x; ly = y;
      }
      if (!o.gap && o.f > 0) ctx.lineTo(o.x, o.y);
      ctx.stroke();
    }
    ctx.globalAlpha = 1;
    ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
  }

  function arrow(ctx, x, y, dx, dy, len, half) {
    ctx.beginPath();
    ctx.moveTo(x + dx * len * 0.6, y + dy * len * 0.6);
    ctx.lineTo(x - dx * len * 0.4 - dy * half, y - dy * len * 0.4 + dx * half);
    ctx.lineTo(x - dx * len * 0.2, y - dy * len * 0.2);
    ctx.lineTo(x - dx * len * 0.4 + dy * half, y - dy * len * 0.4 - dx * half);
    ctx.closePath();
  }

  function boats(ctx, app) {
    var r = app.race, v = app.view;
    ctx.font = FONT; ctx.lineJoin = "round";
    for (var k = 0; k < r.boats.length; k++) {
      var b = r.boats[k], o = app.samples[k], m = app.motions[k];
      if (!o.visible) continue;
      v.toScreen(o.x, o.y, p);
      v.dir(isNaN(m.course) ? 0 : m.course, d);
      var col = b.entered ? b.color : GREY;
      ctx.globalAlpha = o.gap ? 0.4 : 1;
      arrow(ctx, p.x, p.y, d.x, d.y, 20, 7);
      ctx.fillStyle = col; ctx.fill();
      ctx.strokeStyle = "rgba(0,0,0,0.6)"; ctx.lineWidth = 1; ctx.stroke();
      if (k === app.follow) {
        ctx.strokeStyle = "#fff"; ctx.lineWidth = 2;
        ctx.beginPath(); ctx.arc(p.x, p.y, 15, 0, 2 * Math.PI); ctx.stroke();
      }
      if (b.shown && b.name) {
        ctx.strokeStyle = "rgba(255,255,255,0.85)"; ctx.lineWidth = 3;
        ctx.strokeText(b.name, p.x + 12, p.y - 8);
        ctx.fillStyle = b.entered ? INK : GREY; ctx.fillText(b.name, p.x + 12, p.y - 8);
      }
    }
    ctx.globalAlpha = 1;
  }

  function overlays(ctx, app) {
    var v = app.view, w = data.windAt(app.race, app.time), x = v.w - 36, y = 40;
    ctx.fillStyle = "rgba(255,255,255,0.8)"; ctx.strokeStyle = INK; ctx.lineWidth = 1;
    ctx.beginPath(); ctx.arc(x, y, 22, 0, 2 * Math.PI); ctx.fill();
    v.dir(0, d);
    arrow(ctx, x, y, d.x, d.y, 34, 8); ctx.fillStyle = INK; ctx.fill();
    ctx.font = "bold " + FONT; ctx.textAlign = "center"; ctx.textBaseline = "middle";
    ctx.fillStyle = "#fff"; ctx.fillText("N", x - d.x * 2, y - d.y * 2);
    // The wind arrow points where the wind blows to.
    y = 110;
    ctx.fillStyle = "rgba(255,255,255,0.8)"; ctx.beginPath(); ctx.arc(x, y, 22, 0, 2 * Math.PI); ctx.fill();
    v.dir(w.dir + 180, d);
    arrow(ctx, x, y, d.x, d.y, 36, 7); ctx.fillStyle = "#1971c2"; ctx.fill();
    ctx.font = FONT; ctx.fillStyle = INK; ctx.textAlign = "right";
    ctx.fillText(Math.round(w.dir) + "\u00b0" + (w.speed !== null ? " " + (+w.speed).toFixed(1) + " kn" : ""), v.w - 8, y + 34);
    ctx.textAlign = "left"; ctx.textBaseline = "alphabetic";
    var nm = projection.niceStep(120 / v.s / 1852), px = nm * 1852 * v.s, sx = 16, sy = v.h - 18;
    ctx.strokeStyle = INK; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.moveTo(sx, sy - 6); ctx.lineTo(sx, sy); ctx.lineTo(sx + px, sy); ctx.lineTo(sx + px, sy - 6); ctx.stroke();
    ctx.fillStyle = INK; ctx.fillText((nm < 1 ? +nm.toPrecision(2) : nm) + " NM", sx + 4, sy - 6);
  }

  function frame(ctx, app) {
    var r = app.race, v = app.view;
    ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
    ctx.fillStyle = WATER; ctx.fillRect(0, 0, v.w, v.h);
    if (!r) return;
    if (r.landXY && r.landXY.length) {
      v.apply(ctx, app.dpr);
      ctx.beginPath();
      r.landXY.forEach(function (a) {
        for (var i = 0; i + 1 < a.length; i += 2) if (i) ctx.lineTo(a[i], a[i + 1]); else ctx.moveTo(a[i], a[i + 1]);
        ctx.closePath();
      });
      ctx.fillStyle = LAND; ctx.fill();
      ctx.beginPath();
      r.shoreXY.forEach(function (a) {
        for (var i = 0; i + 1 < a.length; i += 2) if (i) ctx.lineTo(a[i], a[i + 1]); else ctx.moveTo(a[i], a[i + 1]);
      });
      ctx.lineWidth = 1 / v.s; ctx.strokeStyle = SHORE; ctx.stroke();
      ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
    }
    grid(ctx, r, v, app.covered);
    marks(ctx, r, v);
    if (app.tail > 0) tails(ctx, app);
    boats(ctx, app);
    overlays(ctx, app);
  }

  // Index of the visible boat drawn nearest the screen point, or -1 beyond `radius` pixels.
  function hit(app, sx, sy, radius) {
    var best = -1, bd = radius * radius;
    for (var k = 0; k < app.samples.length; k++) {
      var o = app.samples[k];
      if (!o.visible) continue;
      app.view.toScreen(o.x, o.y, p);
      var dd = (p.x - sx) * (p.x - sx) + (p.y - sy) * (p.y - sy);
      if (dd <= bd) { bd = dd; best = k; }
    }
    return best;
  }

  var draw = { frame: frame, hit: hit, clip: clip };
  Tack.draw = draw;
  if (typeof module !== "undefined") module.exports = draw;
})(typeof window !== "undefined" ? window : globalThis);
