// Headless Chromium driven over the DevTools protocol on a pipe, with no
// library: what the replay's browser test and benchmark share.
"use strict";
const { spawn } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");

// Chromium on a pipe: fd 3 takes commands, fd 4 gives answers and events, NUL-separated.
function launch(profile) {
  const browser = spawn("chromium", ["--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
    "--user-data-dir=" + profile, "--window-size=1280,800", "--no-first-run", "about:blank"],
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

// Waits for an expression to hold in the page. The ceiling is generous: on a
// busy two-core machine a page may take many seconds for what takes 200 ms alone.
const kCeilingMs = 60000;
async function until(page, expression, what) {
  const started = Date.now();
  for (;;) {
    const value = await page.eval(expression).catch(() => false);
    if (value) return value;
    if (Date.now() - started > kCeilingMs) throw new Error(`waited ${kCeilingMs / 1000} s for ${what}`);
    await sleep(50);
  }
}

// Resolves in the page after the next two animation frames: whatever a change
// asked to be drawn has been drawn then.
const afterFrames = (expression) =>
  `new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done(${expression}))))`;

// options: width and height of the window (1280 x 800 unless given), a phone's
// screen (`mobile`) and touch input (`touch`), a script run in the page before
// its own (`init`), and `only`: every request for another address is refused
// and listed in page.refused.
async function openPage(cdp, url, locale, shots, options = {}) {
  const { targetId } = await cdp.send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await cdp.send("Target.attachToTarget", { targetId, flatten: true });
  const send = (method, params) => cdp.send(method, params, sessionId);
  const page = { send, requests: [], errors: [], refused: [] };
  cdp.on((m) => {
    if (m.sessionId !== sessionId) return;
    if (m.method === "Network.requestWillBeSent") page.requests.push(m.params.request.url);
    if (m.method === "Runtime.exceptionThrown") page.errors.push(JSON.stringify(m.params.exceptionDetails.exception || m.params.exceptionDetails.text));
    if (m.method === "Runtime.consoleAPICalled" && (m.params.type === "error" || m.params.type === "assert"))
      page.errors.push(m.params.args.map((a) => a.value || a.description).join(" "));
    if (m.method === "Log.entryAdded" && m.params.entry.level === "error") page.errors.push(m.params.entry.text);
    if (m.method === "Fetch.requestPaused") {
      const ok = m.params.request.url === options.only;
      if (!ok) page.refused.push(m.params.request.url);
      send(ok ? "Fetch.continueRequest" : "Fetch.failRequest",
        ok ? { requestId: m.params.requestId } : { requestId: m.params.requestId, errorReason: "BlockedByClient" });
    }
  });
  if (options.only) await send("Fetch.enable", { patterns: [{ urlPattern: "*" }] });
  for (const domain of ["Network", "Runtime", "Log", "Page"]) await send(domain + ".enable");
  await send("Emulation.setLocaleOverride", { locale });
  const { userAgent } = await cdp.send("Browser.getVersion");
  await send("Emulation.setUserAgentOverride", { userAgent, acceptLanguage: locale });
  await send("Emulation.setDeviceMetricsOverride", { width: options.width || 1280, height: options.height || 800,
    deviceScaleFactor: 1, mobile: !!options.mobile });
  if (options.touch) await send("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 5 });
  if (options.init) await send("Page.addScriptToEvaluateOnNewDocument", { source: options.init });
  page.eval = async (expression) => {
    const r = await send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error(expression + ": " + JSON.stringify(r.exceptionDetails));
    return r.result.value;
  };
  await send("Page.navigate", { url });
  const started = Date.now();
  await until(page, "document.body && document.body.dataset.ready === '1'", "the page to be ready");
  page.readyMs = Date.now() - started;
  page.shot = async (name) => {
    const { data } = await send("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(path.join(shots, name), Buffer.from(data, "base64"));
  };
  return page;
}

// Closed rather than killed, so its helper processes are done with the profile when it has gone.
async function close(cdp) {
  const gone = new Promise((resolve) => cdp.browser.exitCode !== null ? resolve() : cdp.browser.once("exit", resolve));
  cdp.send("Browser.close").catch(() => cdp.browser.kill());
  await gone;
}

// Runs a browser test to its end: the failures it gathered said, its scratch
// folder removed (one left behind in /tmp is no failure of the page).
function run(main, tmp, failures, name) {
  const clean = () => {
    try { fs.rmSync(tmp, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 }); }
    catch (e) { console.log(`left ${tmp}: ${e.message}`); }
  };
  main().then(() => {
    clean();
    if (failures.length) {
      console.error("FAIL:\n  " + failures.join("\n  "));
      process.exit(1);
    }
    console.log(name + ": ok");
  }, (e) => {
    clean();
    console.error("FAIL: " + (e.stack || e));
    process.exit(1);
  });
}

module.exports = { launch, openPage, sleep, until, afterFrames, close, run, kCeilingMs };
