// The replay page's start and frame rate in headless Chromium: the time from
// navigation to the first frame (RUNS loads), then 10 s of play at 10x with
// 5-minute tails, timed by requestAnimationFrame intervals.
// Usage: node bench/replay_page.js REPLAY-FOLDER RUNS
"use strict";
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { launch, openPage, sleep } = require("../tests/browser/cdp.js");

const [folder, runs] = [process.argv[2], +(process.argv[3] || 5)];
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

async function main() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-bench-page-"));
  const cdp = launch(profile);
  try {
    const ready = [];
    let page;
    for (let i = 0; i < runs; i++) {
      page = await openPage(cdp, "file://" + path.resolve(folder) + "/index.html", "en-US", os.tmpdir());
      ready.push(page.readyMs);
    }
    await page.eval(`(() => { const t = document.getElementById("tail"); t.value = "300";
      t.dispatchEvent(new Event("change")); })()`);
    const start = await page.eval("window.TACK_RACES[0].start");
    const at = new Date((start + 600) * 1000).toISOString().slice(0, 19).replace("T", " ");
    await page.eval(`tackReplay.seek("${at}"), tackReplay.play(10)`);
    await sleep(300);
    const frames = await page.eval(`new Promise((resolve) => {
      const times = [];
      const step = (t) => { times.push(t); if (t - times[0] < 10000) requestAnimationFrame(step); else resolve(times); };
      requestAnimationFrame(step);
    })`);
    const gaps = frames.slice(1).map((t, i) => t - frames[i]);
    const fps = 1000 / median(gaps);
    console.log(JSON.stringify({ ready_ms: median(ready), ready_runs: ready, fps, frames: frames.length }));
  } finally {
    const gone = new Promise((resolve) => cdp.browser.exitCode !== null ? resolve() : cdp.browser.once("exit", resolve));
    cdp.browser.kill();
    await gone;
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  }
}
main().catch((e) => { console.error("FAIL: " + (e.stack || e)); process.exit(1); });
