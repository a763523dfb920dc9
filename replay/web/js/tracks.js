// What the tracks show besides their boats' colours, from the race analysis: speed
// colours and the tacks and gybes. Worked out once per race, when first drawn.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var data = Tack.data || require("./data.js");

  // Slow blue to fast red; the ninth colour is for fixes with no speed (a gap, no analysis there).
  var COLOURS = ["#3b4cc0", "#4f7fe0", "#6aaee8", "#8fd3c6", "#c9e08a", "#f4c35a", "#ec7f3c", "#c8262b", "#8a9399"];
  var BINS = 8, UNKNOWN = 8;

  function quantile(sorted, q) { return sorted[Math.min(sorted.length - 1, Math.floor(q * (sorted.length - 1)))]; }

  // The colour scale of a race: the 5th to the 95th percentile of its analysed speeds (knots),
  // at least a knot wide; null when the analysis has no speed.
  function speedScale(an) {
    var all = [], k, i;
    if (!an || !an.speed) return null;
    for (k = 0; k < an.speed.length; k++)
      for (i = 0; i < an.speed[k].length; i++) if (isFinite(an.speed[k][i])) all.push(an.speed[k][i]);
    if (!all.length) return null;
    var s = Float64Array.from(all).sort(), lo = quantile(s, 0.05), hi = quantile(s, 0.95);
    if (hi - lo < 1) { var mid = (lo + hi) / 2; lo = Math.max(0, mid - 0.5); hi = lo + 1; }
    return { lo: lo, hi: hi };
  }

  // 0 (slowest) to BINS - 1; speeds beyond the scale go to its ends, no speed to UNKNOWN.
  function speedBin(kn, scale) {
    if (kn === null || !isFinite(kn)) return UNKNOWN;
    var b = Math.floor((kn - scale.lo) / (scale.hi - scale.lo) * BINS);
    return b < 0 ? 0 : b >= BINS ? BINS - 1 : b;
  }

  // Knots at the scale's edges, for the legend.
  function edges(scale) {
    var out = [];
    for (var j = 0; j <= BINS; j++) out.push(scale.lo + (scale.hi - scale.lo) * j / BINS);
    return out;
  }

  // Per race, kept on the race and dropped when its analysis is another one.
  function cache(r) {
    if (!r.trackCache || r.trackCache.an !== r.an) {
      r.trackCache = { an: r.an, scale: undefined, bins: [], man: [] };
    }
    return r.trackCache;
  }

  function scaleOf(r) {
    var c = cache(r);
    if (c.scale === undefined) c.scale = speedScale(r.an);
    return c.scale;
  }

  // The bin of each fix of boat k from the boat's smoothed speed then (data.liveAt, which
  // interpolates between the analysis's samples): the segment ending at a fix takes its colour.
  var live = {};
  function fixBins(r, k) {
    var c = cache(r), scale = scaleOf(r);
    if (c.bins[k]) return c.bins[k];
    var b = r.boats[k], out = new Uint8Array(b.n).fill(UNKNOWN);
    if (scale && data.liveAt) for (var i = 0; i < b.n; i++) out[i] = speedBin(data.liveAt(r, k, b.t[i], live).speed, scale);
    return (c.bins[k] = out);
  }

  // Boat k's tacks and gybes where its track puts the boat then, in time order:
  // {n, t, x, y (planar metres), tack (1 tack, 0 gybe)}. Those outside its track are left out.
  function manoeuvres(r, k) {
    var c = cache(r);
    if (c.man[k]) return c.man[k];
    var list = (r.an && r.an.man && r.an.man[k] || []).filter(function (m) { return m && isFinite(m.t); });
    list.sort(function (a, b) { return a.t - b.t; });
    var b = r.boats[k], o = data.newSample(), n = 0;
    var out = { n: 0, t: new Float64Array(list.length), x: new Float32Array(list.length),
      y: new Float32Array(list.length), tack: new Uint8Array(list.length) };
    list.forEach(function (m) {
      data.sample(b, m.t, o);
      if (!o.visible) return;
      out.t[n] = m.t; out.x[n] = o.x; out.y[n] = o.y; out.tack[n] = m.tack ? 1 : 0; n++;
    });
    out.n = n;
    return (c.man[k] = out);
  }

  var tracks = {
    COLOURS: COLOURS, BINS: BINS, UNKNOWN: UNKNOWN, speedScale: speedScale, speedBin: speedBin, edges: edges,
    scaleOf: scaleOf, fixBins: fixBins, manoeuvres: manoeuvres
  };
  Tack.tracks = tracks;
  if (typeof module !== "undefined") module.exports = tracks;
})(typeof window !== "undefined" ? window : globalThis);
