// Race data: track decoding, positions at a time, time formats.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};

  var GAP = 60;          // seconds between fixes beyond which a boat is not moved
  var M_PER_DEG = 111120; // 1852 m × 60
  var LUT = new Int8Array(256).fill(-1);
  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/".split("").forEach(function (c, i) {
    LUT[c.charCodeAt(0)] = i;
  });

  function base64Bytes(s) {
    var out = new Uint8Array(Math.floor(s.length * 3 / 4) + 3), o = 0, acc = 0, bits = 0;
    for (var i = 0; i < s.length; i++) {
      var c = s.charCodeAt(i);
      if (c === 61) break; // '=' padding ends the data
      var v = c < 256 ? LUT[c] : -1;
      if (v < 0) {
        if (c === 32 || c === 10 || c === 13 || c === 9) continue;
        throw new Error("invalid base64 character at offset " + i);
      }
      acc = ((acc & 0xffff) << 6) | v;
      bits += 6;
      if (bits >= 8) { bits -= 8; out[o++] = (acc >> bits) & 255; }
    }
    return out.subarray(0, o);
  }

  // Decodes what it can: a damaged track keeps the fixes before the damage and says where it broke.
  function decodeTrack(b64, fixes) {
    var bytes = base64Bytes(b64 || ""), len = bytes.length, p = 0;
    var cap = fixes >= 0 ? Math.floor(fixes) : Math.floor(len / 3) + 1;
    var t = new Float64Array(cap), lat = new Int32Array(cap), lon = new Int32Array(cap);
    var n = 0, error = null, tt = 0, la = 0, lo = 0;
    function uv() {
      var v = 0, m = 1, b;
      do {
        if (p >= len) throw new Error("data ends early");
        if (m > 9.3e18) throw new Error("number too long");
        b = bytes[p++];
        v += (b & 127) * m;
        m *= 128;
      } while (b & 128);
      return v;
    }
    function zz(u) { return u % 2 ? -(u + 1) / 2 : u / 2; }
    try {
      while (n < cap && (fixes >= 0 || p < len)) {
        if (n === 0) { tt = zz(uv()); la = zz(uv()); lo = zz(uv()); }
        else {
          var dt = uv();
          if (dt < 1) throw new Error("time does not advance");
          tt += dt; la += zz(uv()); lo += zz(uv());
        }
        if (la < -90e6 || la > 90e6 || lo < -180e6 || lo > 180e6) throw new Error("position out of range");
        t[n] = tt; lat[n] = la; lon[n] = lo; n++;
      }
      if (p < len) error = "data left after fix " + n;
    } catch (e) {
      error = e.message + " at fix " + (n + 1);
    }
    return { n: n, t: t.subarray(0, n), lat: lat.subarray(0, n), lon: lon.subarray(0, n), error: error };
  }

  function num(v, d) { return typeof v === "number" && isFinite(v) ? v : d; }

  // A relative path of file names as a URL: "?", "#" or "%" in a name is part of the name.
  function fileUrl(path) { return String(path).split("/").map(encodeURIComponent).join("/"); }

  function prepareRace(raw) {
    var r = {
      raw: raw, file: String(raw.file || ""), title1: raw.title1 || "", title2: raw.title2 || "",
      start: num(raw.start, 0), finish: num(raw.finish, null), magVar: num(raw.magVar, 0),
      speedPre: num(raw.playSpeedPre, 1) > 0 ? raw.playSpeedPre : 1,
      speedAfter: num(raw.playSpeedAfter, 1) > 0 ? raw.playSpeedAfter : 1,
      northUp: num(raw.northUp, 0) > 0, marks: raw.marks || [], lines: raw.lines || [],
      markCount: num(raw.markCount, (raw.marks || []).length), lineCount: num(raw.lineCount, (raw.lines || []).length),
      course: raw.course || [], notes: (raw.notes || []).slice(),
      pictures: (raw.pictures || []).map(function (p) {
        return { src: String(p.src), url: p.url ? String(p.url) : fileUrl(p.src), time: num(p.time, 0) };
      }),
      wind: (raw.wind || []).slice().sort(function (a, b) { return a[0] - b[0]; }),
      land: raw.land || null, boats: [], timeDiff: num(raw.timeDiff, 0),
      view: Array.isArray(raw.view) && raw.view.length === 4 && raw.view.every(isFinite) ? raw.view : null
    };
    r.windTrue = num(raw.windDir, 0) + r.magVar;
    if (!raw.land && raw.landNote) r.notes.push(raw.landNote);
    var tMin = Infinity, tMax = -Infinity, la0 = Infinity, la1 = -Infinity, lo0 = Infinity, lo1 = -Infinity;
    (raw.boats || []).forEach(function (src) {
      var tr = decodeTrack(src.track, src.fixes);
      if (tr.error) r.notes.push((src.name || "?") + ": track damaged (" + tr.error + "); shown up to there");
      var b = {
        name: String(src.name || ""), color: src.color || "#888", shown: src.shown !== false,
        entered: src.entered !== false, tcf: num(src.tcf, 1), startOffset: num(src.startOffset, 0),
        n: tr.n, t: tr.t, lat: tr.lat, lon: tr.lon
      };
      for (var i = 0; i < b.n; i++) {
        if (b.lat[i] < la0) la0 = b.lat[i];
        if (b.lat[i] > la1) la1 = b.lat[i];
        if (b.lon[i] < lo0) lo0 = b.lon[i];
        if (b.lon[i] > lo1) lo1 = b.lon[i];
      }
      if (b.n) { tMin = Math.min(tMin, b.t[0]); tMax = Math.max(tMax, b.t[b.n - 1]); }
      r.boats.push(b);
    });
    r.marks.forEach(function (m) {
      la0 = Math.min(la0, m.lat * 1e6); la1 = Math.max(la1, m.lat * 1e6);
      lo0 = Math.min(lo0, m.lon * 1e6); lo1 = Math.max(lo1, m.lon * 1e6);
    });
    r.lat0 = isFinite(la0) ? (la0 + la1) / 2e6 : 0;
    r.lon0 = isFinite(lo0) ? (lo0 + lo1) / 2e6 : 0;
    r.kx = Math.cos(r.lat0 * Math.PI / 180) * M_PER_DEG;
    r.from = r.start + num(raw.replayFrom, NaN);
    r.to = r.start + num(raw.replayTo, NaN);
    if (!(r.to > r.from)) { // a window the file left out or got wrong: show every track instead
      r.from = isFinite(tMin) ? tMin : r.start;
      r.to = isFinite(tMax) ? Math.max(tMax, r.from + 1) : r.from + 3600;
    }
    r.boats.forEach(function (b) {
      b.x = new Float32Array(b.n); b.y = new Float32Array(b.n); b.cum = new Float64Array(b.n);
      for (var i = 0; i < b.n; i++) {
        b.x[i] = (b.lon[i] / 1e6 - r.lon0) * r.kx;
        b.y[i] = (b.lat[i] / 1e6 - r.lat0) * M_PER_DEG;
        if (i) b.cum[i] = b.cum[i - 1] + Math.hypot(b.x[i] - b.x[i - 1], b.y[i] - b.y[i - 1]) / 1852;
      }
    });
    r.landXY = r.land ? r.land.map(function (poly) {
      var a = new Float32Array(poly.length);
      for (var i = 0; i + 1 < poly.length; i += 2) {
        a[i] = (poly[i] - r.lon0) * r.kx; a[i + 1] = (poly[i + 1] - r.lat0) * M_PER_DEG;
      }
      return a;
    }) : null;
    r.shoreXY = r.landXY ? shoreRuns(r.land, r.landXY, raw.landBox) : null;
    r.results = Array.isArray(raw.results) ? raw.results : [];
    r.resultsNote = String(raw.resultsNote || "");
    r.an = null;
    try { r.an = decodeAnalysis(raw.analysis, r.boats.length); } catch (e) {
      r.notes.push("The race analysis is damaged (" + e.message + "); it is not shown");
    }
    return r;
  }

  // The fleet's ranking sampled every `step` seconds: per boat and sample a
  // byte whose bits 0-4 tell which of rank, metres behind, leg, speed (tenths
  // of a knot, plus one) and VMG (tenths) changed, then those changes as
  // zigzag varints; 0 stands for "none" in rank and speed.
  function decodeAnalysis(a, boats) {
    if (!a || typeof a !== "object") return null;
    var n = Math.max(0, Math.floor(num(a.count, 0))), an = {
      step: num(a.step, 10), from: num(a.from, 0), n: n, report: a.report || null,
      rank: [], behind: [], leg: [], speed: [], vmg: [], man: []
    };
    for (var k = 0; k < boats; k++) {
      var bytes = base64Bytes((a.samples || [])[k] || ""), p = 0, len = bytes.length, v = [0, 0, 0, 0, 0];
      var rank = new Int16Array(n), behind = new Float64Array(n), leg = new Int8Array(n);
      var speed = new Float64Array(n), vmg = new Float64Array(n);
      for (var i = 0; i < n; i++) {
        if (p >= len) throw new Error("samples of boat " + (k + 1) + " end early");
        var changed = bytes[p++];
        for (var j = 0; j < 5; j++) {
          if (!(changed & (1 << j))) continue;
          var u = 0, m = 1, b;
          do {
            if (p >= len) throw new Error("samples of boat " + (k + 1) + " end early");
            b = bytes[p++]; u += (b & 127) * m; m *= 128;
          } while (b & 128);
          v[j] += u % 2 ? -(u + 1) / 2 : u / 2;
        }
        rank[i] = v[0]; leg[i] = v[2];
        behind[i] = v[0] ? v[1] : NaN;
        speed[i] = v[3] ? (v[3] - 1) / 10 : NaN;
        vmg[i] = v[0] ? v[4] / 10 : NaN;
      }
      an.rank.push(rank); an.behind.push(behind); an.leg.push(leg); an.speed.push(speed); an.vmg.push(vmg);
      an.man.push(((a.manoeuvres || [])[k] || []).map(function (m) {
        return { t: m[0], tack: m[1] === 1, lossM: m[2], lossS: m[3] };
      }));
    }
    return an;
  }

  // The fleet's figures for boat k at local time t: rank and leg from the last
  // sample at or before it, the others between the two samples around it.
  function liveAt(r, k, t, out) {
    out = out || {};
    var an = r.an;
    out.rank = null; out.behind = null; out.leg = 0; out.speed = null; out.vmg = null;
    if (!an || !an.n || !an.rank[k]) return out;
    var x = (t - an.from) / an.step;
    if (!(x >= 0)) return out;
    var i = Math.min(Math.floor(x), an.n - 1), f = i + 1 < an.n ? x - i : 0, j = f > 0 ? i + 1 : i;
    var mix = function (a) {
      var v = a[i], w = a[j];
      return isNaN(v) ? null : isNaN(w) ? v : v + f * (w - v);
    };
    out.leg = an.leg[k][i];
    if (an.rank[k][i]) { out.rank = an.rank[k][i]; out.behind = mix(an.behind[k]); out.vmg = mix(an.vmg[k]); }
    out.speed = mix(an.speed[k]);
    return out;
  }

  // The polygons' runs along the shore: the sides laid along the box where the
  // land was cut are no coast and get no stroke.
  function shoreRuns(land, xy, box) {
    var runs = [];
    var cut = function (poly, i, j) {
      if (!box || box.length !== 4) return false;
      var near = function (a, b) { return Math.abs(a - b) < 1e-7; };
      var lo1 = poly[i], la1 = poly[i + 1], lo2 = poly[j], la2 = poly[j + 1];
      return (near(la1, box[0]) && near(la2, box[0])) || (near(la1, box[2]) && near(la2, box[2])) ||
        (near(lo1, box[1]) && near(lo2, box[1])) || (near(lo1, box[3]) && near(lo2, box[3]));
    };
    land.forEach(function (poly, k) {
      var a = xy[k], n = a.length >> 1, run = [];
      for (var v = 0; v < n; v++) {
        var w = (v + 1) % n;
        if (cut(poly, 2 * v, 2 * w)) {
          if (run.length) runs.push(Float32Array.from(run));
          run = [];
          continue;
        }
        if (!run.length) run.push(a[2 * v], a[2 * v + 1]);
        run.push(a[2 * w], a[2 * w + 1]);
      }
      if (run.length) runs.push(Float32Array.from(run));
    });
    return runs;
  }

  function planar(r, lat, lon, out) {
    out.x = (lon - r.lon0) * r.kx; out.y = (lat - r.lat0) * M_PER_DEG;
    return out;
  }

  // Largest i with t[i] <= time, or -1.
  function indexAt(t, n, time) {
    var lo = 0, hi = n - 1;
    if (n === 0 || time < t[0]) return -1;
    while (lo < hi) {
      var mid = (lo + hi + 1) >> 1;
      if (t[mid] <= time) lo = mid; else hi = mid - 1;
    }
    return lo;
  }

  function place(o, b, i, f) {
    o.i = i; o.f = f;
    if (f === 0) {
      o.lat = b.lat[i] / 1e6; o.lon = b.lon[i] / 1e6; o.x = b.x[i]; o.y = b.y[i]; o.dist = b.cum[i];
    } else {
      o.lat = (b.lat[i] + f * (b.lat[i + 1] - b.lat[i])) / 1e6;
      o.lon = (b.lon[i] + f * (b.lon[i + 1] - b.lon[i])) / 1e6;
      o.x = b.x[i] + f * (b.x[i + 1] - b.x[i]); o.y = b.y[i] + f * (b.y[i + 1] - b.y[i]);
      o.dist = b.cum[i] + f * (b.cum[i + 1] - b.cum[i]);
    }
    return o;
  }

  function newSample() { return { visible: false, gap: false, i: -1, f: 0, lat: NaN, lon: NaN, x: NaN, y: NaN, dist: 0 }; }

  // Where the boat is at `time`; fills `o` so the frame loop allocates nothing.
  function sample(b, time, o) {
    var t = b.t, n = b.n;
    o.gap = false;
    if (n === 0) { o.visible = false; o.i = -1; o.lat = o.lon = o.x = o.y = NaN; o.dist = 0; return o; }
    if (time < t[0]) { o.visible = false; place(o, b, 0, 0); o.dist = 0; return o; }
    if (time > t[n - 1]) { o.visible = false; return place(o, b, n - 1, 0); }
    o.visible = true;
    var i = indexAt(t, n, time);
    if (i === n - 1 || t[i] === time) return place(o, b, i, 0);
    if (t[i + 1] - t[i] > GAP) { o.gap = true; return place(o, b, i, 0); }
    return place(o, b, i, (time - t[i]) / (t[i + 1] - t[i]));
  }

  var back = newSample(), atStart = newSample();
  // Speed (knots) and course (degrees true) over the last 10 s, distance (NM) since the race start.
  function motion(r, b, time, cur, out) {
    out.speed = 0; out.course = NaN; out.dist = 0;
    if (!b.n || time < b.t[0]) return out;
    var t1 = Math.max(time - 10, b.t[0]);
    sample(b, t1, back);
    if (time > t1) out.speed = (cur.dist - back.dist) / (time - t1) * 3600;
    var dx = cur.x - back.x, dy = cur.y - back.y, i = cur.i;
    // Standing still or held in a gap: the heading of the nearest segment sailed.
    if (Math.hypot(dx, dy) < 1) {
      var j = i + 1 < b.n && b.t[i + 1] - b.t[i] <= GAP ? i : i > 0 && b.t[i] - b.t[i - 1] <= GAP ? i - 1 : -1;
      if (j >= 0) { dx = b.x[j + 1] - b.x[j]; dy = b.y[j + 1] - b.y[j]; }
    }
    if (dx || dy) out.course = (Math.atan2(dx, dy) * 180 / Math.PI + 360) % 360;
    if (time > r.start) out.dist = cur.dist - sample(b, r.start, atStart).dist;
    return out;
  }

  function deg(a) { return ((a % 360) + 360) % 360; }

  // Wind at `time`: the last entry at or before it; without one, the file's direction.
  function windAt(r, time) {
    var w = r.wind, lo = 0, hi = w.length - 1, k = -1;
    while (lo <= hi) { var m = (lo + hi) >> 1; if (w[m][0] <= time) { k = m; lo = m + 1; } else hi = m - 1; }
    return k < 0 ? { dir: deg(r.windTrue), speed: null } : { dir: deg(w[k][1] + r.magVar), speed: w[k][2] };
  }

  function meanWind(r) {
    var sx = 0, sy = 0, k = 0;
    r.wind.forEach(function (w) {
      if (w[0] < r.from || w[0] > r.to) return;
      var a = (w[1] + r.magVar) * Math.PI / 180;
      sx += Math.sin(a); sy += Math.cos(a); k++;
    });
    if (!k || Math.hypot(sx, sy) < 1e-9 * k) return deg(r.windTrue);
    return deg(Math.atan2(sx, sy) * 180 / Math.PI);
  }

  function pad(v) { return v < 10 ? "0" + v : "" + v; }
  function fmtTime(sec) {
    var d = new Date(Math.floor(sec) * 1000);
    return d.getUTCFullYear() + "-" + pad(d.getUTCMonth() + 1) + "-" + pad(d.getUTCDate()) + " " +
      pad(d.getUTCHours()) + ":" + pad(d.getUTCMinutes()) + ":" + pad(d.getUTCSeconds());
  }
  function fmtDay(sec) { return fmtTime(sec).slice(11); }
  function parseTime(s) {
    var m = /^\s*(\d{4})-(\d\d)-(\d\d)[ T](\d\d):(\d\d):(\d\d)\s*$/.exec(String(s));
    if (!m) throw new Error("time \"" + s + "\" is not YYYY-MM-DD HH:MM:SS");
    var v = Date.UTC(+m[1], m[2] - 1, +m[3], +m[4], +m[5], +m[6]) / 1000;
    if (fmtTime(v) !== m.slice(1, 4).join("-") + " " + m.slice(4).join(":")) throw new Error("time \"" + s + "\" does not exist");
    return v;
  }
  function fmtDur(s) {
    var h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60, x = s % 60;
    return h ? h + ":" + pad(m) + ":" + pad(x) : m + ":" + pad(x);
  }
  // Countdown before the start, elapsed time after it.
  function fmtClock(r, time) {
    var d = Math.floor(time) - r.start;
    return d < 0 ? "\u2212" + fmtDur(-d) : fmtDur(d);
  }

  // "#t=2026-05-16T11:25:00Z&boat=NAME": the UTC instant (seconds, or null) and the boat's name (or null).
  function parseLink(hash) {
    var out = { t: null, boat: null };
    String(hash || "").replace(/^#/, "").split("&").forEach(function (part) {
      var eq = part.indexOf("="), key = eq < 0 ? part : part.slice(0, eq), value = eq < 0 ? "" : part.slice(eq + 1);
      try { value = decodeURIComponent(value); } catch (e) { return; }
      if (key === "boat" && value) out.boat = value;
      if (key !== "t") return;
      var m = /^(\d{4})-(\d\d)-(\d\d)[T ](\d\d):(\d\d)(?::(\d\d)(\.\d+)?)?(Z|[+-]\d\d:?\d\d)?$/i.exec(value.trim());
      if (!m) return;
      var v = Date.UTC(+m[1], m[2] - 1, +m[3], +m[4], +m[5], +(m[6] || 0)) / 1000;
      if (fmtTime(v) !== m[1] + "-" + m[2] + "-" + m[3] + " " + m[4] + ":" + m[5] + ":" + (m[6] || "00")) return;
      var z = m[8] && m[8].toUpperCase() !== "Z" ? m[8].replace(":", "") : "";
      if (z) v -= (z[0] === "-" ? -1 : 1) * (+z.slice(1, 3) * 3600 + +z.slice(3, 5) * 60);
      out.t = v + (m[7] ? +m[7] : 0);
    });
    return out;
  }

  // The address of a moment of the race (local page seconds) and the followed boat.
  function makeLink(r, time, boat) {
    var utc = Math.floor(time) - r.timeDiff * 3600;
    return "#t=" + fmtTime(utc).replace(" ", "T") + "Z" + (boat ? "&boat=" + encodeURIComponent(boat) : "");
  }

  var data = {
    GAP: GAP, M_PER_DEG: M_PER_DEG, base64Bytes: base64Bytes, decodeTrack: decodeTrack, prepareRace: prepareRace,
    fileUrl: fileUrl, decodeAnalysis: decodeAnalysis, liveAt: liveAt, planar: planar, indexAt: indexAt, sample: sample, newSample: newSample, motion: motion, windAt: windAt,
    meanWind: meanWind, parseLink: parseLink, makeLink: makeLink, fmtTime: fmtTime, fmtDay: fmtDay, parseTime: parseTime, fmtClock: fmtClock, deg: deg
  };
  Tack.data = data;
  if (typeof module !== "undefined") module.exports = data;
})(typeof window !== "undefined" ? window : globalThis);
