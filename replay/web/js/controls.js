// Buttons, keys and pointer gestures of the replay.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};

  function bind(app) {
    var doc = root.document, $ = function (id) { return doc.getElementById(id); };
    var canvas = $("map");

    $("play").addEventListener("click", function () {
      if (app.playing) { app.stopLoop(); app.pause(); } else app.play();
    });
    $("fit").addEventListener("click", function () { app.fit(); });
    $("speed-colours").addEventListener("click", function (e) {
      app.speedColours = !app.speedColours; e.target.classList.toggle("on", app.speedColours); app.dirty = true;
    });
    $("speed").addEventListener("change", function (e) { app.setSpeed(e.target.value); app.dirty = true; });
    $("tail").addEventListener("change", function (e) {
      app.tail = e.target.value === "all" ? Infinity : +e.target.value; app.dirty = true;
    });
    $("slider").addEventListener("input", function (e) { app.stopLoop(); app.seek(+e.target.value); });
    $("race-list").addEventListener("change", function (e) {
      var playing = app.playing;
      app.stopLoop(); app.select(+e.target.value);
      if (playing) app.play(); else app.link();
    });
    $("loop").addEventListener("click", function () { if (app.loop) app.stopLoop(); else app.startLoop(); });
    $("lang").addEventListener("click", function () { app.setLang(Tack.i18n.lang === "ja" ? "en" : "ja"); });
    var overlay = $("overlay");
    overlay.addEventListener("click", function () { overlay.hidden = true; });

    doc.addEventListener("keydown", function (e) {
      if (e.key === "Escape") { overlay.hidden = true; return; }
      var tag = e.target && e.target.tagName;
      if (tag === "SELECT" || e.ctrlKey || e.metaKey || e.altKey || !app.race) return;
      // Handled here rather than by the focused control, which would act on the key a second time.
      if (e.key === " ") {
        e.preventDefault();
        if (app.playing) { app.stopLoop(); app.pause(); } else app.play();
      } else if (e.key === "ArrowLeft" || e.key === "ArrowRight") {
        e.preventDefault();
        app.seek(app.time + (e.key === "ArrowLeft" ? -10 : 10));
      }
    });

    root.addEventListener("resize", function () { app.resize(); });

    // Drag pans, two fingers pinch, a click without movement picks a boat or lets go of it.
    // Panning or zooming by hand ends auto view until Fit.
    var pointers = {}, count = 0, moved = 0, pinch = null;
    function local(e) { var b = canvas.getBoundingClientRect(); return { x: e.clientX - b.left, y: e.clientY - b.top }; }
    function spread() {
      var ps = Object.keys(pointers).map(function (k) { return pointers[k]; });
      return ps.length < 2 ? null : { d: Math.hypot(ps[0].x - ps[1].x, ps[0].y - ps[1].y),
        x: (ps[0].x + ps[1].x) / 2, y: (ps[0].y + ps[1].y) / 2 };
    }
    canvas.addEventListener("pointerdown", function (e) {
      canvas.setPointerCapture(e.pointerId);
      pointers[e.pointerId] = local(e); count++;
      if (count === 1) moved = 0;
      pinch = spread();
    });
    canvas.addEventListener("pointermove", function (e) {
      var old = pointers[e.pointerId];
      if (!old) return;
      var p = local(e);
      pointers[e.pointerId] = p;
      if (count >= 2) {
        // The map stays under both fingers: it moves with their middle and scales with their spread.
        var s = spread();
        if (pinch && pinch.d > 0 && s.d > 0) {
          app.view.pan(s.x - pinch.x, s.y - pinch.y);
          app.view.zoomAt(s.x, s.y, s.d / pinch.d);
          app.autoView = false;
        }
        pinch = s; moved += 10;
      } else {
        moved += Math.abs(p.x - old.x) + Math.abs(p.y - old.y);
        if (moved > 4) { app.setFollow(-1); app.autoView = false; app.view.pan(p.x - old.x, p.y - old.y); }
      }
      app.dirty = true;
    });
    function up(e) {
      if (!pointers[e.pointerId]) return;
      var p = pointers[e.pointerId];
      delete pointers[e.pointerId]; count--;
      if (count === 0 && moved <= 4 && e.type === "pointerup") {
        app.setFollow(Tack.draw.hit(app, p.x, p.y, 18));
      }
      pinch = spread();
    }
    canvas.addEventListener("pointerup", up);
    canvas.addEventListener("pointercancel", up);
    canvas.addEventListener("wheel", function (e) {
      e.preventDefault();
      var p = local(e);
      app.view.zoomAt(p.x, p.y, Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015)));
      app.autoView = false; app.dirty = true;
    }, { passive: false });
  }

  var controls = { bind: bind };
  Tack.controls = controls;
  if (typeof module !== "undefined") module.exports = controls;
})(typeof window !== "undefined" ? window : globalThis);
