// The replay page on a phone, upright (390 x 844) and on its side (844 x 390),
// with touch input, in headless Chromium: nothing scrolls sideways, the map
// has most of the screen, every control takes a fingertip, text is readable,
// each tab opens its panel over the map and closes it, two fingers pinch and
// one drags the map and not the page. The desktop keeps its side panel.
// Usage: node phone_in_chromium.js TACKEDIT-CLI DEMO-WORKSPACE SHOTS
"use strict";
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { launch, openPage, until, afterFrames, close, run } = require("./cdp.js");

const [cli, demo, shots] = process.argv.slice(2);
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-phone-"));
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// What a thumb or an eye meets on the screen as it is: the page's width, the map's
// share, controls smaller than 44 px and text under 14 px.
const layout = `(() => {
  const seen = (e) => { const b = e.getBoundingClientRect(), s = getComputedStyle(e);
    return b.width > 0 && b.height > 0 && s.visibility !== "hidden" && e.closest("[hidden]") === null; };
  const box = (e) => { const b = e.getBoundingClientRect(); return Math.round(b.width) + "x" + Math.round(b.height); };
  const map = document.getElementById("map").getBoundingClientRect();
  const controls = [...document.querySelectorAll("button, select, input, a, #boats-body tr, #chart-chosen li")].filter(seen);
  const texts = [...document.querySelectorAll("body *")].filter((e) => seen(e) &&
    [...e.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim()));
  return {
    scrollWidth: Math.max(document.documentElement.scrollWidth, document.body.scrollWidth), width: innerWidth,
    mapShare: map.width * map.height / (innerWidth * innerHeight),
    small: controls.filter((e) => { const b = e.getBoundingClientRect(); return b.width < 44 || b.height < 44; })
      .map((e) => (e.id || e.tagName + " " + e.textContent.trim().slice(0, 12)) + " " + box(e)),
    tiny: texts.filter((e) => parseFloat(getComputedStyle(e).fontSize) < 14)
      .map((e) => e.tagName + " " + e.textContent.trim().slice(0, 12) + " " + getComputedStyle(e).fontSize),
    controls: controls.length
  };
})()`;

function checkLayout(at, what, l) {
  check(l.scrollWidth <= l.width, `${at} ${what}: the page is ${l.scrollWidth} px wide in ${l.width}`);
  check(l.small.length === 0 && l.controls > 5, `${at} ${what}: controls under 44 px: ${l.small.join(", ")}`);
  check(l.tiny.length === 0, `${at} ${what}: text under 14 px: ${l.tiny.join(", ")}`);
}

// Each tab in turn: its panel shows over the map (the map keeps its size under it)
// and goes again at a second tap.
async function panelChecks(page, at) {
  const tabs = await page.eval(`[...document.querySelectorAll("#tabs [data-panel]")].filter((t) => !t.hidden)
    .map((t) => t.getAttribute("data-panel"))`);
  check(["board-box", "results-box", "analysis-box", "charts", "menu"].every((p) => tabs.includes(p)),
    `${at}: tabs shown: ${tabs.join(", ")}`);
  const map = await page.eval(`JSON.stringify(document.getElementById("map").getBoundingClientRect())`);
  for (const name of tabs) {
    const tap = `document.querySelector('#tabs [data-panel="${name}"]').click()`;
    const open = await page.eval(`${tap}, ${afterFrames(`(() => {
      const p = document.getElementById("${name}"), b = p.getBoundingClientRect(), m = document.getElementById("map").getBoundingClientRect();
      const top = document.elementFromPoint(b.left + b.width / 2, b.top + b.height / 2);
      return { height: b.height, over: m.left < b.right && b.left < m.right && m.top < b.bottom && b.top < m.bottom,
        onTop: !!top && p.contains(top), map: JSON.stringify(m), canvases: p.querySelectorAll("canvas").length };
    })()`)}`);
    check(open.height > 40 && open.over && open.onTop && open.map === map,
      `${at}: the ${name} panel over the map: ${JSON.stringify(open)}`);
    if (name === "charts") check(open.canvases === 2, `${at}: the charts panel draws ${open.canvases} charts`);
    if (name === "board-box") {
      checkLayout(at, "with the leaderboard open", await page.eval(afterFrames(layout)));
      await page.shot(`phone-${at}-leaderboard.png`);
    }
    const closed = await page.eval(`${tap}, ${afterFrames(`getComputedStyle(document.getElementById("${name}")).display`)}`);
    check(closed === "none", `${at}: the ${name} panel stays open at a second tap`);
  }
}

// Touch points over the map, in page pixels; each step one CDP touch event.
async function touch(page, type, points) {
  await page.send("Input.dispatchTouchEvent", { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
}

// Where the planar point under (sx, sy) of the map is drawn now, to compare before and after a gesture.
const track = (sx, sy) => `(() => { const v = Tack.main.view, p = v.toPlanar(${sx}, ${sy}, {});
  return { p, s: v.s }; })()`;
const where = (p) => `(() => { const q = Tack.main.view.toScreen(${p.x}, ${p.y}, {}); return { x: q.x, y: q.y, s: Tack.main.view.s,
  zoom: visualViewport.scale }; })()`;

async function gestureChecks(page, at) {
  const m = await page.eval(`(() => { const b = document.getElementById("map").getBoundingClientRect();
    return { x: b.left, y: b.top, w: b.width, h: b.height }; })()`);
  await page.eval("tackReplay.pause(), Tack.main.autoView = false, Tack.main.setFollow(-1)");
  const cx = m.w / 2, cy = m.h / 2;
  // Two fingers 80 px apart spread to 160 px about the middle: twice the scale, the middle still.
  const before = await page.eval(track(cx, cy));
  await touch(page, "touchStart", [[m.x + cx - 40, m.y + cy], [m.x + cx + 40, m.y + cy]]);
  for (let k = 1; k <= 4; k++)
    await touch(page, "touchMove", [[m.x + cx - 40 - 10 * k, m.y + cy], [m.x + cx + 40 + 10 * k, m.y + cy]]);
  await touch(page, "touchEnd", []);
  let after = await page.eval(where(before.p));
  check(Math.abs(after.s / before.s - 2) < 0.02 && Math.hypot(after.x - cx, after.y - cy) < 1.5 && after.zoom === 1,
    `${at}: a pinch from 80 to 160 px: scale ×${(after.s / before.s).toFixed(3)}, the middle went to ` +
    `${after.x.toFixed(1)}, ${after.y.toFixed(1)} from ${cx}, ${cy}, the page zoomed ×${after.zoom}`);
  // One finger 60 px right and 40 down in steps: the map goes with it, the scale stays.
  const start = await page.eval(track(cx, cy));
  await touch(page, "touchStart", [[m.x + cx, m.y + cy]]);
  for (let k = 1; k <= 4; k++) await touch(page, "touchMove", [[m.x + cx + 15 * k, m.y + cy + 10 * k]]);
  await touch(page, "touchEnd", []);
  after = await page.eval(where(start.p));
  check(Math.abs(after.x - cx - 60) < 1.5 && Math.abs(after.y - cy - 40) < 1.5 && after.s === start.s && after.zoom === 1,
    `${at}: a drag by 60, 40 moved the map to ${(after.x - cx).toFixed(1)}, ${(after.y - cy).toFixed(1)} ` +
    `(scale ×${(after.s / start.s).toFixed(3)}, the page zoomed ×${after.zoom})`);
  const scrolled = await page.eval("[scrollX, scrollY, document.scrollingElement.scrollTop]");
  check(scrolled.every((v) => v === 0), `${at}: the page scrolled under the finger: ${scrolled}`);
}

async function main() {
  fs.mkdirSync(shots, { recursive: true });
  const out = path.join(tmp, "replay");
  execFileSync(cli, ["replay", demo, out, "demo_race.txt", "--no-pictures"]);
  const cdp = launch(path.join(tmp, "profile"));
  try {
    const url = "file://" + out + "/index.html#t=2024-06-15T01:25:00Z";
    for (const [width, height] of [[390, 844], [844, 390]]) {
      const at = `${width}x${height}`;
      const page = await openPage(cdp, url, "en-US", shots, { width, height, mobile: true, touch: true });
      const l = await page.eval(afterFrames(layout));
      checkLayout(at, "with no panel open", l);
      check(l.mapShare > 0.5, `${at}: the map has ${Math.round(l.mapShare * 100)} % of the screen`);
      await until(page, "!Tack.main.viewEasing && !Tack.main.zoomGoal", "auto view to settle");
      await page.shot(`phone-${at}.png`);
      await panelChecks(page, at);
      await gestureChecks(page, at);
      check(page.errors.length === 0, `${at}: console errors: ${page.errors.join(" | ")}`);
    }
    const desk = await openPage(cdp, url, "en-US", shots);
    const side = await desk.eval(`[getComputedStyle(document.getElementById("tabs")).display,
      document.getElementById("side").getBoundingClientRect().width, document.getElementById("board-box").getBoundingClientRect().height]`);
    check(side[0] === "none" && side[1] >= 280 && side[2] > 100, `the desktop shows tabs or loses its side panel: ${side}`);
  } finally {
    await close(cdp);
  }
}

run(main, tmp, failures, "phone layout in chromium");
