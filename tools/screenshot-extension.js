// The guide's pictures of the browser extension, taken in real Chromium on an X display (the
// caller's DISPLAY, e.g. Xvfb): its four menu items on a link around an image inside a
// selection, and its toolbar popup over the same page with a filter typed. Each picture is
// the part of the screen that changed when the menu or popup opened, with a margin.
//   DISPLAY=:95 node tools/screenshot-extension.js OUT_DIR   (puppeteer-core on NODE_PATH)
"use strict";
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const out = process.argv[2];
const extension = path.resolve(__dirname, "../browser");
const port = 8642;  // a fixed port, so the pictures' addresses stay the same
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const page = `<!doctype html><html lang="ja"><meta charset="utf-8"><title>夏の旅の写真</title>
<body style="font: 15px sans-serif; margin: 24px">
<h1 style="font-size: 20px">夏の旅の写真</h1>
<p id="photos">写真: <a href="/photo/001.jpg"><img id="thumb" src="/thumb/001.png" width="80" height="60" alt="001"></a>
<a href="/photo/002.jpg"><img src="/thumb/002.png" width="80" height="60" alt="002"></a>
<a href="/photo/003.jpg"><img src="/thumb/003.png" width="80" height="60" alt="003"></a> (3 枚)</p>
<p>まとめて: <a href="/archive/summer.part1.rar">summer.part1.rar</a>・<a href="/archive/summer.part2.rar">summer.part2.rar</a></p>
<p>動画:</p>
<video src="/movie/beach.mp4" poster="/thumb/poster.png" width="160" height="90"></video>
</body></html>`;
const thumbnail = execFileSync("convert", ["-size", "80x60", "gradient:#8ec5fc-#2a7d2e", "png:-"]);

function shoot(file) {
  execFileSync("import", ["-window", "root", file]);
}

// Crops `after` to what differs from `before` below the line `below` (the window's frame above
// it repaints when a menu takes the focus), widened by `margin` and to take in `point` (by
// default a point of the change).
function changed(before, after, file, { margin, below = 0, point = null }) {
  const diff = execFileSync("convert", [before, after, "-chop", `0x${below}`, "-compose",
    "difference", "-composite", "-fuzz", "3%", "-format", "%@", "info:"]).toString();
  const [, w, h, x, chopped] = diff.match(/(\d+)x(\d+)\+(\d+)\+(\d+)/).map(Number);
  const y = chopped + below;
  point ??= { x, y };
  const left = Math.max(0, Math.min(x, point.x) - margin);
  const top = Math.max(0, Math.min(y, point.y) - margin);
  const width = Math.max(x + w, point.x) + margin - left;
  const height = Math.max(y + h, point.y) + margin - top;
  execFileSync("convert", [after, "-crop", `${width}x${height}+${left}+${top}`, "+repage", "-strip", file]);
  console.log(file);
}

async function main() {
  const server = http.createServer((request, response) => {
    if (request.url.endsWith(".png")) {
      response.writeHead(200, { "Content-Type": "image/png" });
      response.end(thumbnail);
    } else {
      response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
      response.end(page);
    }
  });
  await new Promise((resolve) => server.listen(port, "127.0.0.1", resolve));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "cardo-shots-"));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), "cardo-shots-png-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: false,
    userDataDir: profile,
    defaultViewport: null,
    ignoreDefaultArgs: ["--disable-extensions", "--enable-automation"],
    args: [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`, "--lang=ja",
      "--no-sandbox", "--test-type", "--no-first-run", "--password-store=basic",
      "--window-position=0,0", "--window-size=960,820"],
    env: { ...process.env, LANG: "ja_JP.UTF-8", LANGUAGE: "ja" },
  });
  try {
    const workerTarget = await browser.waitForTarget((t) => t.type() === "service_worker" && t.url().endsWith("background.js"));
    const worker = await workerTarget.worker();
    const [tab] = await browser.pages();
    await tab.goto(`http://127.0.0.1:${port}/summer/index.html`, { waitUntil: "load" });
    await sleep(1000);

    // The menu on a linked image inside a selection: all four items at once.
    await tab.evaluate(() => getSelection().selectAllChildren(document.getElementById("photos")));
    const at = await tab.$eval("#thumb", (e) => {
      const r = e.getBoundingClientRect();
      return { x: r.x + r.width / 2, y: r.y + r.height / 2,
        left: window.screenX + (window.outerWidth - window.innerWidth) / 2,
        top: window.screenY + window.outerHeight - window.innerHeight };
    });
    const click = { x: Math.round(at.left + at.x), y: Math.round(at.top + at.y) };
    // The mouse away from the link, whose address the browser shows at the bottom on a hover.
    execFileSync("xdotool", ["mousemove", "700", "300"]);
    await sleep(300);
    shoot(`${work}/before.png`);
    execFileSync("xdotool", ["mousemove", String(click.x), String(click.y), "click", "3"]);
    await sleep(800);
    // The extension's submenu is the last item but one; → opens it.
    execFileSync("xdotool", ["key", "Up", "Up", "Right"]);
    await sleep(800);
    shoot(`${work}/menu.png`);
    changed(`${work}/before.png`, `${work}/menu.png`, `${out}/extension_menu.png`,
      { margin: 12, below: Math.round(at.top), point: click });
    execFileSync("xdotool", ["key", "Escape", "Escape"]);
    await tab.evaluate(() => getSelection().removeAllRanges());
    await sleep(500);

    // The popup over the page, a filter typed.
    shoot(`${work}/before.png`);
    await tab.bringToFront();
    await worker.evaluate(() => chrome.action.openPopup());
    const popupTarget = await browser.waitForTarget((t) => t.url().endsWith("popup.html"));
    const popup = await popupTarget.asPage();
    await popup.waitForFunction(() => document.getElementById("counts").textContent !== "");
    await popup.type("#filter", "*.jpg;*.rar");
    await sleep(800);
    shoot(`${work}/popup.png`);
    changed(`${work}/before.png`, `${work}/popup.png`, `${out}/extension_popup.png`, { margin: 6 });
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
