// The strip of charts under the map: distance behind the leader and speed over
// the race, for a few boats, with a line at the replay clock. Drawn by uPlot
// (vendor/uplot/); the choice of boats and the data arrays are plain functions
// that node tests run.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var D = Tack.data, T = Tack.i18n;

  var LEADERS = 3;
  // Tick steps for the time axis (seconds). Page times are local seconds as if UTC,
  // so multiples of 60 and 3600 fall on whole minutes and hours of the race's clock.
  var INCRS = [10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400];
  var FIELDS = [{ key: "behind", title: "chartBehind" }, { key: "speed", title: "chartSpeed" }];

  // Sample of r.an at local time t: the last one at or before it, -1 before the first.
  function sampleAt(an, t) {
    if (!an || !an.n || !(t >= an.from)) return -1;
    return Math.min(an.n - 1, Math.floor((t - an.from) / an.step));
  }

  // The boats charted when the user has chosen none: the followed boat, then the
  // best LEADERS by rank at t (ties by distance behind, then the race's order).
  function pick(an, t, follow, leaders) {
    var i = sampleAt(an, t), out = follow >= 0 ? [follow] : [], top = [];
    if (i < 0) return out;
    var n = leaders === undefined ? LEADERS : leaders;
    var before = function (a, b) {
      var ra = an.rank[a][i], rb = an.rank[b][i];
      if (ra !== rb) return ra < rb;
      var ba = an.behind[a][i], bb = an.behind[b][i];
      if (ba !== bb && !(isNaN(ba) && isNaN(bb))) return isNaN(bb) || ba < bb;
      return a < b;
    };
    for (var k = 0; k < an.rank.length; k++) {
      if (k === follow || !(an.rank[k][i] > 0)) continue;
      var at = top.length;
      while (at > 0 && before(k, top[at - 1])) at--;
      if (at < n) { top.splice(at, 0, k); if (top.length > n) top.pop(); }
    }
    return out.concat(top);
  }

  function times(an) {
    var xs = new Array(an.n);
    for (var i = 0; i < an.n; i++) xs[i] = an.from + i * an.step;
    return xs;
  }
  // One boat's values of an.behind or an.speed, NaN made null: uPlot leaves a gap there.
  function values(an, key, k) {
    var src = an[key][k], ys = new Array(an.n);
    for (var i = 0; i < an.n; i++) ys[i] = src && i < src.length && !isNaN(src[i]) ? src[i] : null;
    return ys;
  }
  // uPlot's data for `boats`: [times, values of each boat].
  function series(an, key, boats) {
    return [times(an)].concat(boats.map(function (k) { return values(an, key, k); }));
  }

  function tickText(sec, step) {
    var s = D.fmtDay(sec);
    return step < 60 ? s : s.slice(0, 5);
  }

  function Charts() {
    this.app = null; this.race = null; this.an = null; this.shown = false;
    this.chosen = []; this.manual = null; this.plots = []; this.lines = [];
    this.key = ""; this.cursor = null; this.cache = null; this.doc = null;
  }

  Charts.prototype.attach = function (app) {
    var self = this, doc = this.doc = root.document;
    this.app = app;
    this.section = doc.getElementById("charts");
    this.holders = FIELDS.map(function (f) { return doc.getElementById("chart-" + f.key); });
    this.add = doc.getElementById("chart-add");
    this.list = doc.getElementById("chart-chosen");
    this.add.addEventListener("change", function () {
      var k = self.add.value === "" ? -1 : +self.add.value;
      self.add.value = "";
      if (k >= 0) self.toggleBoat(k);
    });
    if (root.ResizeObserver) {
      var seen = new root.ResizeObserver(function () { self.fitSize(); });
      this.holders.forEach(function (h) { seen.observe(h); });
    }
  };

  Charts.prototype.show = function (race) {
    var an = race && race.an;
    this.race = race;
    this.an = an && an.n > 0 && an.behind && an.speed && an.rank ? an : null;
    this.shown = !!this.an;
    this.section.hidden = !this.shown;
    this.manual = null; this.chosen = []; this.key = ""; this.cursor = null; this.last = "";
    this.cache = this.shown ? { xs: times(this.an), behind: [], speed: [] } : null;
    this.destroy();
    if (this.shown) this.fillChooser();
  };

  Charts.prototype.destroy = function () {
    this.plots.forEach(function (u) { u.destroy(); });
    this.plots = []; this.lines = [];
  };

  // Called with the boat table: rebuilds only when the boats change, else moves the clock line.
  Charts.prototype.update = function (app) {
    if (!this.shown) return;
    var i = sampleAt(this.an, app.time), at = i + ":" + app.follow;
    if (this.manual === null && at !== this.last) {
      this.last = at;
      this.choose(pick(this.an, app.time, app.follow));
    }
    // The followed boat's line is drawn thicker.
    if (!this.plots.length || this.followed !== app.follow) this.build();
    this.moveCursor(app.time);
  };

  // Making a chart costs ten times drawing it again (20 ms against 2 under load), so
  // when the leaders change while playing, the same number of lines takes the new
  // boats' data and colours; only another count or another followed boat rebuilds.
  // Boats that only change places change nothing.
  Charts.prototype.choose = function (boats) {
    var key = boats.slice().sort(function (a, b) { return a - b; }).join(",");
    if (key === this.key && this.plots.length) return;
    var refill = this.plots.length && boats.length === this.chosen.length && this.manual === null &&
      this.followed === this.app.follow;
    this.chosen = boats; this.key = key;
    if (refill) this.refill(); else this.build();
    this.markChooser();
  };

  Charts.prototype.refill = function () {
    var self = this, r = this.race;
    this.colors = [null].concat(this.chosen.map(function (k) { return r.boats[k].color; }));
    this.plots.forEach(function (u, j) {
      u.setData([self.cache.xs].concat(self.chosen.map(function (k) { return self.column(FIELDS[j].key, k); })));
    });
  };

  Charts.prototype.toggleBoat = function (k) {
    var r = this.race;
    if (!r || !(k >= 0 && k < r.boats.length)) throw new Error("no boat " + k);
    var list = (this.manual || this.chosen).slice(), at = list.indexOf(k);
    if (at >= 0) list.splice(at, 1); else list.push(k);
    this.manual = list;
    if (this.shown) this.choose(list); else this.chosen = list;
  };

  Charts.prototype.boats = function () { return this.chosen.slice(); };

  Charts.prototype.state = function () {
    var r = this.race;
    return { shown: this.shown, boats: this.chosen.map(function (k) { return r.boats[k].name; }),
      cursor: this.shown ? this.cursor : null };
  };

  Charts.prototype.column = function (key, k) {
    var c = this.cache[key];
    return c[k] || (c[k] = values(this.an, key, k));
  };

  Charts.prototype.build = function () {
    var self = this, r = this.race, app = this.app, uPlot = root.uPlot;
    this.destroy();
    this.followed = app.follow;
    this.cursor = null;
    var x0 = r.from, x1 = Math.max(r.to, r.from + 1);
    var stroke = function (u, i) { return self.colors[i]; };
    this.colors = [null].concat(this.chosen.map(function (k) { return r.boats[k].color; }));
    this.plots = FIELDS.map(function (f, j) {
      var holder = self.holders[j];
      var opts = {
        width: Math.max(1, holder.clientWidth), height: Math.max(1, holder.clientHeight),
        legend: { show: false },
        cursor: { y: false, points: { show: false }, drag: { x: false, y: false, setScale: false }, sync: { key: "tack-charts" } },
        scales: {
          x: { time: false, range: function () { return [x0, x1]; } },
          y: { range: function (u, lo, hi) { return [0, hi > 0 ? hi * 1.05 : 1]; } }
        },
        axes: [
          { stroke: "#a9c1d4", font: "11px system-ui, sans-serif", size: 22, space: 70, incrs: INCRS, gap: 3,
            grid: { stroke: "rgba(169, 193, 212, 0.12)", width: 1 }, ticks: { stroke: "rgba(169, 193, 212, 0.3)", width: 1, size: 4 },
            values: function (u, splits, ax, space, incr) { return splits.map(function (s) { return tickText(s, incr); }); } },
          { stroke: "#a9c1d4", font: "11px system-ui, sans-serif", size: 44, space: 24, gap: 3,
            grid: { stroke: "rgba(169, 193, 212, 0.12)", width: 1 }, ticks: { show: false } }
        ],
        series: [{}].concat(self.chosen.map(function (k) {
          var b = r.boats[k];
          return { label: b.name, stroke: stroke, width: k === app.follow ? 2.5 : 1.25, points: { show: false } };
        }))
      };
      var data = [self.cache.xs].concat(self.chosen.map(function (k) { return self.column(f.key, k); }));
      var u = new uPlot(opts, data, holder);
      var line = self.doc.createElement("div");
      line.className = "chart-clock";
      u.over.appendChild(line);
      self.lines.push(line);
      self.seekOn(u);
      return u;
    });
    this.moveCursor(app.time);
  };

  // A press or a drag on a chart takes the replay to that time.
  Charts.prototype.seekOn = function (u) {
    var app = this.app, r = this.race, over = u.over;
    function go(e) {
      var t = Math.round(u.posToVal(e.clientX - over.getBoundingClientRect().left, "x"));
      if (app.stopLoop) app.stopLoop();
      app.seek(Math.min(Math.max(t, r.from), r.to));
    }
    over.addEventListener("pointerdown", function (e) {
      if (e.button !== 0) return;
      over.setPointerCapture(e.pointerId);
      go(e);
    });
    over.addEventListener("pointermove", function (e) { if (over.hasPointerCapture(e.pointerId)) go(e); });
  };

  // The clock line: a box as wide as the plot whose left edge is the line, moved by a
  // transform in percent of its own width. No chart redraws, uPlot's cursor stays free
  // to follow the pointer, and a resize needs nothing (uPlot lays out its plot later).
  Charts.prototype.moveCursor = function (t) {
    if (t === this.cursor || !this.plots.length) return;
    this.cursor = t;
    var r = this.race, f = Math.min(Math.max((t - r.from) / Math.max(r.to - r.from, 1), 0), 1);
    var move = "translateX(" + (f * 100).toFixed(3) + "%)";
    for (var j = 0; j < this.lines.length; j++) this.lines[j].style.transform = move;
  };

  Charts.prototype.fitSize = function () {
    for (var j = 0; j < this.plots.length; j++) {
      var h = this.holders[j], w = h.clientWidth, ht = h.clientHeight, u = this.plots[j];
      if (w > 0 && ht > 0 && (w !== u.width || ht !== u.height)) u.setSize({ width: w, height: ht });
    }
  };

  // The chooser lists every boat: picking one adds it, or takes it off when charted.
  Charts.prototype.fillChooser = function () {
    var doc = this.doc, add = this.add;
    while (add.options.length > 1) add.remove(1);
    this.race.boats.forEach(function (b, k) {
      var o = doc.createElement("option");
      o.value = String(k); o.textContent = b.name; o.style.color = b.color;
      add.appendChild(o);
    });
    this.markChooser();
  };

  Charts.prototype.markChooser = function () {
    var self = this, doc = this.doc, r = this.race, list = this.list;
    if (!this.shown) return;
    for (var o = 1; o < this.add.options.length; o++) {
      var k = o - 1, on = this.chosen.indexOf(k) >= 0;
      this.add.options[o].textContent = (on ? "\u2713 " : "") + r.boats[k].name;
    }
    list.textContent = "";
    this.chosen.forEach(function (k) {
      var li = doc.createElement("li"), sw = doc.createElement("span");
      sw.className = "swatch"; sw.style.background = r.boats[k].color;
      li.appendChild(sw); li.appendChild(doc.createTextNode(r.boats[k].name));
      li.title = T.t("chartRemove"); li.setAttribute("data-i18n-title", "chartRemove");
      li.addEventListener("click", function () { self.toggleBoat(k); });
      list.appendChild(li);
    });
  };

  var charts = new Charts();
  charts.pick = pick; charts.series = series; charts.sampleAt = sampleAt; charts.tickText = tickText;
  Tack.charts = charts;
  if (typeof module !== "undefined") module.exports = charts;
})(typeof window !== "undefined" ? window : globalThis);
