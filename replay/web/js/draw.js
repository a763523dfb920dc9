// Draws one frame of the map on a 2D canvas.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var data = Tack.data || require("./data.js");
  var projection = Tack.projection || require("./projection.js");
  var labels = Tack.labels || require("./labels.js");
  var i18n = Tack.i18n || require("./i18n.js");
  var tracks = Tack.tracks || require("./tracks.js");

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

  // Grid lines of the view v in race r: [{text, lat, x0, y0, x1, y1}] on v's screen,
  // latitudes starting at their left end, longitudes at their lower end.
  function gridLines(r, v) {
    var la0 = Infinity, la1 = -Infinity, lo0 = Infinity, lo1 = -Infinity, out = [];
    [[0, 0], [v.w, 0], [0, v.h], [v.w, v.h]].forEach(function (c) {
      v.toPlanar(c[0], c[1], p);
      var lat = r.lat0 + p.y / data.M_PER_DEG, lon = r.lon0 + p.x / r.kx;
      la0 = Math.min(la0, lat); la1 = Math.max(la1, lat); lo0 = Math.min(lo0, lon); lo1 = Math.max(lo1, lon);
    });
    var target = 130 / v.s / 1852, step = MINUTES[MINUTES.length - 1];
    for (var k = 0; k < MINUTES.length; k++) if (MINUTES[k] >= target) { step = MINUTES[k]; break; }
    var sd = step / 60;
    for (var pass = 0; pass < 2; pass++) {
      var a0 = pass ? lo0 : la0, a1 = pass ? lo1 : la1;
      // Whole multiples of the step, so that 43°10′ is not 43°09.9999′.
      for (var n = Math.ceil(a0 / sd - 1e-9); n * sd <= a1 && out.length < 400; n++) {
        var a = n * sd;
        if (pass) { data.planar(r, la0, a, p); data.planar(r, la1, a, q); }
        else { data.planar(r, a, lo0, p); data.planar(r, a, lo1, q); }
        v.toScreen(p.x, p.y, p); v.toScreen(q.x, q.y, q);
        if (!clip(p.x, p.y, q.x, q.y, v.w, v.h)) continue;
        var x0 = p.x + clipT[0] * (q.x - p.x), y0 = p.y + clipT[0] * (q.y - p.y);
        var x1 = p.x + clipT[1] * (q.x - p.x), y1 = p.y + clipT[1] * (q.y - p.y);
        var first = pass ? y0 > y1 : x0 < x1;
        out.push({ text: pass ? labels.fmtAngle(a, step, "E", "W") : labels.fmtAngle(a, step, "N", "S"), lat: !pass,
          x0: first ? x0 : x1, y0: first ? y0 : y1, x1: first ? x1 : x0, y1: first ? y1 : y0 });
      }
    }
    return out;
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
    ctx.font = "bold " + FONT; ctx.textBaseline = "middle";
    r.lines.forEach(function (ln, k) {
      v.toScreen(data.planar(r, ln.lat1, ln.lon1, p).x, p.y, p);
      v.toScreen(data.planar(r, ln.lat2, ln.lon2, q).x, q.y, q);
      ctx.strokeStyle = "#d9480f"; ctx.lineWidth = 2.5;
      ctx.beginPath(); ctx.moveTo(p.x, p.y); ctx.lineTo(q.x, q.y); ctx.stroke();
      // The first line starts the race, the last finishes it; named beyond its second end.
      var name = r.lines.length === 1 ? i18n.t("start") + " / " + i18n.t("finish") :
        k === 0 ? i18n.t("start") : k === r.lines.length - 1 ? i18n.t("finish") : "";
      var len = Math.hypot(q.x - p.x, q.y - p.y);
      if (!name) return;
      var ux = len > 1 ? (q.x - p.x) / len : 1, uy = len > 1 ? (q.y - p.y) / len : 0;
      ctx.textAlign = ux >= 0 ? "left" : "right";
      ctx.strokeStyle = "rgba(255,255,255,0.85)"; ctx.lineWidth = 3;
      ctx.strokeText(name, q.x + ux * 8, q.y + uy * 8);
      ctx.fillStyle = "#a8380b"; ctx.fillText(name, q.x + ux * 8, q.y + uy * 8);
    });
    ctx.textAlign = "center";
    r.marks.forEach(function (m) {
      v.toScreen(data.planar(r, m.lat, m.lon, p).x, p.y, p);
      ctx.fillStyle = "#ffd43b"; ctx.strokeStyle = INK; ctx.lineWidth = 1.5;
      ctx.beginPath(); ctx.arc(p.x, p.y, 8, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
      ctx.fillStyle = INK; ctx.fillText(String(m.label), p.x, p.y + 0.5);
    });
    ctx.textAlign = "left"; ctx.textBaseline = "alphabetic";
  }

  // The fixes i0..i1 of a boat as one path in planar metres, leaving out what lies within
  // a pixel or so of the last point drawn and breaking at gaps.
  function trail(ctx, b, i0, i1, min2) {
    var t = b.t, lx = b.x[i0], ly = b.y[i0];
    ctx.moveTo(lx, ly);
    for (var i = i0 + 1; i <= i1; i++) {
      var x = b.x[i], y = b.y[i];
      if (t[i] - t[i - 1] > data.GAP) ctx.moveTo(x, y);
      else if ((x - lx) * (x - lx) + (y - ly) * (y - ly) >= min2 || i === i1) ctx.lineTo(x, y);
      else continue;
      lx = x; ly = y;
    }
  }

  // The same by speed: each piece goes to its fix's colour bin, and the bins are stroked
  // one path a colour instead of one a boat. Pieces are kept as x, y, move-or-line runs in
  // typed arrays reused from frame to frame; `end`, when given, is where the boat is now.
  var bins = { used: new Int32Array(tracks.COLOURS.length), runs: [] };
  for (var bi = 0; bi < tracks.COLOURS.length; bi++) bins.runs.push(new Float64Array(3 * 1024));
  function put(c, x, y, move) {
    var a = bins.runs[c], j = bins.used[c];
    if (j + 3 > a.length) { var g = new Float64Array(a.length * 2); g.set(a); a = bins.runs[c] = g; }
    a[j] = x; a[j + 1] = y; a[j + 2] = move; bins.used[c] = j + 3;
  }
  function binTrail(b, colours, i0, i1, min2, end) {
    var t = b.t, lx = b.x[i0], ly = b.y[i0], cur = -1;
    for (var i = i0 + 1; i <= i1; i++) {
      var x = b.x[i], y = b.y[i], c = colours[i];
      if (t[i] - t[i - 1] > data.GAP) { cur = -1; lx = x; ly = y; continue; }
      // A point too close to draw changes no colour either: the piece reaching past it does.
      if (cur >= 0 && (x - lx) * (x - lx) + (y - ly) * (y - ly) < min2 && i !== i1) continue;
      if (c !== cur) { put(c, lx, ly, 1); cur = c; }
      put(cur, x, y, 0);
      lx = x; ly = y;
    }
    if (!end) return;
    if (cur < 0) { cur = colours[Math.min(i1 + 1, b.n - 1)]; put(cur, lx, ly, 1); }
    put(cur, end.x, end.y, 0);
  }
  function strokeBins(ctx) {
    for (var c = 0; c < bins.runs.length; c++) {
      var a = bins.runs[c], n = bins.used[c];
      if (!n) continue;
      ctx.beginPath();
      for (var j = 0; j < n; j += 3) if (a[j + 2]) ctx.moveTo(a[j], a[j + 1]); else ctx.lineTo(a[j], a[j + 1]);
      ctx.strokeStyle = tracks.COLOURS[c]; ctx.stroke();
      bins.used[c] = 0;
    }
  }

  // Speed colours are on when asked for and the race has speeds to show.
  function speedScale(app) {
    return app.speedColours && app.race.an && data.liveAt ? tracks.scaleOf(app.race) : null;
  }

  function tailStyle(ctx, v) { ctx.lineWidth = 2 / v.s; ctx.lineJoin = "bevel"; ctx.globalAlpha = 0.75; }

  // Fixes i0..i1 of boat k drawn on their own, for the layer under the tails.
  function strokeBoat(ctx, app, k, i0, i1, min2, bySpeed) {
    var b = app.race.boats[k];
    if (bySpeed) {
      binTrail(b, tracks.fixBins(app.race, k), i0, i1, min2, null);
      strokeBins(ctx);
      return;
    }
    ctx.strokeStyle = b.entered ? b.color : GREY;
    ctx.beginPath();
    trail(ctx, b, i0, i1, min2);
    ctx.stroke();
  }

  // The tails' newest part, from `first[k]` (or `from`) to the boat.
  function tails(ctx, app, first) {
    var r = app.race, v = app.view, from = app.time - app.tail, min2 = 2.25 / (v.s * v.s);
    var bySpeed = !!speedScale(app);
    v.apply(ctx, app.dpr);
    tailStyle(ctx, v);
    for (var k = 0; k < r.boats.length; k++) {
      var b = r.boats[k], o = app.samples[k];
      if (!o.visible) continue;
      var i0 = first ? first[k] : Math.max(0, data.indexAt(b.t, b.n, from));
      if (i0 > o.i) continue;
      if (bySpeed) { binTrail(b, tracks.fixBins(r, k), i0, o.i, min2, !o.gap && o.f > 0 ? o : null); continue; }
      ctx.strokeStyle = b.entered ? b.color : GREY;
      ctx.beginPath();
      trail(ctx, b, i0, o.i, min2);
      if (!o.gap && o.f > 0) ctx.lineTo(o.x, o.y);
      ctx.stroke();
    }
    if (bySpeed) strokeBins(ctx);
    ctx.globalAlpha = 1;
    ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
  }

  // Boat k's tacks (triangles) and gybes (circles) j0..j1 in its colour, on view v's screen.
  function boatMarks(ctx, v, b, m, j0, j1) {
    ctx.lineWidth = 1; ctx.strokeStyle = "rgba(0,0,0,0.75)"; ctx.fillStyle = b.entered ? b.color : GREY;
    for (var tack = 1; tack >= 0; tack--) {
      var any = false;
      ctx.beginPath();
      for (var j = j0; j <= j1; j++) {
        if (m.tack[j] !== tack) continue;
        v.toScreen(m.x[j], m.y[j], p);
        if (p.x < -8 || p.y < -8 || p.x > v.w + 8 || p.y > v.h + 8) continue;
        if (tack) { ctx.moveTo(p.x, p.y - 5); ctx.lineTo(p.x + 4.5, p.y + 3.5); ctx.lineTo(p.x - 4.5, p.y + 3.5); ctx.closePath(); }
        else { ctx.moveTo(p.x + 3.5, p.y); ctx.arc(p.x, p.y, 3.5, 0, 2 * Math.PI); }
        any = true;
      }
      if (any) { ctx.fill(); ctx.stroke(); }
    }
  }

  // The marks along each drawn boat's tail; with whole-race tails those from `marked[k]`
  // on, the older ones being on the layer under the tails.
  function manoeuvreMarks(ctx, app, marked) {
    var r = app.race, v = app.view;
    if (!r.an || !(app.tail > 0)) return;
    for (var k = 0; k < r.boats.length; k++) {
      if (!app.samples[k].visible) continue;
      var m = tracks.manoeuvres(r, k), j1 = data.indexAt(m.t, m.n, app.time);
      var j0 = marked ? marked[k] : data.indexAt(m.t, m.n, app.time - app.tail) + 1;
      if (j1 >= j0) boatMarks(ctx, v, r.boats[k], m, j0, j1);
    }
  }

  // What does not move while the race plays (water, land, grid lines, course, lines, marks,
  // and the whole-race tails up to a recent time) is drawn once on a canvas of its own,
  // MARGIN pixels larger on each side than the map so that panning and following a
  // boat only move it. Drawn again when the scale, the bearing up, the size or the
  // tail setting change, or when the replay goes back before the tails drawn.
  // While auto view eases the scale, the layer drawn before stands in, stretched; after
  // that, whole-race tails are drawn again into a second layer a few boats a frame
  // (BAKE_MS), the first layer standing in until it is done, so no frame stalls.
  var MARGIN = 256, BAKE_EVERY = 60, BAKE_LAG = 5, BAKE_MS = 4;

  function layerKey(app) {
    var v = app.view;
    return [app.index, v.up, v.w, v.h, app.dpr, app.tail === Infinity, i18n.lang, !!speedScale(app), !!app.race.an].join("|");
  }

  function newLayer() {
    var c = root.document.createElement("canvas");
    return { canvas: c, ctx: c.getContext("2d", { alpha: false }), view: new projection.View(), key: "" };
  }

  function offCentre(v, L) {
    v.toScreen(L.view.cx, L.view.cy, p);
    return Math.abs(p.x - v.w / 2) > MARGIN || Math.abs(p.y - v.h / 2) > MARGIN;
  }

  var clockMs = function () { return root.performance ? root.performance.now() : Date.now(); };

  // `at` (the view's centre unless given) is the layer's centre.
  function buildLayer(app, L, key, at) {
    var r = app.race, v = app.view, lv = L.view, c = L.canvas;
    at = at || v;
    lv.s = v.s; lv.up = v.up; lv.cx = at.cx; lv.cy = at.cy; lv.w = v.w + 2 * MARGIN; lv.h = v.h + 2 * MARGIN;
    var cw = Math.round(lv.w * app.dpr), ch = Math.round(lv.h * app.dpr);
    if (c.width !== cw || c.height !== ch) { c.width = cw; c.height = ch; }
    var ctx = L.ctx;
    ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
    ctx.fillStyle = WATER; ctx.fillRect(0, 0, lv.w, lv.h);
    if (r.landXY && r.landXY.length) {
      lv.apply(ctx, app.dpr);
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
      ctx.lineWidth = 1 / lv.s; ctx.strokeStyle = SHORE; ctx.stroke();
      ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0);
    }
    ctx.strokeStyle = GRID; ctx.lineWidth = 1;
    ctx.beginPath();
    gridLines(r, lv).forEach(function (g) { ctx.moveTo(g.x0, g.y0); ctx.lineTo(g.x1, g.y1); });
    ctx.stroke();
    marks(ctx, r, lv);
    L.key = key;
    L.baked = r.boats.map(function (b) { return Math.max(0, data.indexAt(b.t, b.n, r.from)); });
    L.marked = r.boats.map(function () { return 0; });
    L.bakedTime = r.from;
  }

  // Adds the whole-race tails up to `upTo` to the layer, from boat `from` on; with `until`
  // (ms) it stops after the boat that passes that time. Returns the next boat to do.
  function bake(app, L, upTo, from, until) {
    var r = app.race, lv = L.view, ctx = L.ctx, min2 = 2.25 / (lv.s * lv.s), bySpeed = !!speedScale(app), k;
    lv.apply(ctx, app.dpr);
    tailStyle(ctx, lv);
    for (k = from || 0; k < r.boats.length; k++) {
      var b = r.boats[k], i1 = data.indexAt(b.t, b.n, upTo);
      if (i1 > L.baked[k]) strokeBoat(ctx, app, k, L.baked[k], i1, min2, bySpeed);
      L.baked[k] = Math.max(L.baked[k], i1);
      if (r.an) {
        var m = tracks.manoeuvres(r, k), j1 = data.indexAt(m.t, m.n, upTo);
        if (j1 >= L.marked[k]) {
          ctx.setTransform(app.dpr, 0, 0, app.dpr, 0, 0); ctx.globalAlpha = 1;
          boatMarks(ctx, lv, b, m, L.marked[k], j1);
          L.marked[k] = j1 + 1;
          lv.apply(ctx, app.dpr); tailStyle(ctx, lv);
        }
      }
      if (!until) continue;
      // The canvas draws what it was told only when it must: reading a pixel makes it draw
      // this boat now, so the time taken is the whole cost and no later frame pays for it.
      ctx.getImageData(0, 0, 1, 1);
      if (clockMs() > until) { k++; break; }
    }
    ctx.globalAlpha = 1;
    if (k >= r.boats.length) L.bakedTime = upTo;
    return k;
  }

  // The layer to show while the whole-race tails are drawn again for the view as it is
  // now, centred where auto view is taking it (app.viewTarget) so that a view on its way
  // there does not start it over and over.
  function bakeLater(app, L, key) {
    var v = app.view, N = app.nextLayer || (app.nextLayer = newLayer());
    var aim = app.autoView && app.follow < 0 && app.viewTarget || v;
    if (!N.pending || N.key !== key || N.view.s !== v.s ||
        Math.hypot(N.view.cx - aim.cx, N.view.cy - aim.cy) * v.s > MARGIN / 2) {
      buildLayer(app, N, key, aim);
      N.upTo = L.bakedTime; N.next = 0; N.pending = true;
      app.dirty = true;
      return L;
    }
    if (N.next < app.race.boats.length) N.next = bake(app, N, N.upTo, N.next, clockMs() + BAKE_MS);
    // A paused replay draws no frames of its own: ask for the next one until it is done.
    if (N.next < app.race.boats.length || (offCentre(v, N) && !offCentre(v, L))) { app.dirty = true; return L; }
    N.pending = false;
    app.nextLayer = L;
    return (app.layer = N);
  }

  function background(ctx, app) {
    var L = app.layer || (app.layer = newLayer()), v = app.view, whole = app.tail === Infinity;
    var key = layerKey(app);
    if (L.key !== key || (whole && app.time < L.bakedTime)) {
      buildLayer(app, L, key);
      // The second layer gets its pixels now, in a frame that is slow anyway, not in the
      // first frame that draws into it.
      var N = whole && (app.nextLayer || (app.nextLayer = newLayer()));
      if (N && (N.canvas.width !== L.canvas.width || N.canvas.height !== L.canvas.height)) buildLayer(app, N, key);
      if (app.nextLayer) app.nextLayer.pending = false;
    } else if (L.view.s !== v.s || offCentre(v, L)) {
      if (!whole && (!app.viewEasing || offCentre(v, L))) buildLayer(app, L, key);
      else if (whole && !app.viewEasing) L = bakeLater(app, L, key);
    }
    if (whole && app.time - L.bakedTime > BAKE_EVERY) bake(app, L, app.time - BAKE_LAG);
    // The layer in the view as it is now: stretched when its scale is not the view's.
    var f = v.s / L.view.s, w = L.view.w * f, h = L.view.h * f, d = app.dpr;
    v.toScreen(L.view.cx, L.view.cy, p);
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    if (f === 1) ctx.drawImage(L.canvas, Math.round((p.x - w / 2) * d), Math.round((p.y - h / 2) * d));
    else {
      if (p.x - w / 2 > 0 || p.y - h / 2 > 0 || p.x + w / 2 < v.w || p.y + h / 2 < v.h) {
        ctx.fillStyle = WATER; ctx.fillRect(0, 0, v.w * d, v.h * d);
      }
      // For the few frames until it is drawn again, a coarse copy costs less.
      ctx.imageSmoothingEnabled = false;
      ctx.drawImage(L.canvas, (p.x - w / 2) * d, (p.y - h / 2) * d, w * d, h * d);
      ctx.imageSmoothingEnabled = true;
    }
    ctx.setTransform(d, 0, 0, d, 0, 0);
    return whole ? L : null;
  }

  function arrow(ctx, x, y, dx, dy, len, half) {
    ctx.beginPath();
    ctx.moveTo(x + dx * len * 0.6, y + dy * len * 0.6);
    ctx.lineTo(x - dx * len * 0.4 - dy * half, y - dy * len * 0.4 + dx * half);
    ctx.lineTo(x - dx * len * 0.2, y - dy * len * 0.2);
    ctx.lineTo(x - dx * len * 0.4 + dy * half, y - dy * len * 0.4 - dx * half);
    ctx.closePath();
  }

  // A boat's name (or its short form) with its white halo, drawn once and copied each frame.
  var LABEL_H = 16;
  function sprite(b, dpr, short) {
    var text = short ? labels.shortName(b.name) : b.name, key = text + "|" + dpr + "|" + b.entered;
    var s = short ? b.shortSprite : b.sprite;
    if (s && s.key === key) return s;
    if (!text) return null;
    var c = root.document.createElement("canvas"), ctx = c.getContext("2d");
    ctx.font = FONT;
    var w = Math.ceil(ctx.measureText(text).width) + 6;
    c.width = Math.ceil(w * dpr); c.height = Math.ceil(LABEL_H * dpr);
    ctx.scale(dpr, dpr); ctx.font = FONT; ctx.lineJoin = "round"; ctx.textBaseline = "middle";
    ctx.strokeStyle = "rgba(255,255,255,0.85)"; ctx.lineWidth = 3; ctx.strokeText(text, 3, LABEL_H / 2);
    ctx.fillStyle = b.entered ? INK : GREY; ctx.fillText(text, 3, LABEL_H / 2);
    s = { canvas: c, w: w, key: key };
    if (short) b.shortSprite = s; else b.sprite = s;
    return s;
  }

  // The followed boat's label first, then the leaders' (rank 1 to 3 in their class), then
  // the others in the race's order, each where it covers no other label, no boat and none
  // of the map's overlays, shortened where only its short form finds room.
  var placer = new labels.Placer(1, 1), order = [], ranks = [], live = {};
  function boats(ctx, app) {
    var r = app.race, v = app.view, n = r.boats.length, ranked = !!(r.an && data.liveAt);
    ctx.lineJoin = "round";
    placer.clear(v.w, v.h);
    reserveOverlays(placer, app);
    ranks.length = n;
    for (var k = 0; k < n; k++) {
      var b = r.boats[k], o = app.samples[k], m = app.motions[k];
      ranks[k] = ranked && o.visible ? data.liveAt(r, k, app.time, live).rank || 0 : 0;
      if (!o.visible) continue;
      v.toScreen(o.x, o.y, p);
      o.sx = p.x; o.sy = p.y;
      placer.reserve(p.x - 8, p.y - 8, p.x + 8, p.y + 8);
      v.dir(isNaN(m.course) ? 0 : m.course, d);
      ctx.globalAlpha = o.gap ? 0.4 : 1;
      arrow(ctx, p.x, p.y, d.x, d.y, 20, 7);
      ctx.fillStyle = b.entered ? b.color : GREY; ctx.fill();
      ctx.strokeStyle = "rgba(0,0,0,0.6)"; ctx.lineWidth = 1; ctx.stroke();
      if (k === app.follow) {
        ctx.strokeStyle = "#fff"; ctx.lineWidth = 2;
        ctx.beginPath(); ctx.arc(p.x, p.y, 15, 0, 2 * Math.PI); ctx.stroke();
      }
    }
    ctx.globalAlpha = 1;
    labels.order(n, app.follow, ranks, 3, order);
    for (var j = 0; j < order.length; j++) {
      var bb = r.boats[order[j]], oo = app.samples[order[j]];
      if (!oo.visible || !bb.shown || !bb.name) continue;
      var full = sprite(bb, app.dpr, false), short = sprite(bb, app.dpr, true);
      var how = labels.placeBoat(placer, oo.sx, oo.sy, full.w, LABEL_H, short ? short.w : 0, q);
      if (!how) continue;
      var img = how === 1 ? full : short;
      ctx.globalAlpha = oo.gap ? 0.4 : 1;
      ctx.drawImage(img.canvas, q.x, q.y, img.w, LABEL_H);
    }
    ctx.globalAlpha = 1;
  }

  // The clock, the compass and wind roses and the scale bar: no label goes under them.
  function reserveOverlays(pl, app) {
    var v = app.view, hide = app.covered;
    pl.reserve(v.w - 130, 12, v.w, 152);
    pl.reserve(0, v.h - 40, 200, v.h);
    if (hide) pl.reserve(0, hide.top, hide.right, hide.bottom);
    if (speedScale(app)) pl.reserve(v.w - LEGEND_W - 56, v.h - 46, v.w, v.h);
  }

  // The speed colours' scale, bottom right, its edges in knots.
  var LEGEND_W = 8 * 24;
  function legend(ctx, app) {
    var scale = speedScale(app), v = app.view;
    if (!scale) return;
    var x0 = v.w - LEGEND_W - 42, y0 = v.h - 38, step = LEGEND_W / tracks.BINS, e = tracks.edges(scale);
    var digits = scale.hi - scale.lo < 4 ? 1 : 0;
    ctx.fillStyle = "rgba(255,255,255,0.8)"; ctx.fillRect(x0 - 12, y0 - 6, LEGEND_W + 48, 40);
    for (var j = 0; j < tracks.BINS; j++) { ctx.fillStyle = tracks.COLOURS[j]; ctx.fillRect(x0 + j * step, y0, step, 10); }
    ctx.font = FONT; ctx.fillStyle = INK; ctx.textAlign = "center"; ctx.textBaseline = "top";
    for (j = 0; j < tracks.BINS; j += 2) ctx.fillText(e[j].toFixed(digits), x0 + j * step, y0 + 13);
    ctx.textAlign = "right";
    ctx.fillText(e[tracks.BINS].toFixed(digits) + " " + i18n.t("kn"), x0 + LEGEND_W + 32, y0 + 13);
    ctx.textAlign = "left"; ctx.textBaseline = "alphabetic";
  }

  var gridWidths = {};
  function gridText(ctx, app) {
    var v = app.view, r = app.race;
    ctx.font = FONT;
    var width = function (t) {
      if (!(t in gridWidths)) gridWidths[t] = ctx.measureText(t).width;
      return gridWidths[t];
    };
    placer.clear(v.w, v.h);
    reserveOverlays(placer, app);
    ctx.fillStyle = INK; ctx.textBaseline = "top";
    var lines = gridLines(r, v).map(function (g) { return { text: g.text, lat: g.lat, x: g.x0, y: g.y0 }; });
    labels.placeGrid(lines, placer, width, 14).forEach(function (g) { ctx.fillText(g.text, g.x, g.y + 1); });
    ctx.textBaseline = "alphabetic";
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
    if (!r) { ctx.fillStyle = WATER; ctx.fillRect(0, 0, v.w, v.h); return; }
    var layer = background(ctx, app);
    gridText(ctx, app);
    if (app.tail > 0) tails(ctx, app, layer && layer.baked);
    manoeuvreMarks(ctx, app, layer && layer.marked);
    boats(ctx, app);
    overlays(ctx, app);
    legend(ctx, app);
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

  var draw = { frame: frame, hit: hit, clip: clip, gridLines: gridLines };
  Tack.draw = draw;
  if (typeof module !== "undefined") module.exports = draw;
})(typeof window !== "undefined" ? window : globalThis);
