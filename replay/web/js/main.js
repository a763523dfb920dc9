// The replay: clock, panels and the test interface.
(function (root) {
  "use strict";
  var Tack = root.Tack, D = Tack.data, T = Tack.i18n, doc = root.document;
  var $ = function (id) { return doc.getElementById(id); };
  var raws = root.TACK_RACES || [];

  var app = {
    index: -1, race: null, time: 0, playing: false, speedChoice: "race", tail: 60, follow: -1, loop: false,
    view: new Tack.projection.View(), dpr: 1, samples: [], motions: [], dirty: true,
    prepared: [], lastFrame: 0, lastPanel: 0, ctx: null
  };

  function el(tag, cls, text) {
    var e = doc.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  app.speed = function () {
    var r = app.race;
    if (!r) return 1;
    return app.speedChoice === "race" ? (app.time < r.start ? r.speedPre : r.speedAfter) : app.speedChoice;
  };

  app.select = function (i) {
    if (!(i >= 0 && i < raws.length)) throw new Error("no race " + i + " (there are " + raws.length + ")");
    if (!app.prepared[i]) app.prepared[i] = D.prepareRace(raws[i]);
    var r = app.race = app.prepared[i];
    app.index = i; app.time = r.from; app.follow = -1;
    app.autoView = true;
    app.samples = r.boats.map(D.newSample);
    app.motions = r.boats.map(function () { return { speed: 0, course: NaN, dist: 0 }; });
    app.view.up = r.northUp ? 0 : D.meanWind(r);
    Tack.charts.show(r);
    app.resize(); app.fit();
    $("race-list").value = String(i);
    $("title1").textContent = r.title1 || r.file;
    $("title2").textContent = r.title2;
    doc.title = [r.title1, r.title2].filter(Boolean).join(" \u2014 ") || r.file;
    var sl = $("slider");
    sl.min = r.from; sl.max = r.to; sl.step = 1;
    app.panels.build(); buildPhotos(); showNotes(r.notes);
    app.dirty = true; app.lastPanel = 0;
  };

  app.seek = function (sec) { app.time = sec; app.dirty = true; app.lastPanel = 0; app.link(); };
  app.setFollow = function (k) {
    if (k === app.follow) return;
    app.follow = k; app.dirty = true; app.lastPanel = 0; app.link();
  };
  // The address names the moment and the followed boat, to send to someone: kept up
  // to date when it settles (paused, seeking, following), never frame by frame, and
  // at most five times a second: a dragged slider seeks more often than browsers allow.
  app.link = function () {
    var h = root.history;
    if (app.linkTimer || !h || !h.replaceState || !root.location) return;
    app.linkTimer = root.setTimeout(function () {
      app.linkTimer = 0;
      var r = app.race, b = r && r.boats[app.follow], hash = r ? D.makeLink(r, app.time, b ? b.name : "") : "";
      if (r && root.location.hash !== hash) h.replaceState(null, "", hash);
    }, 200);
  };
  // Opens the race holding the linked instant (the one shown else) and follows the named boat.
  app.openLink = function (hash) {
    var want = D.parseLink(hash);
    if (want.t === null && want.boat === null) return false;
    if (want.t !== null) {
      for (var i = 0; i < raws.length; i++) {
        var raw = raws[i], local = want.t + (+raw.timeDiff || 0) * 3600;
        if (local >= raw.start + raw.replayFrom && local <= raw.start + raw.replayTo) {
          if (i !== app.index) app.select(i);
          break;
        }
      }
    }
    var r = app.race;
    if (!r) return false;
    app.pause();
    if (want.t !== null) app.time = Math.min(Math.max(want.t + r.timeDiff * 3600, r.from), r.to);
    // A link is the whole view: without a boat it follows none.
    var k = want.boat === null ? -1 : r.boats.findIndex(function (b) { return b.name === want.boat; });
    if (k < 0 && want.boat !== null) k = r.boats.findIndex(function (b) { return b.name.toLowerCase() === want.boat.toLowerCase(); });
    app.follow = k;
    app.dirty = true; app.lastPanel = 0;
    app.link();
    return true;
  };
  app.play = function (speed) {
    if (!app.race) return;
    if (speed !== undefined) app.setSpeed(speed);
    if (app.time >= app.race.to) app.time = app.race.from;
    app.playing = true; app.lastFrame = 0; app.dirty = true;
  };
  app.pause = function () { app.playing = false; app.dirty = true; app.link(); };
  app.setSpeed = function (v) {
    var sel = $("speed");
    if (v === "race" || v === undefined) { app.speedChoice = "race"; sel.value = "race"; return; }
    v = +v;
    if (!(v > 0)) throw new Error("speed " + v + " is not a positive factor");
    app.speedChoice = v;
    if (!sel.querySelector('option[value="' + v + '"]')) sel.appendChild(el("option", "", v + "\u00d7")).value = String(v);
    sel.value = String(v);
  };
  app.fit = function () {
    var r = app.race;
    if (!r) return;
    // The box the builder chose: the course and the fleet, without the stray fixes.
    var v = r.view, a = {}, b = {};
    if (v) { D.planar(r, v[0], v[1], a); D.planar(r, v[2], v[3], b); }
    var sets = v ? [{ x: [a.x, b.x, a.x, b.x], y: [a.y, b.y, b.y, a.y] }] : r.boats.filter(function (bt) { return bt.n; });
    if (!sets.length) sets = [{ x: r.marks.map(function (m) { return (m.lon - r.lon0) * r.kx; }),
      y: r.marks.map(function (m) { return (m.lat - r.lat0) * D.M_PER_DEG; }) }];
    app.setFollow(-1); app.view.fit(sets, 40); app.dirty = true;
    app.autoView = true;
  };
  app.resize = function () {
    var c = $("map"), box = c.parentNode.getBoundingClientRect();
    app.dpr = Math.min(root.devicePixelRatio || 1, 2);
    app.view.w = Math.max(1, box.width); app.view.h = Math.max(1, box.height);
    c.width = Math.round(app.view.w * app.dpr); c.height = Math.round(app.view.h * app.dpr);
    measureClock();
    app.dirty = true;
  };
  // Where the clock covers the map, once its text has its size: no label goes under it.
  function measureClock() {
    var box = $("map").parentNode.getBoundingClientRect(), k = $("clock").getBoundingClientRect();
    var covered = { right: k.right - box.left + 4, top: k.top - box.top - 4, bottom: k.bottom - box.top + 4 };
    if (!app.covered || JSON.stringify(covered) !== JSON.stringify(app.covered)) { app.covered = covered; app.dirty = true; }
  }
  app.startLoop = function () {
    if (!raws.length) return;
    app.loop = true;
    var de = doc.documentElement;
    if (de.requestFullscreen && !doc.fullscreenElement) de.requestFullscreen().catch(function () {});
    app.select(app.index < 0 ? 0 : app.index); app.setSpeed("race"); app.play();
    $("loop").classList.add("on");
  };
  app.stopLoop = function () { app.loop = false; $("loop").classList.remove("on"); };

  function update() {
    var r = app.race;
    for (var k = 0; k < r.boats.length; k++) {
      D.sample(r.boats[k], app.time, app.samples[k]);
      D.motion(r, r.boats[k], app.time, app.samples[k], app.motions[k]);
    }
  }

  function setText(td, s) { if (td.textContent !== s) td.textContent = s; }

  function panels() {
    var r = app.race;
    app.panels.update();
    r.pictures.forEach(function (p) {
      var on = !p.broken && Math.abs(app.time - p.time) <= 30;
      if (on && !p.img.src) p.img.src = p.url;
      p.img.hidden = !on;
    });
    $("photos").classList.toggle("empty", !r.pictures.some(function (p) { return !p.img.hidden; }));
  }

  function buildPhotos() {
    var strip = $("photos");
    strip.textContent = "";
    app.race.pictures.forEach(function (p) {
      var img = p.img = el("img");
      img.alt = p.src; img.hidden = true;
      img.addEventListener("error", function () { p.broken = true; addNote(T.t("noPicture") + " " + p.src); });
      img.addEventListener("click", function () {
        $("overlay-img").src = p.url; $("overlay").hidden = false; app.seek(p.time);
      });
      strip.appendChild(img);
    });
  }

  function addNote(n) {
    var p = el("p", "note", n), x = el("button", "close", "\u00d7");
    x.title = T.t("close");
    x.addEventListener("click", function () { p.remove(); });
    p.appendChild(x); $("notes").appendChild(p);
  }
  function showNotes(list) { $("notes").textContent = ""; list.forEach(addNote); }

  function clock() {
    var r = app.race, d = app.time - r.start;
    setText($("clock-main"), D.fmtClock(r, app.time));
    setText($("clock-label"), T.t(Math.floor(app.time) < r.start ? "toStart" : "elapsedLabel"));
    setText($("clock-day"), D.fmtDay(app.time));
    setText($("play"), T.t(app.playing ? "pause" : "play"));
    setText($("speed-now"), app.speed() + "\u00d7");
    var sl = $("slider");
    if (doc.activeElement !== sl || app.playing) sl.value = app.time;
    $("clock").classList.toggle("pre", d < 0);
    var shape = $("clock-label").textContent + $("clock-main").textContent.length + T.lang;
    if (shape !== app.clockShape) { app.clockShape = shape; measureClock(); }
  }

  function tick(now) {
    root.requestAnimationFrame(tick);
    var r = app.race;
    // A video steps its own clock (js/video.js): the screen's frames must not move it.
    if (!r || app.video) return;
    // The full step however long the frame took: 10x plays at 10x on a slow machine too.
    // Only a tab back from the background starts again where it was left.
    var dt = app.lastFrame ? (now - app.lastFrame) / 1000 : 0;
    if (app.playing) {
      app.time += dt * app.speed();
      app.dirty = true;
      if (app.time >= r.to) {
        app.time = r.to;
        if (app.loop) { app.select((app.index + 1) % raws.length); app.play(); } else { app.playing = false; app.link(); }
      }
    }
    app.lastFrame = now;
    render(now, dt);
  }

  // One frame of the map, clock and panels at app.time; `now` in milliseconds
  // paces the panels, `dt` in seconds the auto view.
  function render(now, dt) {
    Tack.follow.step(app, dt);
    if (app.follow >= 0 && app.samples[app.follow] && app.samples[app.follow].visible) {
      app.view.cx = app.samples[app.follow].x; app.view.cy = app.samples[app.follow].y; app.dirty = true;
    }
    if (!app.dirty) return;
    app.dirty = false;
    update();
    Tack.draw.frame(app.ctx, app);
    clock();
    if (!app.playing || now - app.lastPanel > 250) { app.lastPanel = now; panels(); Tack.charts.update(app); }
    if (doc.body.dataset.ready !== "1") doc.body.dataset.ready = "1";
  }
  app.render = render;

  app.setLang = function (lang) {
    T.lang = lang; T.apply(doc);
    app.dirty = true; app.lastPanel = 0;
  };

  function init() {
    app.ctx = $("map").getContext("2d", { alpha: false });
    app.panels = new Tack.panels.Panels(app, doc);
    var list = $("race-list");
    raws.forEach(function (r, i) {
      var o = el("option", "", r.title1 || r.file || String(i + 1));
      o.value = String(i); list.appendChild(o);
    });
    app.setLang(T.detect(root.navigator));
    Tack.controls.bind(app);
    Tack.charts.attach(app);
    if (raws.length) { app.select(0); app.openLink(root.location && root.location.hash); }
    else {
      $("notes").appendChild(el("p", "note", T.t("noRaces")));
      app.resize();
      Tack.draw.frame(app.ctx, app);
      doc.body.dataset.ready = "1";
    }
    root.addEventListener("hashchange", function () { app.stopLoop(); app.openLink(root.location.hash); });
    doc.addEventListener("visibilitychange", function () { app.lastFrame = 0; });
    root.requestAnimationFrame(tick);
  }

  function now() {
    if (!app.race) throw new Error("no race selected");
    return app.race;
  }
  root.tackReplay = {
    races: function () {
      return raws.map(function (r) {
        return { file: r.file, title: (r.title1 || "") + (r.title1 && r.title2 ? " \u2014 " + r.title2 : "") };
      });
    },
    select: function (i) { app.stopLoop(); app.pause(); app.select(i); },
    seek: function (s) { now(); app.seek(D.parseTime(s)); },
    play: function (speed) { now(); app.play(speed); },
    pause: function () { app.stopLoop(); app.pause(); },
    state: function () {
      var r = now();
      update();
      var live = app.panels.measure();
      return {
        race: app.index, time: D.fmtTime(Math.floor(app.time)), playing: app.playing, speed: app.speed(),
        following: r.boats[app.follow] ? r.boats[app.follow].name : null,
        boats: r.boats.map(function (b, k) {
          var o = app.samples[k], on = o.visible && !o.gap;
          var x = live[k], round = function (v, f) { return v === null ? null : Math.round(v * f) / f; };
          return { name: b.name, lat: b.n ? o.lat : null, lon: b.n ? o.lon : null, visible: o.visible, gap: o.gap,
            rank: x.rank, speed_kn: on ? round(x.speed, 100) : null, behind_m: round(x.behind, 10),
            leg: x.leg > 0 ? x.leg : null };
        })
      };
    },
    // The object `tackedit-cli analyse --json` prints; null in a replay without one.
    analysis: function () {
      var r = now();
      return r.an && r.an.report ? JSON.parse(JSON.stringify(r.an.report)) : null;
    },
    results: function () {
      return now().results.map(function (x) {
        return { name: x.name, finish: x.finish, elapsed: x.elapsed, corrected: x.corrected, rank: x.rank, status: x.status };
      });
    }
  };

  Tack.main = app;
  if (typeof module !== "undefined") module.exports = app;
  if (!doc) return;
  if (doc.readyState === "loading") doc.addEventListener("DOMContentLoaded", init); else init();
})(typeof window !== "undefined" ? window : globalThis);
