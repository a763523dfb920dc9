// The replay page in headless Chromium, driven over the DevTools protocol on a
// pipe (no library): nothing is fetched from outside the folder, no console
// error, boats where their tracks say, the gap rule, play speed, results equal
// to tackedit-cli's, both languages. Screenshots go to SHOTS.
// Usage: node replay_in_chromium.js TACKEDIT-CLI DEMO-WORKSPACE SHOTS
"use strict";
const { spawn, execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

const [cli, demo, shots] = process.argv.slice(2);
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-browser-"));
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// A race of two boats: one with a 120 s gap, one that starts late.
function gapWorkspace() {
  const ws = path.join(tmp, "ws");
  for (const d of ["raceadmin", "gpsdat"]) fs.mkdirSync(path.join(ws, d), { recursive: true });
  const gpx = (fixes) => '<?xml version="1.0"?>\n<gpx version="1.1" creator="test"><trk><trkseg>\n' +
    fixes.map(([s, lat]) => `<trkpt lat="${lat.toFixed(6)}" lon="139.460000"><time>` +
      new Date(Date.UTC(2024, 5, 15, 1, 0, s)).toISOString().replace(".000", "") + "</time></trkpt>").join("\n") +
    "\n</trkseg></trk></gpx>\n";
  const gappy = [];
  for (let s = 0; s <= 100; s++) gappy.push([s, 35.25 + s * 1e-5]);
  for (let s = 220; s <= 300; s++) gappy.push([s, 35.25 + s * 1e-5]);
  fs.writeFileSync(path.join(ws, "gpsdat/gap.gpx"), gpx(gappy));
  fs.writeFileSync(path.join(ws, "gpsdat/late.gpx"), gpx([[120, 35.26], [122, 35.26002]]));
  fs.writeFileSync(path.join(ws, "raceadmin/gap.txt"),
    "T1,Gap\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:10:00\r\nTD,9\r\nBN,gap.gpx,Gappy\r\nBN,late.gpx,Late\r\n");
  return ws;
}

// Chromium on a pipe: fd 3 takes commands, fd 4 gives answers and events, NUL-separated.
function launch() {
  const browser = spawn("chromium", ["--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
    "--user-data-dir=" + path.join(tmp, "profile"), "--window-size=1280,800", "--no-first-run", "about:blank"],
    { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });
  let id = 0, buffer = "";
  const waiting = new Map(), listeners = [];
  browser.stdio[4].on("data", (chunk) => {
    buffer += chunk.toString("utf8");
    let end;
    while ((end = buffer.indexOf("\0")) >= 0) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      if (message.id && waiting.has(message.id)) {
        const { resolve, reject } = waiting.get(message.id);
        waiting.delete(message.id);
        message.error ? reject(new Error(JSON.stringify(message.error))) : resolve(message.result);
      } else {
        for (const listen of listeners) listen(message);
      }
    }
  });
  const send = (method, params = {}, sessionId) => new Promise((resolve, reject) => {
    const message = { id: ++id, method, params };
    if (sessionId) message.sessionId = sessionId;
    waiting.set(message.id, { resolve, reject });
    browser.stdio[3].write(JSON.stringify(message) + "\0");
  });
  return { browser, send, on: (f) => listeners.push(f) };
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function openPage(cdp, url, locale) {
  const { targetId } = await cdp.send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await cdp.send("Target.attachToTarget", { targetId, flatten: true });
  const send = (method, params) => cdp.send(method, params, sessionId);
  const page = { send, requests: [], errors: [] };
  cdp.on((m) => {
    if (m.sessionId !== sessionId) return;
    if (m.method === "Network.requestWillBeSent") page.requests.push(m.params.request.url);
    if (m.method === "Runtime.exceptionThrown") page.errors.push(JSON.stringify(m.params.exceptionDetails.exception || m.params.exceptionDetails.text));
    if (m.method === "Runtime.consoleAPICalled" && (m.params.type === "error" || m.params.type === "assert"))
      page.errors.push(m.params.args.map((a) => a.value || a.description).join(" "));
    if (m.method === "Log.entryAdded" && m.params.entry.level === "error") page.errors.push(m.params.entry.text);
  });
  for (const domain of ["Network", "Runtime", "Log", "Page"]) await send(domain + ".enable");
  await send("Emulation.setLocaleOverride", { locale });
  const { userAgent } = await cdp.send("Browser.getVersion");
  await send("Emulation.setUserAgentOverride", { userAgent, acceptLanguage: locale });
  await send("Emulation.setDeviceMetricsOverride", { width: 1280, height: 800, deviceScaleFactor: 1, mobile: false });
  page.eval = async (expression) => {
    const r = await send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error(expression + ": " + JSON.stringify(r.exceptionDetails));
    return r.result.value;
  };
  await send("Page.navigate", { url });
  const started = Date.now();
  while (!(await page.eval("document.body && document.body.dataset.ready === '1'").catch(() => false))) {
    if (Date.now() - started > 10000) throw new Error("the page was not ready within 10 s");
    await sleep(50);
  }
  page.readyMs = Date.now() - started;
  page.shot = async (name) => {
    const { data } = await send("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(path.join(shots, name), Buffer.from(data, "base64"));
  };
  return page;
}

// tackedit-cli dump: UTC times and minutes of arc, as local seconds and degrees.
function dump(file, timeDiff) {
  return execFileSync(cli, ["dump", file], { encoding: "utf8" }).split("\n").filter((l) => /^\d+\t/.test(l)).map((l) => {
    const [, time, lat, lon] = l.split("\t");
    return { t: Date.parse(time.replace(" ", "T") + "Z") / 1000 + timeDiff * 3600, lat: +lat / 60, lon: +lon / 60 };
  });
}
const fmt = (t) => new Date(t * 1000).toISOString().slice(0, 19).replace("T", " ");
const near = (a, b) => Math.abs(a - b) <= 1.5e-6;

async function main() {
  fs.mkdirSync(shots, { recursive: true });
  const out = path.join(tmp, "replay");
  execFileSync(cli, ["replay", demo, out, "demo_race.txt", "--no-pictures"]);
  const gapOut = path.join(tmp, "gap-replay");
  execFileSync(cli, ["replay", gapWorkspace(), gapOut, "gap.txt"]);
  const cdp = launch();
  try {
    const page = await openPage(cdp, "file://" + out + "/index.html", "en-US");
    console.log(`demo page ready in ${page.readyMs} ms`);
    check((await page.eval("tackReplay.races().length")) === 1, "one race in the play list");

    // Boats at their fixes, and between two fixes 2 s apart halfway.
    const fixes = dump(path.join(demo, "gpsdat/hayate_20240615.gpx"), 9);
    const i = fixes.findIndex((f, k) => k > 100 && fixes[k + 1] && fixes[k + 1].t - f.t === 2);
    for (const [t, lat, lon] of [[fixes[i].t, fixes[i].lat, fixes[i].lon],
      [fixes[i].t + 1, (fixes[i].lat + fixes[i + 1].lat) / 2, (fixes[i].lon + fixes[i + 1].lon) / 2]]) {
      const b = await page.eval(`tackReplay.seek(${JSON.stringify(fmt(t))}), tackReplay.state().boats[0]`);
      check(b.visible && !b.gap && near(b.lat, lat) && near(b.lon, lon),
        `Hayate at ${fmt(t)}: ${JSON.stringify(b)}, expected ${lat}, ${lon}`);
    }
    // Play at 10x: the clock moves about 20 s in 2 s.
    await page.eval(`tackReplay.seek("2024-06-15 10:10:00"), tackReplay.play(10)`);
    const t0 = Date.parse((await page.eval("tackReplay.state().time")).replace(" ", "T") + "Z");
    await sleep(2000);
    const state = await page.eval("tackReplay.state()");
    const moved = (Date.parse(state.time.replace(" ", "T") + "Z") - t0) / 1000;
    check(state.playing && state.speed === 10 && moved >= 16 && moved <= 24, `10x for 2 s moved ${moved} s`);
    await page.eval("tackReplay.pause()");
    // Results as the command-line tool gives them.
    const expected = JSON.parse(execFileSync(cli, ["results", demo, "demo_race.txt", "--json"], { encoding: "utf8" }));
    const results = await page.eval("tackReplay.results()");
    check(JSON.stringify(results) === JSON.stringify(expected),
      `results differ:\n page ${JSON.stringify(results)}\n cli  ${JSON.stringify(expected)}`);
    await page.eval(`tackReplay.seek("2024-06-15 10:30:00")`);
    await page.shot("demo-en.png");
    check(page.requests.every((u) => u.startsWith("file://" + out + "/")), "requests outside the folder: " +
      page.requests.filter((u) => !u.startsWith("file://" + out + "/")).join(" "));
    check(page.errors.length === 0, "console errors: " + page.errors.join(" | "));

    const ja = await openPage(cdp, "file://" + out + "/index.html", "ja-JP");
    const captions = async (p) => p.eval("document.body.innerText");
    check((await captions(ja)).includes("成績") && !(await captions(ja)).includes("Results") &&
      (await captions(page)).includes("Results"), "Japanese captions by the browser's language");
    await ja.shot("demo-ja.png");

    // The gap rule, before the first and after the last fix.
    const gap = await openPage(cdp, "file://" + gapOut + "/index.html", "en-US");
    const at = async (time) => gap.eval(`tackReplay.seek("${time}"), tackReplay.state().boats`);
    let b = (await at("2024-06-15 10:00:50"))[0];
    check(b.visible && !b.gap && near(b.lat, 35.2505), "Gappy at 10:00:50: " + JSON.stringify(b));
    b = (await at("2024-06-15 10:02:30"))[0];
    check(b.visible && b.gap && near(b.lat, 35.251), "Gappy in its gap stays at its last fix: " + JSON.stringify(b));
    b = (await at("2024-06-15 10:01:00"))[1];
    check(!b.visible, "Late before its first fix: " + JSON.stringify(b));
    b = (await at("2024-06-15 10:06:00"))[0];
    check(!b.visible, "Gappy after its last fix: " + JSON.stringify(b));
    await at("2024-06-15 10:02:30");
    await gap.shot("gap.png");
    check(gap.errors.length === 0, "console errors on the gap race: " + gap.errors.join(" | "));
  } finally {
    // Chromium writes its profile until it has gone.
    const gone = new Promise((resolve) => cdp.browser.exitCode !== null ? resolve() : cdp.browser.once("exit", resolve));
    cdp.browser.kill();
    await gone;
  }
}

main().then(() => {
  fs.rmSync(tmp, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  if (failures.length) {
    console.error("FAIL:\n  " + failures.join("\n  "));
    process.exit(1);
  }
  console.log("replay in chromium: ok");
}, (e) => {
  fs.rmSync(tmp, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  console.error("FAIL: " + (e.stack || e));
  process.exit(1);
});
