// The extension in headless Chromium, against Cardo.exe under Wine: a page's links and its
// frame's go into the list, each with its page (the aria2 file's referer), and one undo takes
// them out again. Cardo is driven from outside: its receiver's status tells the lines, the
// guide driver posts its menu commands.
//
//   node tests/browser/cardo_exe_e2e.js FOLDER PORT TOKEN
//   (FOLDER holds Cardo.exe, guide_driver.exe and a CARDO.INI with the receiver on PORT and
//   TOKEN; CARDO_WINE_LOADER runs Windows programs)
"use strict";
const assert = require("node:assert/strict");
const { spawn, execFileSync } = require("node:child_process");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");
const { serve, checks } = require("./harness");

const [folder, port, token] = process.argv.slice(2);
const wine = process.env.CARDO_WINE_LOADER || "wine";
const extension = path.resolve(__dirname, "../../browser");
const kMaxLines = 32767;

const mainPage = `<!doctype html><meta charset="utf-8">
<a href="/files/a.zip#part">a</a> <img src="/img/b.jpg" alt=""> <a href="/日本語/c.zip">c</a>
<iframe src="FRAME"></iframe>`;
const framePage = `<!doctype html><meta charset="utf-8"><a href="inner.zip">inner</a>`;

// The room Cardo's list has left, or null while it does not answer.
function room() {
  return new Promise((resolve) => {
    const request = http.get({ host: "127.0.0.1", port, path: "/v1/status", headers: { Authorization: `Bearer ${token}` }, timeout: 2000 }, (response) => {
      let body = "";
      response.on("data", (chunk) => { body += chunk; });
      response.on("end", () => resolve(response.statusCode === 200 ? JSON.parse(body).room : null));
    });
    request.on("error", () => resolve(null));
    request.on("timeout", () => request.destroy());
  });
}

async function waitFor(what, test, seconds = 30) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 100));
  }
}

function driver(...args) {
  execFileSync(wine, ["guide_driver.exe", ...args], { cwd: folder, stdio: "ignore" });
}

// The aria2 file's URLs, each with its referer.
function aria2Lines(text) {
  const lines = [];
  for (const line of text.split("\r\n")) {
    if (line && !line.startsWith(" ")) lines.push([line, null]);
    else if (line.startsWith(" referer=")) lines[lines.length - 1][1] = line.slice(" referer=".length);
  }
  return lines;
}

async function main() {
  const frameServer = await serve(() => framePage);
  const frameOrigin = `http://127.0.0.1:${frameServer.address().port}`;
  const pageServer = await serve(() => mainPage.replace("FRAME", `${frameOrigin}/frame/inner.html`));
  const origin = `http://127.0.0.1:${pageServer.address().port}`;
  const cardo = spawn(wine, ["Cardo.exe"], { cwd: folder, stdio: "ignore" });
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "cardo-chromium-"));
  const { failures, check } = checks();
  let browser;
  try {
    await check("Cardo.exe listens with the settings' port and token", async () => {
      assert.equal(await waitFor("Cardo's receiver", room, 60), kMaxLines);
    });
    browser = await puppeteer.launch({
      executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
      headless: true,
      userDataDir: profile,
      ignoreDefaultArgs: ["--disable-extensions"],
      args: [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`, "--no-sandbox", "--no-first-run"],
    });
    const workerTarget = await browser.waitForTarget((t) => t.type() === "service_worker" && t.url().endsWith("background.js"), { timeout: 10000 });
    const worker = await workerTarget.worker();
    await worker.evaluate((p, t) => chrome.storage.local.set({ port: p, token: t }), Number(port), token);
    const page = await browser.newPage();
    const pageUrl = `${origin}/index.html`;
    const frameUrl = `${frameOrigin}/frame/inner.html`;
    await page.goto(pageUrl, { waitUntil: "load" });
    const tab = await worker.evaluate(async (url) => (await chrome.tabs.query({ url })).map((t) => ({ id: t.id, title: t.title, url: t.url }))[0], pageUrl);

    await check("this page's links go into the list, each with its page as Referer", async () => {
      await worker.evaluate((i, t) => sendFromMenu(i, t), { pageUrl, menuItemId: "page" }, tab);
      await waitFor("the lines in the list", async () => (await room()) === kMaxLines - 4);
      const exported = path.join(folder, "TEMP.ARIA2");
      driver("command", "1033");
      await waitFor("the aria2 file", () => fs.existsSync(exported));
      assert.deepEqual(aria2Lines(fs.readFileSync(exported, "latin1")), [
        [`${origin}/files/a.zip`, pageUrl],
        [`${origin}/img/b.jpg`, pageUrl],
        [`${origin}/${encodeURI("日本語")}/c.zip`, pageUrl],
        [`${frameOrigin}/frame/inner.zip`, frameUrl],
      ]);
    });

    await check("one undo takes the whole send out", async () => {
      driver("command", "1131");
      await waitFor("the list emptied", async () => (await room()) === kMaxLines, 10);
    });
  } finally {
    if (browser) await browser.close();
    cardo.kill("SIGKILL");
    frameServer.close();
    pageServer.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  console.log(`browser cardo e2e: ${failures.length === 0 ? "all passed" : `${failures.length} failed`}`);
  process.exit(failures.length === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
