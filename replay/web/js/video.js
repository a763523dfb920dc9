// What `tackedit-cli video` drives: the page holds still and draws the frame
// it is asked for, so a slow machine drops no frame of the video.
(function (root) {
  "use strict";
  var doc = root.document, app = null, clockMs = 0, stepMs = 1000 / 30;

  // The picture a video shows: the map, clock, titles and leaderboard, not the controls.
  var STYLE = "body.video #bar, body.video #menu, body.video #notes, body.video #analysis-box," +
    " body.video #results-box, body.video #charts { display: none !important; }";

  root.tackeditVideo = {
    // options: race (its index), fps, follow (a boat's name; none for the fleet).
    setup: function (options) {
      var Tack = root.Tack;
      app = Tack.main;
      app.stopLoop(); app.pause();
      app.video = true;
      if (options.race !== undefined && options.race !== app.index) app.select(options.race);
      if (!doc.getElementById("video-style")) {
        var style = doc.createElement("style");
        style.id = "video-style"; style.textContent = STYLE;
        doc.head.appendChild(style);
      }
      doc.body.classList.add("video");
      app.resize(); app.fit();
      var r = app.race;
      if (options.follow) {
        var k = r.boats.findIndex(function (b) { return b.name === options.follow; });
        if (k < 0) throw new Error("no boat \"" + options.follow + "\" in the race");
        app.follow = k;
      }
      // Playing keeps the panels to the pace the page shows them at when it plays.
      app.playing = true;
      app.lastPanel = -Infinity;
      stepMs = 1000 / (options.fps > 0 ? options.fps : 30);
      clockMs = 0;
      return { from: r.from, to: r.to, start: r.start };
    },
    // Draws the race at local time t (seconds), one video frame after the last.
    frame: function (t) {
      if (!app) throw new Error("tackeditVideo.setup first");
      clockMs += stepMs;
      app.time = Math.min(Math.max(t, app.race.from), app.race.to);
      app.dirty = true;
      app.render(clockMs, stepMs / 1000);
      return true;
    }
  };
})(typeof window !== "undefined" ? window : globalThis);
