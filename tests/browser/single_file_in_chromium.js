// The one-file replay in headless Chromium with every request but the file's
// own refused: it plays, every boat is where its track says, its pictures
// show, and the results open over the page and close again.
// Usage: node single_file_in_chromium.js TACKEDIT-CLI MAKE-PICTURES DEMO-WORKSPACE
"use strict";
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { launch, openPage, until, afterFrames, close, run } = require("./cdp.js");

const [cli, makePictures, demo] = process.argv.slice(2);
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "tackedit-one-file-"));
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// tackedit-cli dump: UTC times (to the second) and minutes of arc, as local seconds and degrees.
function dump(file, timeDiff) {
  return execFileSync(cli, ["dump", file], { encoding: "utf8" }).split("\n").filter((l) => /^\d+\t/.test(l)).map((l) => {
    const [, time, lat, lon] = l.split("\t");
    return { t: Date.parse(time.replace(" ", "T") + "Z") / 1000 + timeDiff * 3600, lat: +lat / 60, lon: +lon / 60 };
  });
}
const fmt = (t) => new Date(t * 1000).toISOString().slice(0, 19).replace("T", " ");

async function main() {
  // The demo with two photographs taken during the race.
  const ws = path.join(tmp, "ws");
  fs.cpSync(demo, ws, { recursive: true });
  fs.mkdirSync(path.join(ws, "photos"));
  execFileSync(makePictures, [path.join(ws, "photos"), "2", "640", "480", "80", "2024:06:15 10:20:00", "180"]);
  const raceFile = path.join(ws, "raceadmin/demo_race.txt");
  fs.appendFileSync(raceFile, `PIC,${path.join(ws, "photos")},0\r\n`);
  const out = path.join(tmp, "replay.html");
  execFileSync(cli, ["replay", ws, out, "demo_race.txt", "--single-file"]);

  const url = "file://" + out;
  const cdp = launch(path.join(tmp, "profile"));
  try {
    const page = await openPage(cdp, url, "en-US", tmp, { only: url });
    // Every boat, in the race file's order, against its own track at a moment
    // when each has fixes close around it.
    const tracks = fs.readFileSync(raceFile, "latin1").split("\r\n").filter((l) => l.startsWith("BN,"))
      .map((l) => dump(path.join(ws, "gpsdat", l.split(",")[1]), 9));
    const around = (fixes, t) => { const i = fixes.findIndex((f, k) => f.t <= t && fixes[k + 1] && fixes[k + 1].t > t);
      return i >= 0 && fixes[i + 1].t - fixes[i].t <= 3 ? [fixes[i], fixes[i + 1]] : null; };
    let t = Date.parse("2024-06-15T10:30:00Z") / 1000;
    while (!tracks.every((f) => around(f, t)) && t < Date.parse("2024-06-15T10:50:00Z") / 1000) t++;
    check(tracks.length === 5 && tracks.every((f) => around(f, t)), "no moment with every boat between two close fixes");
    const boats = await page.eval(`tackReplay.seek(${JSON.stringify(fmt(t))}), tackReplay.state().boats`);
    check(boats.length === tracks.length, `${boats.length} boats on the page, ${tracks.length} in the race file`);
    tracks.forEach((fixes, k) => {
      const [a, b] = around(fixes, t), f = (t - a.t) / (b.t - a.t);
      const lat = a.lat + (b.lat - a.lat) * f, lon = a.lon + (b.lon - a.lon) * f;
      // dump gives times to the second: half a second's way is as close as it can tell.
      const slack = 1.5e-6 + Math.hypot(b.lat - a.lat, b.lon - a.lon) / (b.t - a.t) / 2;
      const boat = boats[k] || {};
      check(boat.visible && Math.hypot(boat.lat - lat, boat.lon - lon) <= slack,
        `boat ${k + 1} at ${fmt(t)}: ${JSON.stringify(boat)}, expected ${lat}, ${lon} within ${slack}`);
    });
    // The photographs decode from inside the file, each when the replay is near it.
    const photos = [];
    for (const time of ["2024-06-15 10:20:10", "2024-06-15 10:23:10"])
      photos.push(await page.eval(`tackReplay.seek("${time}"), ${afterFrames(`Promise.all([...document.querySelectorAll("#photos img")]
        .filter((i) => !i.hidden).map((i) => i.decode().then(() => i.naturalWidth, () => 0)))`)}`));
    check(JSON.stringify(photos) === "[[640],[640]]", "photographs: " + JSON.stringify(photos));
    // Results over the page, and back.
    await page.eval(`document.getElementById("results-page").click()`);
    await until(page, `document.getElementById("results-sheet").open &&
      document.querySelector("#results-sheet iframe").contentDocument.querySelectorAll("tbody tr").length === 5`,
    "the results to open with five boats");
    await page.eval(`document.querySelector("#results-sheet iframe").contentDocument.querySelector("#menu a").click()`);
    await until(page, `!document.getElementById("results-sheet").open`, "the results' back link to close them");
    await page.eval(`tackReplay.play(60)`);
    await until(page, `tackReplay.state().time > ${JSON.stringify(fmt(t + 60))}`, "a minute of play");
    check(page.refused.length === 0, "requests beside the file: " + page.refused.join(" "));
    check(page.requests.every((u) => u === url || u.startsWith("data:")), "requests: " +
      page.requests.filter((u) => u !== url && !u.startsWith("data:")).join(" "));
    check(page.errors.length === 0, "console errors: " + page.errors.join(" | "));
  } finally {
    await close(cdp);
  }
}

run(main, tmp, failures, "one-file replay in chromium");
