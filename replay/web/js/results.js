// Finish times, corrected times and ranks; must agree with tackedit-cli results.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var data = Tack.data || require("./data.js");
  var M = data.M_PER_DEG;

  function cross(ax, ay, bx, by) { return ax * by - ay * bx; }
  function sgn(v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }
  function orient(ax, ay, bx, by, cx, cy) { return sgn(cross(bx - ax, by - ay, cx - ax, cy - ay)); }
  function within(a, b, c) { return Math.min(a, b) <= c && c <= Math.max(a, b); }
  function onSeg(ax, ay, bx, by, cx, cy) { return within(ax, bx, cx) && within(ay, by, cy); }

  function segDist(px, py, ax, ay, bx, by) {
    var dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
    var u = l2 ? Math.max(0, Math.min(1, ((px - ax) * dx + (py - ay) * dy) / l2)) : 0;
    return Math.hypot(px - ax - u * dx, py - ay - u * dy);
  }

  // Position along p→q where it meets a→b, or -1 when they do not meet; touching counts.
  function meet(px, py, qx, qy, ax, ay, bx, by) {
    var o1 = orient(px, py, qx, qy, ax, ay), o2 = orient(px, py, qx, qy, bx, by);
    var o3 = orient(ax, ay, bx, by, px, py), o4 = orient(ax, ay, bx, by, qx, qy);
    var hit = (o1 !== o2 && o3 !== o4) ||
      (o1 === 0 && onSeg(px, py, qx, qy, ax, ay)) || (o2 === 0 && onSeg(px, py, qx, qy, bx, by)) ||
      (o3 === 0 && onSeg(ax, ay, bx, by, px, py)) || (o4 === 0 && onSeg(ax, ay, bx, by, qx, qy));
    if (!hit) return -1;
    var rx = qx - px, ry = qy - py, sx = bx - ax, sy = by - ay, den = cross(rx, ry, sx, sy);
    if (den !== 0) return Math.max(0, Math.min(1, cross(ax - px, ay - py, sx, sy) / den));
    // Collinear: the first point of the overlap along the boat's way.
    var rr = rx * rx + ry * ry;
    if (!rr) return 0;
    var ua = ((ax - px) * rx + (ay - py) * ry) / rr, ub = ((bx - px) * rx + (by - py) * ry) / rr;
    return Math.max(0, Math.min(1, Math.min(ua, ub)));
  }

  function isNumberEntry(e) { return /^\s*\d+\s*$/.test(String(e)); }
  // A race made in code may give only its placed marks and lines.
  function count(v, list) { return Math.max(typeof v === "number" && isFinite(v) ? v : 0, (list || []).length); }

  // What a course entry names, as tackedit reads it: "mark", "S", "F", or null for nothing the race holds.
  function entryKind(race, e) {
    var text = String(e).trim(), lines = count(race.lineCount, race.lines);
    if (/^[sSfF]$/.test(text)) return lines ? text.toUpperCase() : null;
    if (!isNumberEntry(text)) return null;
    var k = parseInt(text, 10);
    return k >= 1 && k <= count(race.markCount, race.marks) ? "mark" : null;
  }

  // The first course entry naming nothing the race holds, told; null when there is none.
  function unnamedEntry(race) {
    var course = race.course || [];
    for (var i = 0; i < course.length; i++) {
      if (entryKind(race, course[i])) continue;
      var text = String(course[i]).trim(), named = "the course's entry " + (i + 1) + ", '" + course[i] + "', ";
      if (/^[sSfF]$/.test(text)) return named + "names a line, but the race has no LN line";
      if (isNumberEntry(text))
        return named + "names no mark: the race has " + count(race.markCount, race.marks) + " MK lines";
      return named + "is no mark number, S or F";
    }
    return null;
  }

  // Why the race has no results; null when it has them.
  function whyNone(race) {
    var course = race.course || [], lines = race.lines || [], unnamed = unnamedEntry(race);
    if (unnamed !== null) return unnamed;
    if (!lines.length || !course.length || entryKind(race, course[course.length - 1]) !== "F")
      return "the course does not end with F at a line (CRS and LN lines)";
    return null;
  }

  function compute(race) {
    var course = race.course || [], lines = race.lines || [];
    if (whyNone(race) !== null) return [];
    var fl = lines[lines.length - 1], sl = lines[0];
    var lat0 = (fl.lat1 + fl.lat2) / 2, lon0 = (fl.lon1 + fl.lon2) / 2, kx = Math.cos(lat0 * Math.PI / 180) * M;
    function X(lon) { return (lon - lon0) * kx; }
    function Y(lat) { return (lat - lat0) * M; }
    var fax = X(fl.lon1), fay = Y(fl.lat1), fbx = X(fl.lon2), fby = Y(fl.lat2);
    var sax = X(sl.lon1), say = Y(sl.lat1), sbx = X(sl.lon2), sby = Y(sl.lat2);
    var side = 0;
    for (var c = 0; c < course.length; c++) {
      if (entryKind(race, course[c]) !== "mark") continue;
      // By its number: a mark left out as lying near no track is not in the list.
      var label = String(parseInt(course[c], 10)), mk = (race.marks || []).filter(function (m) {
        return String(m.label) === label;
      })[0];
      if (mk) { side = sgn(cross(sbx - sax, sby - say, X(mk.lon) - sax, Y(mk.lat) - say)); break; }
    }

    var rows = [];
    race.boats.forEach(function (b) {
      if (!b.entered) return;
      var s = race.start + b.startOffset, n = b.n, t = b.t, away = false, tc = null, px = 0, py = 0;
      for (var i = 0; i < n; i++) {
        var x = X(b.lon[i] / 1e6), y = Y(b.lat[i] / 1e6);
        if (i > 0 && t[i] > s && away) {
          var u = meet(px, py, x, y, fax, fay, fbx, fby);
          if (u >= 0) {
            var cand = t[i - 1] + u * (t[i] - t[i - 1]);
            if (cand >= s) { tc = cand; break; }
          }
        }
        if (t[i] >= s && segDist(x, y, fax, fay, fbx, fby) >= 100) away = true;
        px = x; py = y;
      }
      var ocs = false;
      if (side && n && s >= t[0] && s <= t[n - 1]) {
        var j = data.indexAt(t, n, s), f = j < n - 1 ? (s - t[j]) / (t[j + 1] - t[j]) : 0;
        var la = j < n - 1 ? (b.lat[j] + f * (b.lat[j + 1] - b.lat[j])) / 1e6 : b.lat[j] / 1e6;
        var lo = j < n - 1 ? (b.lon[j] + f * (b.lon[j + 1] - b.lon[j])) / 1e6 : b.lon[j] / 1e6;
        ocs = sgn(cross(sbx - sax, sby - say, X(lo) - sax, Y(la) - say)) === side;
      }
      var tcf = b.tcf || 1, row = { name: b.name, finish: null, elapsed: null, corrected: null, rank: null,
        status: ocs ? "OCS" : tc === null ? "DNF" : "OK", finishTime: tc };
      if (tc !== null) {
        row.finish = data.fmtTime(Math.round(tc));
        row.elapsed = Math.round((tc - s) * 10) / 10;
        row.corrected = Math.round((tc - s) * tcf * 10) / 10;
      }
      rows.push(row);
    });
    rank(rows);
    var order = { OK: 0, OCS: 1, DNF: 2 };
    return rows.map(function (r, i) { return [r, i]; }).sort(function (a, b) {
      var d = order[a[0].status] - order[b[0].status];
      if (!d && a[0].status === "OK") d = a[0].rank - b[0].rank;
      return d || a[1] - b[1];
    }).map(function (p) { return p[0]; });
  }

  // Equal corrected times share a rank (1, 2, 2, 4).
  function rank(rows) {
    var ok = rows.filter(function (r) { return r.status === "OK"; });
    ok.forEach(function (r) {
      r.rank = 1 + ok.filter(function (o) { return o.corrected < r.corrected; }).length;
    });
    return rows;
  }

  var results = { compute: compute, whyNone: whyNone, unnamedEntry: unnamedEntry, rank: rank, meet: meet };
  Tack.results = results;
  if (typeof module !== "undefined") module.exports = results;
})(typeof window !== "undefined" ? window : globalThis);
