// The replay page in headless Chromium at 1920 x 1080: the time from navigation
// to the first frame (RUNS loads), then the main thread's work per frame (the
// time spent inside the page's animation-frame callbacks) while playing at 10x:
// 5-minute tails mid-race, whole-race tails 2.5 h in, and 5-minute tails with
// the CPU slowed 4x; auto view is on throughout, as the page opens. Then both
// tails again with speed colours and manoeuvre marks on; a replay without race
// analysis gets a stand-in made from its tracks (speeds every 10 s, a manoeuvre
// every 3 minutes a boat, ranks by distance sailed), so the drawing costs what
// it will. Frame intervals say little: the display caps them at 60 Hz.
// Usage: node bench/replay_page.js REPLAY-FOLDER RUNS
"use strict";
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { launch, openPage, sleep } = require("../tests/browser/cdp.js");

const [folder, runs] = [process.argv[2], +(process.argv[3] || 5)];
const quantile = (v, q) => { const s = [...v].sort((a, b) => a - b); return s[Math.min(s.length - 1, Math.floor(q * s.length))]; };

// Times each animation-frame callback of the page while window.measuring is set,
// with the microtasks it queued (uPlot draws the charts in one).
const kTimer = `(() => {
  const raf = window.requestAnimationFrame.bind(window);
  window.frameMs = []; window.measuring = false;
  window.requestAnimationFrame = (callback) => raf((ts) => {
    const t0 = performance.now();
    try { callback(ts); } finally { if (window.measuring) queueMicrotask(() => window.frameMs.push(performance.now() - t0)); }
  });
})();`;

// A stand-in for the race analysis, and for data.liveAt's ranks and speeds, where the replay has none.
const kStandInAnalysis = `(() => {
  const r = Tack.main.race, D = Tack.data;
  if (r.an) return false;
  const step = 10, from = Math.floor(r.from / step) * step, n = Math.floor((r.to - from) / step) + 1;
  const o = D.newSample(), m = { speed: 0, course: NaN, dist: 0 }, dist = r.boats.map(() => new Float64Array(n).fill(NaN));
  const an = { step, from, n, rank: [], speed: [], man: [] };
  r.boats.forEach((b, k) => {
    const speed = new Float32Array(n).fill(NaN), man = [];
    for (let i = 0; i < n; i++) {
      const t = from + i * step;
      D.sample(b, t, o);
      if (!o.visible || o.gap) continue;
      D.motion(r, b, t, o, m);
      speed[i] = m.speed; dist[k][i] = o.dist;
      if (i % 18 === k % 18) man.push({ t: t + 3, tack: (i / 18 | 0) % 2 === 0, lossM: 10, lossS: 2 });
    }
    an.speed.push(speed); an.man.push(man); an.rank.push(new Int16Array(n));
  });
  for (let i = 0; i < n; i++)
    r.boats.map((b, k) => k).filter((k) => !isNaN(dist[k][i])).sort((a, c) => dist[c][i] - dist[a][i])
      .forEach((k, j) => { an.rank[k][i] = j + 1; });
  D.liveAt = D.liveAt || ((race, k, t, out) => {
    const a = race.an, x = (t - a.from) / a.step;
    out.rank = null; out.speed = null;
    if (!(x >= 0)) return out;
    const i = Math.min(Math.floor(x), a.n - 1), f = i + 1 < a.n ? x - i : 0, v = a.speed[k][i], w = a.speed[k][f > 0 ? i + 1 : i];
    out.rank = a.rank[k][i] || null;
    out.speed = isNaN(v) ? null : isNaN(w) ? v : v + f * (w - v);
    return out;
  });
  r.an = an;
  return true;
})()`;

async function main() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-bench-page-"));
  const cdp = launch(profile);
  try {
    const ready = [];
    let page;
    for (let i = 0; i < runs; i++) {
      page = await openPage(cdp, "file://" + path.resolve(folder) + "/index.html", "en-US", os.tmpdir(),
        { width: 1920, height: 1080, init: kTimer });
      ready.push(page.readyMs);
    }
    const start = await page.eval("window.TACK_RACES[0].start");
    const at = (s) => new Date((start + s) * 1000).toISOString().slice(0, 19).replace("T", " ");
    // Plays 5 s at 10x from `from` (seconds after the start) with the tail given; the
    // first frames after the seek, which draw the view afresh, are timed on their own.
    const play = async (tail, from) => {
      await page.eval(`(() => { const t = document.getElementById("tail"); t.value = "${tail}";
        t.dispatchEvent(new Event("change")); })()`);
      await page.eval(`tackReplay.seek("${at(from)}"), window.frameMs = [], window.measuring = true, tackReplay.play(10)`);
      await sleep(500);
      const seek = await page.eval("window.frameMs.splice(0)");
      const t0 = await page.eval("[performance.now(), tackReplay.state().time]");
      await sleep(5000);
      const r = await page.eval("window.measuring = false, [performance.now(), tackReplay.state().time, window.frameMs.splice(0)]");
      const race = (Date.parse(r[1].replace(" ", "T") + "Z") - Date.parse(t0[1].replace(" ", "T") + "Z")) / 1000;
      await page.eval("tackReplay.pause()");
      const ms = r[2], round = (v) => Math.round(v * 100) / 100;
      return { frames: ms.length, median_ms: round(quantile(ms, 0.5)), p95_ms: round(quantile(ms, 0.95)),
        max_ms: round(Math.max(...ms)), first_after_seek_ms: round(Math.max(0, ...seek)),
        rate: round(race / ((r[0] - t0[0]) / 1000)) };
    };
    const tails5 = await play("300", 5400);
    const whole = await play("all", 9000);
    await page.send("Emulation.setCPUThrottlingRate", { rate: 4 });
    const slow = await play("300", 5400);
    await page.send("Emulation.setCPUThrottlingRate", { rate: 1 });
    // A page without speed colours (an older one, to compare with) leaves these runs out.
    let speed5 = null, speedWhole = null, standIn = null;
    if (await page.eval(`!!document.getElementById("speed-colours")`)) {
      standIn = await page.eval(kStandInAnalysis);
      await page.eval(`document.getElementById("speed-colours").click()`);
      speed5 = await play("300", 5400);
      speedWhole = await play("all", 9000);
    }
    console.log(JSON.stringify({ ready_ms: quantile(ready, 0.5), ready_runs: ready, tails5, whole, slow4x: slow,
      speed_colours_stand_in: standIn, speed5, speedWhole }));
  } finally {
    const gone = new Promise((resolve) => cdp.browser.exitCode !== null ? resolve() : cdp.browser.once("exit", resolve));
    cdp.browser.kill();
    await gone;
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  }
}
main().catch((e) => { console.error("FAIL: " + (e.stack || e)); process.exit(1); });
