// The side panel: the leaderboard at the clock, one boat's race analysis and
// the results. Everything shown was worked out when the replay was built.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var D = Tack.data || require("./data.js"), T = Tack.i18n || require("./i18n.js");

  function el(doc, tag, cls, text) {
    var e = doc.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined && text !== null) e.textContent = text;
    return e;
  }
  function setText(td, s) { if (td.textContent !== s) td.textContent = s; }
  function fixed(v, digits) { return v === null || v === undefined || isNaN(v) ? "\u2013" : v.toFixed(digits); }
  function secs(s) {
    if (s === null || s === undefined) return "";
    var whole = Math.floor(s), tenth = Math.round((s - whole) * 10);
    if (tenth === 10) { whole++; tenth = 0; }
    return D.fmtClock({ start: 0 }, whole) + (tenth ? "." + tenth : "");
  }
  // A report time ("...Z") as the page's local seconds.
  function local(r, iso) { return iso ? Date.parse(iso) / 1000 + r.timeDiff * 3600 : null; }

  // The order of the leaderboard: racing boats by rank (then by distance
  // behind, across classes), the rest after them in the race's order.
  function boardOrder(live) {
    return live.map(function (x, k) { return k; }).sort(function (a, b) {
      var x = live[a], y = live[b];
      if ((x.rank === null) !== (y.rank === null)) return x.rank === null ? 1 : -1;
      if (x.rank !== null && x.rank !== y.rank) return x.rank - y.rank;
      if (x.rank !== null && x.behind !== y.behind) return (x.behind || 0) - (y.behind || 0);
      return a - b;
    });
  }

  // The share of a leg sailed with the wind over the starboard side.
  function onStarboard(l) {
    var both = (l.starboard_s || 0) + (l.port_s || 0);
    return l.starboard_s === null || l.starboard_s === undefined || !both ? "" : Math.round(100 * l.starboard_s / both) + "%";
  }

  function Panels(app, doc) {
    this.app = app; this.doc = doc; this.live = []; this.orderKey = ""; this.detailKey = "";
    this.resultsKey = "";
  }

  Panels.prototype.build = function () {
    var app = this.app, doc = this.doc, body = doc.getElementById("boats-body"), self = this;
    var r = app.race;
    body.textContent = "";
    this.live = r.boats.map(function () { return {}; });
    this.finishAt = r.boats.map(function (b, k) {
      var rep = r.an && r.an.report && r.an.report.boats[k];
      return rep && rep.finish ? local(r, rep.finish.at) : null;
    });
    this.legs = Math.max(0, r.course.length - 1);
    r.boats.forEach(function (b, k) {
      var tr = el(doc, "tr"), cells = [];
      ["num", "name", "num", "num", "num", "num"].forEach(function (cls) {
        var td = el(doc, "td", cls); tr.appendChild(td); cells.push(td);
      });
      var sw = el(doc, "span", "swatch");
      sw.style.background = b.entered ? b.color : "#8a9399";
      cells[1].appendChild(sw); cells[1].appendChild(doc.createTextNode(b.name));
      cells[1].title = b.name;
      b.cols = cells; b.row = tr;
      tr.addEventListener("click", function () { app.setFollow(app.follow === k ? -1 : k); });
      body.appendChild(tr);
    });
    this.orderKey = ""; this.detailKey = ""; this.resultsKey = "";
  };

  // Fills this.live at the clock; cheap, called by state() too.
  Panels.prototype.measure = function () {
    var app = this.app, r = app.race;
    for (var k = 0; k < r.boats.length; k++) {
      var x = D.liveAt(r, k, app.time, this.live[k]);
      if (!r.an) { // an older replay: the speed the tracks give
        var o = app.samples[k];
        x.speed = o.visible && !o.gap ? app.motions[k].speed : null;
      }
    }
    return this.live;
  };

  Panels.prototype.update = function () {
    var app = this.app, r = app.race, live = this.measure(), self = this;
    r.boats.forEach(function (b, k) {
      var x = live[k], c = b.cols, o = app.samples[k], done = self.finishAt[k] !== null && app.time >= self.finishAt[k];
      setText(c[0], x.rank === null ? "" : String(x.rank));
      setText(c[2], x.rank === null ? "\u2013" : done ? T.t("finished") : Math.round(x.behind) + "");
      setText(c[3], fixed(x.speed, 1));
      setText(c[4], done ? "" : fixed(x.vmg, 1));
      setText(c[5], x.leg > 0 ? (done ? "\u2713" : x.leg + "/" + self.legs) : "\u2013");
      b.row.classList.toggle("off", !o.visible || o.gap);
      b.row.classList.toggle("followed", k === app.follow);
    });
    var order = boardOrder(live), key = order.join(",");
    if (key !== this.orderKey) {
      this.orderKey = key;
      var body = this.doc.getElementById("boats-body");
      order.forEach(function (k) { body.appendChild(r.boats[k].row); });
    }
    this.leader = order.length && live[order[0]].rank !== null ? order[0] : -1;
    this.detail();
    this.results();
  };

  // The analysis of the followed boat, or of the leader when none is followed.
  Panels.prototype.detail = function () {
    var app = this.app, r = app.race, doc = this.doc, box = doc.getElementById("analysis");
    var rep = r.an && r.an.report, k = app.follow >= 0 ? app.follow : this.leader;
    var key = (rep ? k : "none") + ":" + T.lang + ":" + app.index;
    if (key === this.detailKey) return;
    this.detailKey = key;
    box.textContent = "";
    doc.getElementById("analysis-box").hidden = !rep;
    if (!rep) return;
    var head = el(doc, "p", "race-line");
    var bias = rep.race.line_bias_deg;
    head.textContent = T.t("route") + ": " + rep.race.course.join(" \u2192 ") +
      (bias === null || bias === undefined ? "" : " \u00b7 " + T.t("lineBias") + " " + bias.toFixed(0) + "\u00b0");
    box.appendChild(head);
    (rep.notes || []).forEach(function (n) { box.appendChild(el(doc, "p", "why", n)); });
    var b = rep.boats[k];
    if (!b) { box.appendChild(el(doc, "p", "why", T.t("pickBoat"))); return; }
    var title = el(doc, "h4", null, b.name + " \u2014 " + T.t("st_" + b.status));
    box.appendChild(title);
    if (b.status_reason) box.appendChild(el(doc, "p", "why", b.status_reason));
    var dl = el(doc, "dl"), add = function (label, value) {
      if (value === null || value === undefined || value === "") return;
      dl.appendChild(el(doc, "dt", null, T.t(label))); dl.appendChild(el(doc, "dd", null, value));
    };
    var s = b.start, clock = function (iso) { return iso ? D.fmtDay(Math.round(local(r, iso))) : ""; };
    add("lineDistance", s.distance_to_line_m === null ? null : s.distance_to_line_m.toFixed(1) + " m" +
      (s.over_at_gun ? " (" + T.t(s.returned ? "overReturned" : "over") + ")" : ""));
    add("speedAtGun", s.speed_kn === null ? null : s.speed_kn.toFixed(1) + " kn");
    add("crossed", s.crossed ? clock(s.crossed) + (s.late_s === null ? "" : " (+" + s.late_s.toFixed(1) + " s)") : null);
    add("linePosition", s.line_position_pct === null ? null : s.line_position_pct + " %");
    add("behindAtGun", s.behind_at_gun_m === null ? null : s.behind_at_gun_m.toFixed(0) + " m");
    add("behindMinute", s.behind_after_minute_m === null ? null : s.behind_after_minute_m.toFixed(0) + " m");
    if (b.finish) add("finish", clock(b.finish.at) + " \u00b7 " + secs(b.finish.elapsed_s) +
      (b.finish.rank ? " \u00b7 " + T.t("rank") + " " + b.finish.rank : ""));
    add("sailedNm", (b.sailed_m / 1852).toFixed(2) + " NM \u00b7 " + T.t("top") + " " + b.max_speed_kn.toFixed(1) + " kn");
    add("manoeuvres", b.tacks + " " + T.t("tacks") + " \u00b7 " + b.gybes + " " + T.t("gybes") +
      (b.fixes_rejected ? " \u00b7 " + b.fixes_rejected + " " + T.t("jumps") : ""));
    box.appendChild(dl);
    if (b.legs.length) {
      var t = el(doc, "table", "legs"), hr = el(doc, "tr");
      ["leg", "time", "sailedM", "avgKn", "vmgKn", "tg", "stbd", "places", "behindS"].forEach(function (h) {
        hr.appendChild(el(doc, "th", null, T.t(h)));
      });
      t.appendChild(hr);
      b.legs.forEach(function (l, i) {
        var tr = el(doc, "tr"), rounding = b.roundings[i];
        [l.from + "\u2192" + l.to + (rounding ? " #" + rounding.rank : ""), secs(l.elapsed_s), l.sailed_m.toFixed(0),
          l.avg_speed_kn.toFixed(1), l.vmg_kn.toFixed(1), l.tacks + "/" + l.gybes, onStarboard(l),
          (l.places_gained > 0 ? "+" : "") + l.places_gained, l.behind_s === null ? "" : secs(l.behind_s)
        ].forEach(function (v, j) { tr.appendChild(el(doc, "td", j ? "num" : "", v)); });
        if (rounding) {
          tr.className = "seek"; tr.title = clock(rounding.at);
          tr.addEventListener("click", function () { app.seek(local(r, rounding.at)); });
        }
        t.appendChild(tr);
      });
      box.appendChild(t);
    }
  };

  // A row appears once the replay passes the boat's finish; boats without one at the window's end.
  Panels.prototype.results = function () {
    var app = this.app, r = app.race, doc = this.doc, end = app.time >= r.to;
    var shown = r.results.filter(function (x) { return x.finishTime !== null ? x.finishTime <= app.time : end; });
    var key = shown.length + ":" + end + ":" + T.lang + ":" + app.index;
    if (key === this.resultsKey) return;
    this.resultsKey = key;
    var body = doc.getElementById("results-body");
    body.textContent = "";
    shown.forEach(function (x) {
      var tr = el(doc, "tr");
      [[x.rank === null ? "" : String(x.rank), "num"], [x.name, "name"], [x.finish ? x.finish.slice(11) : "", "num"],
        [secs(x.elapsed), "num"], [secs(x.corrected), "num"], [x.status, ""]].forEach(function (c) {
        tr.appendChild(el(doc, "td", c[1], c[0]));
      });
      body.appendChild(tr);
    });
    doc.getElementById("results-note").textContent = r.resultsNote ? T.t("noResults") + " " + r.resultsNote :
      !r.results.length ? T.t("noFinish") : !shown.length ? T.t("noneYet") : "";
    doc.getElementById("results").hidden = !shown.length;
  };

  Tack.panels = { Panels: Panels, boardOrder: boardOrder };
  if (typeof module !== "undefined") module.exports = Tack.panels;
})(typeof window !== "undefined" ? window : globalThis);
