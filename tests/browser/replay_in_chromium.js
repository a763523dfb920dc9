// The replay page in headless Chromium, driven over the DevTools protocol on a
// pipe (no library): nothing is fetched from outside the folder, no console
// error, boats where their tracks say, the gap rule, play speed, results equal
// to tackedit-cli's, links to a moment, both languages, the photo strip, Loop and the charts.
// Screenshots go to SHOTS.
// Usage: node replay_in_chromium.js TACKEDIT-CLI MAKE-PICTURES DEMO-WORKSPACE SHOTS
"use strict";
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { launch, openPage, until, afterFrames, close, run, kCeilingMs } = require("./cdp.js");

const [cli, makePictures, demo, shots] = process.argv.slice(2);
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-browser-"));
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// A race of two boats, one with a 120 s gap, one that starts late, and photos
// taken at 10:01 and 10:04; a second race of the late boat alone.
function gapWorkspace() {
  const ws = path.join(tmp, "ws");
  for (const d of ["raceadmin", "gpsdat", "photos"]) fs.mkdirSync(path.join(ws, d), { recursive: true });
  execFileSync(makePictures, [path.join(ws, "photos"), "2", "320", "240", "80", "2024:06:15 10:01:00", "180"]);
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
    "T1,Gap\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:10:00\r\nTD,9\r\nBN,gap.gpx,Gappy\r\nBN,late.gpx,Late\r\n" +
    `PIC,${path.join(ws, "photos")},0\r\n`);
  fs.writeFileSync(path.join(ws, "raceadmin/late.txt"),
    "T1,Late\r\nST,2024/06/15 10:02:00\r\nFT,2024/06/15 10:03:00\r\nTD,9\r\nBN,late.gpx,Late\r\n");
  return ws;
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

// The charts under the map: shown with two canvases, their clock line at the clock
// after a seek, a press on a chart seeks there. A page without the analysis in its
// data (an older data.js: no `an` at all) has nothing to check.
async function chartChecks(page) {
  const has = await page.eval(`"an" in Tack.main.race ? !!Tack.main.race.an : "unknown"`);
  if (has === "unknown") { console.log("charts: this page's data carries no analysis yet; not checked"); return; }
  check(has, "the demo race carries no analysis, so no charts");
  if (!has) return;
  const at = (expr) => page.eval(afterFrames(`({ state: Tack.charts.state(), time: Tack.main.time, ${expr} })`));
  await page.eval(`tackReplay.seek("2024-06-15 10:20:00")`);
  let c = await at(`canvases: document.querySelectorAll("#charts canvas").length,
    strip: document.getElementById("charts").getBoundingClientRect().height,
    map: document.getElementById("map").getBoundingClientRect().height`);
  check(c.state.shown && c.canvases === 2 && c.state.boats.length > 0 && c.strip <= 200 && c.map >= 480,
    "charts under the map: " + JSON.stringify(c));
  check(c.state.cursor === c.time, `the charts' clock line at ${c.state.cursor}, the clock at ${c.time}`);
  // A press a quarter of the way along a chart: the race's window there, to a pixel.
  const box = await page.eval(`(() => { const b = document.querySelector("#chart-speed .u-over").getBoundingClientRect();
    return { x: b.left, y: b.top, w: b.width, h: b.height, from: Tack.main.race.from, to: Tack.main.race.to }; })()`);
  for (const type of ["mousePressed", "mouseReleased"])
    await page.send("Input.dispatchMouseEvent", { type, x: box.x + box.w / 4, y: box.y + box.h / 2, button: "left", clickCount: 1 });
  c = await at("");
  const want = box.from + (box.to - box.from) / 4, pixel = (box.to - box.from) / box.w;
  check(Math.abs(c.time - want) <= pixel + 1 && c.state.cursor === c.time,
    `a press on the chart went to ${c.time} (cursor ${c.state.cursor}), expected ${want} ± ${pixel + 1}`);
}

async function main() {
  fs.mkdirSync(shots, { recursive: true });
  const out = path.join(tmp, "replay");
  execFileSync(cli, ["replay", demo, out, "demo_race.txt", "--no-pictures"]);
  const gapOut = path.join(tmp, "gap-replay");
  execFileSync(cli, ["replay", gapWorkspace(), gapOut, "gap.txt", "late.txt"]);
  const cdp = launch(path.join(tmp, "profile"));
  try {
    const page = await openPage(cdp, "file://" + out + "/index.html", "en-US", shots);
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
    // Play at 10x, even when each frame takes 300 ms: the race clock against the frames'
    // own timestamps, over 60 s of race time, so a busy machine only makes it wait longer.
    await page.eval(`tackReplay.seek("2024-06-15 10:10:00"), window.slow = true, window.played = [],
      (function slow() { if (!window.slow) return; const t = performance.now(); while (performance.now() - t < 300);
        requestAnimationFrame(slow); })(),
      tackReplay.play(10),
      requestAnimationFrame(function seen(ts) { window.played.push([ts, Date.parse(tackReplay.state().time.replace(" ", "T") + "Z")]);
        if (window.slow) requestAnimationFrame(seen); })`);
    await until(page, `window.played.length > 1 && window.played[window.played.length - 1][1] - window.played[0][1] >= 60000`,
      "60 s of play");
    const played = await page.eval("window.slow = false, { state: tackReplay.state(), first: window.played[0], last: window.played[window.played.length - 1] }");
    const rate = (played.last[1] - played.first[1]) / (played.last[0] - played.first[0]);
    check(played.state.playing && played.state.speed === 10 && rate > 9.3 && rate <= 10.5, `10x played at ${rate.toFixed(2)}x`);
    await page.eval("tackReplay.pause()");
    // Results as the command-line tool gives them.
    const expected = JSON.parse(execFileSync(cli, ["results", demo, "demo_race.txt", "--json"], { encoding: "utf8" }));
    const results = await page.eval("tackReplay.results()");
    check(JSON.stringify(results) === JSON.stringify(expected),
      `results differ:\n page ${JSON.stringify(results)}\n cli  ${JSON.stringify(expected)}`);
    await chartChecks(page);
    await page.eval(`tackReplay.seek("2024-06-15 10:30:00")`);
    // Auto view: after Fit the view, which shows the whole course, eases toward the fleet; the wheel ends it.
    const offFleet = `(() => { const a = Tack.main, t = Tack.follow.target(a, {});
      return Math.hypot(a.view.cx - t.cx, a.view.cy - t.cy) * a.view.s; })()`;
    const fitted = await page.eval(`document.getElementById("fit").click(), ${offFleet}`);
    check(fitted > 20, `the fleet at 10:30 is ${fitted} px from the middle of the course: no test of auto view`);
    await until(page, `${offFleet} < ${fitted / 4}`, "auto view to bring the fleet to the middle");
    const wheeled = await page.eval(`document.getElementById("map").dispatchEvent(new WheelEvent("wheel",
      { deltaY: 100, clientX: 300, clientY: 300, cancelable: true })), Tack.main.autoView`);
    check(wheeled === false, "the wheel ends auto view");
    await page.shot("demo-en.png");

    // A link to a moment opens at that UTC instant following the boat; the address follows the user.
    const link = await openPage(cdp, "file://" + out + "/index.html#t=2024-06-15T01:25:00Z&boat=Seagull", "en-US", shots);
    const linked = await link.eval("tackReplay.state()");
    check(linked.time === "2024-06-15 10:25:00" && !linked.playing && linked.following === "Seagull", "the link's moment: " +
      JSON.stringify({ time: linked.time, playing: linked.playing, following: linked.following }));
    const seagull = linked.boats.find((x) => x.name === "Seagull");
    // The leaderboard: rows in rank order at the clock, each as state() tells it.
    const board = `[...document.querySelectorAll("#boats-body tr")].map((tr) => [...tr.cells].map((c) => c.textContent))`;
    const rows = await link.eval(afterFrames(board));
    const seagullRow = rows.find((r) => r[1] === "Seagull");
    check(typeof seagull.speed_kn === "number" && seagull.speed_kn > 0 && Math.abs(seagull.speed_kn - +seagullRow[3]) <= 0.051,
      `speed_kn ${seagull.speed_kn} against the leaderboard's ${seagullRow[3]}`);
    const ranked = linked.boats.filter((b) => b.rank !== null).sort((a, b) => a.rank - b.rank || a.behind_m - b.behind_m);
    check(ranked.length === 5 && ranked[0].rank === 1 && ranked[0].behind_m === 0 && ranked[4].behind_m > 0 &&
      rows.slice(0, 5).map((r) => r[1]).join() === ranked.map((b) => b.name).join() &&
      rows.every((r) => r[0] === String(linked.boats.find((b) => b.name === r[1]).rank)) && ranked.every((b) => b.leg >= 1),
      "leaderboard against state(): " + JSON.stringify(rows) + " " + JSON.stringify(ranked));
    const analysis = JSON.parse(execFileSync(cli, ["analyse", demo, "demo_race.txt", "--json"], { encoding: "utf8" }));
    check(JSON.stringify(await link.eval("tackReplay.analysis()")) === JSON.stringify(analysis), "analysis() differs from analyse --json");
    await link.eval(`[...document.querySelectorAll("#boats-body tr")].find((tr) => tr.cells[1].textContent === "Kazekiri").click()`);
    await until(link, `tackReplay.state().following === "Kazekiri" && document.querySelector("#analysis h4").textContent.startsWith("Kazekiri")`,
      "a click on the leaderboard to follow the boat and show its analysis");
    // A moment whose order differs from 10:25's, as state() tells it: the board must follow.
    const other = await link.eval(`(() => {
      const order = (t) => (tackReplay.seek(t), tackReplay.state().boats.filter((b) => b.rank !== null)
        .sort((a, b) => a.rank - b.rank || a.behind_m - b.behind_m).map((b) => b.name).join());
      const first = order("2024-06-15 10:25:00");
      for (let m = 2; m < 55; m++) {
        const t = "2024-06-15 10:" + String(m).padStart(2, "0") + ":00";
        if (order(t) !== first) return t;
      }
      return null;
    })()`);
    check(other !== null, "the ranking never changes in the demo race");
    await link.eval(`tackReplay.seek(${JSON.stringify(other)})`);
    const later = await link.eval(afterFrames(board));
    const laterState = (await link.eval("tackReplay.state()")).boats;
    check(later.map((r) => r[1]).join() !== rows.map((r) => r[1]).join() &&
      later.every((r, i) => i === 0 || r[0] === "" || +r[0] >= +later[i - 1][0]) &&
      later.every((r) => r[0] === String(laterState.find((b) => b.name === r[1]).rank ?? "")),
      "the leaderboard re-ordered at " + other + ": " + JSON.stringify(later));
    await link.eval(`tackReplay.seek("2024-06-15 10:40:00")`);
    await until(link, `location.hash === "#t=2024-06-15T01:40:00Z&boat=Kazekiri"`, "the address to follow a seek");
    await link.eval(`location.hash = "#t=2024-06-15T01:05:30Z"`);
    await until(link, `tackReplay.state().time === "2024-06-15 10:05:30" && tackReplay.state().following === null`,
      "a new link in the address bar");
    check(link.errors.length === 0, "console errors on the linked page: " + link.errors.join(" | "));
    check(page.requests.every((u) => u.startsWith("file://" + out + "/")), "requests outside the folder: " +
      page.requests.filter((u) => !u.startsWith("file://" + out + "/")).join(" "));
    check(page.errors.length === 0, "console errors: " + page.errors.join(" | "));

    const ja = await openPage(cdp, "file://" + out + "/index.html", "ja-JP", shots);
    const captions = async (p) => p.eval("document.body.innerText");
    check((await captions(ja)).includes("成績") && !(await captions(ja)).includes("Results") &&
      (await captions(page)).includes("Results"), "Japanese captions by the browser's language");
    await ja.shot("demo-ja.png");

    // The gap rule, before the first and after the last fix.
    const gap = await openPage(cdp, "file://" + gapOut + "/index.html", "en-US", shots);
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
    check(await gap.eval(`Tack.charts.state().shown === !!Tack.main.race.an && document.getElementById("charts").hidden === !Tack.main.race.an`),
      "charts shown only with the race's analysis");
    await gap.shot("gap.png");

    // The photo strip: a photo while the replay is within 30 s of it; a click shows it large and goes there.
    const strip = async (time) => gap.eval(`tackReplay.seek("${time}"), ${afterFrames(
      'Array.from(document.querySelectorAll("#photos img")).filter((i) => !i.hidden).map((i) => i.alt)')}`);
    check(JSON.stringify(await strip("2024-06-15 10:01:25")) === '["pictures/race-1/IMG_0001.JPG"]',
      "the 10:01 photo at 10:01:25");
    check((await strip("2024-06-15 10:02:30")).length === 0 &&
      (await gap.eval(`document.getElementById("photos").classList.contains("empty")`)), "no photo at 10:02:30");
    check(JSON.stringify(await strip("2024-06-15 10:03:31")) === '["pictures/race-1/IMG_0002.JPG"]',
      "the 10:04 photo at 10:03:31");
    const shown = await gap.eval(`(() => { const i = Array.from(document.querySelectorAll("#photos img")).find((i) => !i.hidden);
      i.click(); const big = document.getElementById("overlay-img");
      return new Promise((done) => { const seen = () => done({ open: !document.getElementById("overlay").hidden,
        width: big.naturalWidth, time: tackReplay.state().time });
        if (big.complete && big.naturalWidth) seen(); else big.onload = seen; setTimeout(seen, ${kCeilingMs}); }); })()`);
    check(shown.open && shown.width === 320 && shown.time === "2024-06-15 10:04:00",
      "a click on the photo shows it large at its time: " + JSON.stringify(shown));
    await gap.shot("photo.png");
    await gap.eval(`document.getElementById("overlay").click()`);

    // Loop: every race at its own speeds, one after the other, round again.
    check((await gap.eval("tackReplay.races().length")) === 2, "two races in the gap replay");
    const loopTo = async (race) => {
      const end = +(await gap.eval(`document.getElementById("slider").max`));
      await gap.eval(`tackReplay.seek(${JSON.stringify(fmt(end - 1))})`);
      await until(gap, `tackReplay.state().race === ${race}`, `Loop to reach race ${race + 1}`);
      return gap.eval("tackReplay.state()");
    };
    await gap.eval(`document.getElementById("loop").click()`);
    let st = await gap.eval("tackReplay.state()");
    check(st.playing && st.race === 0 && (await gap.eval(`document.getElementById("loop").classList.contains("on")`)),
      "Loop plays the race: " + JSON.stringify(st));
    st = await loopTo(1);
    check(st.race === 1 && st.playing, "Loop goes on to the next race: " + JSON.stringify(st));
    st = await loopTo(0);
    check(st.race === 0 && st.playing, "Loop goes round to the first race again: " + JSON.stringify(st));
    await gap.eval("tackReplay.pause()");
    check(!(await gap.eval(`document.getElementById("loop").classList.contains("on")`)), "pause ends Loop");
    check(gap.requests.every((u) => u.startsWith("file://" + gapOut + "/")), "gap replay requests outside the folder: " +
      gap.requests.filter((u) => !u.startsWith("file://" + gapOut + "/")).join(" "));
    check(gap.errors.length === 0, "console errors on the gap race: " + gap.errors.join(" | "));
  } finally {
    await close(cdp);
  }
}

run(main, tmp, failures, "replay in chromium");
