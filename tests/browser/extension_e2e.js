// The extension in headless Chromium, against `cardo-cli receive`: a page with static links,
// links a script adds after load, lazy images, a web component's shadow root, a srcdoc frame,
// frames from other origins and Japanese paths;
// each menu action and the popup's filter run through the extension's own code, and the
// receiver must print exactly the expected URLs with their pages. The frame on "localhost" is
// beyond the extension's loopback permission until the user allows its host: the browser is
// started a second time with that leave written into its profile, as the popup's request would
// have left it (a headless browser cannot show the request's prompt).
//
//   node tests/browser/extension_e2e.js CARDO_CLI   (after `npm ci` in tests/browser)
"use strict";
const assert = require("node:assert/strict");
const { spawn } = require("node:child_process");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");
const { serve, freePort, checks } = require("./harness");

const cli = process.argv[2];
const extension = path.resolve(__dirname, "../../browser");
const token = "0123456789abcdef0123456789abcdef";

const mainPage = `<!doctype html><html lang="ja"><head><meta charset="utf-8">
<style>.hero { background-image: url("/css/背景.png"), url('/css/two.png'); height: 10px }</style>
</head><body background="/bg/body.gif">
<a href="/files/a.zip#part">a</a> <a href="files/b.zip">b</a> <a href="/files/a.zip">again</a>
<a href="javascript:void(0)">js</a> <a href="mailto:x@example.com">mail</a>
<a href="data:text/plain,x">data</a> <a href="ftp://ftp.example/pub/c.iso">ftp</a>
<div class="hero"></div>
<p id="chosen">chosen: <a href="/sel/one.txt">one</a> <img src="/sel/two.png" alt=""></p>
<picture><source srcset="/pic/large,1.webp 2x, /pic/small.webp 1x">
<img src="/pic/fallback.jpg" srcset="/pic/f1.jpg 1x,/pic/f2.jpg 2x" alt=""></picture>
<video src="/media/movie.mp4" poster="/media/poster.jpg"><track src="/media/sub.vtt"></video>
<audio><source src="/media/song.ogg"></audio>
<map name="m"><area href="/map/area.html" shape="rect" coords="0,0,1,1"></map>
<a href="/日本語/ファイル.zip">日本語</a>
<cardo-card></cardo-card>
<iframe srcdoc="<a href='/srcdoc/inner.txt'>srcdoc</a>"></iframe>
<iframe id="frame" src="FRAME"></iframe>
<iframe src="FOREIGN"></iframe>
<div style="height: 4000px"></div>
<img loading="lazy" src="/lazy/native.jpg" alt="">
<img class="lazy" data-src="/lazy/scrolled.jpg" alt="">
<script>
customElements.define("cardo-card", class extends HTMLElement {
  connectedCallback() {
    this.attachShadow({ mode: "open" }).innerHTML = '<a href="/shadow/inner.txt">shadow</a>';
  }
});
addEventListener("load", () => setTimeout(() => {
  const a = document.createElement("a");
  a.href = "/late/added.zip";
  a.textContent = "late";
  document.getElementById("frame").before(a);
}, 50));
new IntersectionObserver((entries) => {
  for (const e of entries) if (e.isIntersecting) e.target.src = e.target.dataset.src;
}).observe(document.querySelector("img.lazy"));
</script></body></html>`;
const framePage = `<!doctype html><meta charset="utf-8"><a href="/枠/inner.zip#x">inner</a>
<a href="http://PAGEHOST/files/a.zip">a again</a><img src="pic.png" alt="">`;
const foreignPage = `<!doctype html><a href="/foreign/x.zip#y">x</a><a href="/foreign/y.zip">y</a>`;

// The receiver's lines, collected as they arrive.
class Receiver {
  constructor(port) {
    this.lines = [];
    this.process = spawn(cli, ["receive", "--port", String(port), "--token", token, "--with-page"], {
      stdio: ["ignore", "pipe", "pipe"],
    });
    let pending = "";
    this.process.stdout.on("data", (chunk) => {
      pending += chunk;
      const lines = pending.split("\n");
      pending = lines.pop();
      this.lines.push(...lines);
    });
    this.ready = new Promise((resolve) => this.process.stderr.on("data", (d) => String(d).includes("listening") && resolve()));
  }
  // The lines that arrived since the last call, once `count` have (or after a grace time, to
  // see that no more come).
  async take(count) {
    const deadline = Date.now() + 10000;
    while (this.lines.length < count && Date.now() < deadline) await new Promise((r) => setTimeout(r, 20));
    await new Promise((r) => setTimeout(r, 200));
    return this.lines.splice(0);
  }
  stop() {
    return new Promise((resolve) => {
      this.process.on("exit", (code, signal) => resolve({ code, signal }));
      this.process.kill("SIGTERM");
    });
  }
}

// A receiver that answers the n-th request with statuses[n] (500 past their end; a 503 naming a
// second's wait, as the busy receiver does), and keeps when each came.
function stubReceiver(statuses) {
  const times = [];
  const server = http.createServer((request, response) => {
    request.resume().on("end", () => {
      const status = statuses[times.length] ?? 500;
      times.push(Date.now());
      response.writeHead(status, status === 503 ? { "Retry-After": "1" } : { "Content-Type": "application/json" });
      response.end(status === 503 ? "" : status === 200 ? '{"added":1,"skipped":0}' : '{"message":"in English"}');
    });
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve({ server, times })));
}

// Chromium with the extension in `profile`, and the extension's service worker.
async function launch(profile) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    ignoreDefaultArgs: ["--disable-extensions"],
    args: [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`, "--lang=ja",
      "--no-sandbox", "--no-first-run"],
    env: { ...process.env, LANG: "ja_JP.UTF-8", LANGUAGE: "ja" },
  });
  const workerTarget = await browser.waitForTarget((t) => t.type() === "service_worker" && t.url().endsWith("background.js"), { timeout: 10000 });
  return { browser, worker: await workerTarget.worker(), id: new URL(workerTarget.url()).host };
}

// What the browser keeps when the user allows the popup's request for `hosts`, written into the
// closed profile.
function grantInProfile(profile, id, hosts) {
  const file = path.join(profile, "Default", "Preferences");
  const prefs = JSON.parse(fs.readFileSync(file, "utf8"));
  const settings = prefs.extensions.settings[id];
  for (const granted of [settings.granted_permissions, settings.active_permissions]) granted.explicit_host.push(...hosts);
  fs.writeFileSync(file, JSON.stringify(prefs));
}

// The page loaded, scrolled to its end and grown, with its tab as the menu's click hands it on.
async function openPage(browser, worker, pageUrl) {
  const page = await browser.newPage();
  await page.goto(pageUrl, { waitUntil: "load" });
  await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
  await page.waitForFunction(() => document.querySelector("img.lazy").getAttribute("src") && document.querySelector('a[href="/late/added.zip"]'));
  const tab = await worker.evaluate(async (url) => (await chrome.tabs.query({ url })).map((t) => ({ id: t.id, title: t.title, url: t.url }))[0], pageUrl);
  return { page, tab };
}

// The toolbar popup over `page`, once it has read the page.
async function openPopup(browser, worker, page) {
  await page.bringToFront();
  await worker.evaluate(() => chrome.action.openPopup());
  const popupTarget = await browser.waitForTarget((t) => t.url().endsWith("popup.html"), { timeout: 5000 });
  const popup = await popupTarget.asPage();
  await popup.waitForFunction(() => document.getElementById("counts").textContent !== "");
  return popup;
}

async function main() {
  const frameServer = await serve((url) => url.startsWith("/foreign")
    ? foreignPage : framePage.replace("PAGEHOST", `127.0.0.1:${pageServer.address().port}`));
  const pageServer = await serve(() => mainPage.replace("FRAME", `${frameOrigin}/枠/inner.html`).replace("FOREIGN", foreignUrl));
  const frameOrigin = `http://127.0.0.1:${frameServer.address().port}`;
  const foreignOrigin = `http://localhost:${frameServer.address().port}`;
  const foreignUrl = `${foreignOrigin}/foreign.html`;
  const origin = `http://127.0.0.1:${pageServer.address().port}`;
  const receiverPort = await freePort();
  const receiver = new Receiver(receiverPort);
  await receiver.ready;

  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "cardo-chromium-"));
  let { browser, worker, id } = await launch(profile);
  const { failures, check } = checks();
  try {
    await worker.evaluate((port, t) => chrome.storage.local.set({ port, token: t }), receiverPort, token);
    const pageUrl = `${origin}/${encodeURI("ページ")}/index.html`;
    let { page, tab } = await openPage(browser, worker, pageUrl);
    const menu = (info) => worker.evaluate((i, t) => sendFromMenu(i, t), { pageUrl, ...info }, tab);
    const frameUrl = `${frameOrigin}/${encodeURI("枠")}/inner.html`;
    const p = (url) => `${url}\t${pageUrl}`;
    const f = (url) => `${url}\t${frameUrl}`;

    await check("the menu texts are the program's own", async () => {
      const titles = await worker.evaluate(() => ["menuLink", "menuImage", "menuSelection", "menuPage"].map((k) => chrome.i18n.getMessage(k)));
      assert.deepEqual(titles, ["このリンクを Cardo に送る", "この画像を Cardo に送る", "選択範囲のリンクを Cardo に送る", "このページのリンクをすべて Cardo に送る"]);
    });

    const pageLinks = [
        p(`${origin}/bg/body.gif`),
        p(`${origin}/files/a.zip`),
        p(`${origin}/${encodeURI("ページ")}/files/b.zip`),
        p("ftp://ftp.example/pub/c.iso"),
        p(`${origin}/css/${encodeURI("背景")}.png`),
        p(`${origin}/css/two.png`),
        p(`${origin}/sel/one.txt`),
        p(`${origin}/sel/two.png`),
        p(`${origin}/pic/large,1.webp`),
        p(`${origin}/pic/small.webp`),
        p(`${origin}/pic/fallback.jpg`),
        p(`${origin}/pic/f1.jpg`),
        p(`${origin}/pic/f2.jpg`),
        p(`${origin}/media/movie.mp4`),
        p(`${origin}/media/poster.jpg`),
        p(`${origin}/media/sub.vtt`),
        p(`${origin}/media/song.ogg`),
        p(`${origin}/map/area.html`),
        p(`${origin}/${encodeURI("日本語/ファイル")}.zip`),
        p(`${origin}/shadow/inner.txt`),
        p(`${origin}/late/added.zip`),
        p(`${origin}/lazy/native.jpg`),
        p(`${origin}/lazy/scrolled.jpg`),
        p(`${origin}/srcdoc/inner.txt`),
        f(`${frameOrigin}/${encodeURI("枠")}/inner.zip`),
        f(`${frameOrigin}/${encodeURI("枠")}/pic.png`),
    ];
    await check("this page's links, shadow roots and all frames it may read, in document order, each once", async () => {
      await menu({ menuItemId: "page" });
      assert.deepEqual(await receiver.take(26), pageLinks);
    });

    await check("the selection's links", async () => {
      await page.evaluate(() => getSelection().selectAllChildren(document.getElementById("chosen")));
      await menu({ menuItemId: "selection" });
      assert.deepEqual(await receiver.take(2), [p(`${origin}/sel/one.txt`), p(`${origin}/sel/two.png`)]);
    });

    await check("one link and one image, fragment dropped, with the frame's page", async () => {
      await menu({ menuItemId: "link", linkUrl: `${origin}/files/a.zip#part` });
      await menu({ menuItemId: "image", srcUrl: `${frameOrigin}/枠/pic.png`, frameUrl });
      await menu({ menuItemId: "link", linkUrl: "javascript:alert(1)" });
      await menu({ menuItemId: "link", linkUrl: `${origin}/srcdoc/inner.txt`, frameUrl: "about:srcdoc" });
      assert.deepEqual(await receiver.take(3), [
        p(`${origin}/files/a.zip`), f(`${frameOrigin}/${encodeURI("枠")}/pic.png`), p(`${origin}/srcdoc/inner.txt`),
      ]);
    });

    await check("the popup counts, filters live, previews and sends", async () => {
      const popup = await openPopup(browser, worker, page);
      assert.equal(await popup.$eval("#counts", (e) => e.textContent), "リンク 10・画像 13・メディア 3");
      await popup.$eval("#filter", (e) => { e.value = ""; });
      await popup.type("#filter", "*.zip;!*/late/*");
      assert.equal(await popup.$eval("#matching", (e) => e.textContent), "一致: 4 件");
      assert.deepEqual(await popup.$$eval("#preview li", (items) => items.map((i) => i.textContent)), [
        `${origin}/files/a.zip`, `${origin}/${encodeURI("ページ")}/files/b.zip`,
        `${origin}/${encodeURI("日本語/ファイル")}.zip`, `${frameOrigin}/${encodeURI("枠")}/inner.zip`,
      ]);
      await popup.click("#send");
      await popup.waitForFunction(() => document.getElementById("status").textContent !== "");
      assert.equal(await popup.$eval("#status", (e) => e.textContent), "4 件を Cardo に送りました。");
      assert.deepEqual(await receiver.take(4), [
        p(`${origin}/files/a.zip`), p(`${origin}/${encodeURI("ページ")}/files/b.zip`),
        p(`${origin}/${encodeURI("日本語/ファイル")}.zip`), f(`${frameOrigin}/${encodeURI("枠")}/inner.zip`),
      ]);
      await popup.close();
    });

    await check("the popup names the frame it could not read and asks for its host", async () => {
      const popup = await openPopup(browser, worker, page);
      assert.equal(await popup.$eval("#frames", (e) => e.hidden), false);
      assert.equal(await popup.$eval("#unread", (e) => e.textContent), "別のサイトの枠 1 個は読めませんでした（そのリンクは含まれません）。");
      await popup.evaluate(() => {
        chrome.permissions.request = async (asked) => {
          window.asked = asked;
          return false;
        };
      });
      await popup.click("#allowFrames");
      assert.deepEqual(await popup.evaluate(() => window.asked), { origins: ["http://localhost/*"] });
      await popup.close();
    });

    await check("Cardo not reachable: the popup's one line, and its copy fills the clipboard", async () => {
      const closed = await freePort();
      await worker.evaluate((port) => chrome.storage.local.set({ port }), closed);
      await browser.defaultBrowserContext().overridePermissions(`chrome-extension://${id}`, ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
      const popup = await openPopup(browser, worker, page);
      await popup.$eval("#filter", (e) => { e.value = ""; });
      await popup.type("#filter", "*.zip");
      await popup.click("#send");
      await popup.waitForFunction(() => !document.getElementById("copy").hidden);
      assert.equal(await popup.$eval("#status", (e) => e.textContent), `Cardo に接続できません（127.0.0.1:${closed}）。`);
      await popup.click("#copy");
      await popup.waitForFunction(() => document.getElementById("status").textContent.includes("コピー"));
      assert.equal(await popup.$eval("#status", (e) => e.textContent), "5 件の URL をコピーしました。");
      assert.equal(await popup.evaluate(() => navigator.clipboard.readText()), [
        `${origin}/files/a.zip`, `${origin}/${encodeURI("ページ")}/files/b.zip`,
        `${origin}/${encodeURI("日本語/ファイル")}.zip`, `${origin}/late/added.zip`,
        `${frameOrigin}/${encodeURI("枠")}/inner.zip`, "",
      ].join("\n"));
      await worker.evaluate((port) => chrome.storage.local.set({ port, filter: "" }), receiverPort);
      await popup.close();
    });

    await check("Cardo not reachable: one line and the URLs kept to copy", async () => {
      const closed = await freePort();
      await worker.evaluate((port) => chrome.storage.local.set({ port }), closed);
      await menu({ menuItemId: "link", linkUrl: `${origin}/files/a.zip` });
      await worker.evaluate((port) => chrome.storage.local.set({ port }), receiverPort);
      const failed = await worker.evaluate(async () => (await chrome.storage.session.get("failed")).failed);
      assert.deepEqual(failed, { message: `Cardo に接続できません（127.0.0.1:${closed}）。`, urls: [`${origin}/files/a.zip`] });
    });

    await check("a wrong token is refused and nothing is printed", async () => {
      await worker.evaluate(() => chrome.storage.local.set({ token: "wrong" }));
      await menu({ menuItemId: "link", linkUrl: `${origin}/files/a.zip` });
      const failed = await worker.evaluate(async () => (await chrome.storage.session.get("failed")).failed);
      assert.equal(failed.message, "トークンが違います。オプションで Cardo のトークンを設定してください。");
      assert.deepEqual(await receiver.take(0), []);
      await worker.evaluate((t) => chrome.storage.local.set({ token: t }), token);
    });

    await check("the receiver's refusals in the user's language; a busy one is asked again a second later", async () => {
      const refused = [
        { statuses: [503, 200], outcome: { ok: true, added: 1, skipped: 0 } },
        { statuses: [503, 503], message: "Cardo が混み合っています。少し待ってからもう一度送ってください。" },
        { statuses: [401], message: "トークンが違います。オプションで Cardo のトークンを設定してください。" },
        { statuses: [413], message: "一度に送る URL が多すぎます。フィルタで絞ってから送ってください。" },
        { statuses: [400], message: "送った内容を Cardo が読めませんでした。" },
        { statuses: [403], message: "Cardo はブラウザ拡張からしか URL を受け取りません。" },
        { statuses: [408], message: "送信に時間がかかりすぎました。もう一度送ってください。" },
        { statuses: [404], message: "Cardo が URL を受け取りませんでした（HTTP 404）。" },
      ];
      try {
        for (const { statuses, outcome, message } of refused) {
          const { server, times } = await stubReceiver(statuses);
          await worker.evaluate((port) => chrome.storage.local.set({ port }), server.address().port);
          const got = await worker.evaluate(() => cardoSend([{ url: "http://example.test/a.zip", page: "" }], ""));
          server.close();
          assert.deepEqual(got, outcome ?? { ok: false, message }, `answered ${statuses}`);
          assert.equal(times.length, statuses.length, `answered ${statuses}`);
          if (times.length === 2) assert.ok(times[1] - times[0] >= 900, `asked again after ${times[1] - times[0]} ms`);
        }
      } finally {
        await worker.evaluate((port) => chrome.storage.local.set({ port }), receiverPort);
      }
    });

    await check("with leave for its host, the other site's frame is read with its own page", async () => {
      await browser.close();
      grantInProfile(profile, id, ["http://localhost/*"]);
      ({ browser, worker } = await launch(profile));
      ({ page, tab } = await openPage(browser, worker, pageUrl));
      await menu({ menuItemId: "page" });
      const g = (url) => `${url}\t${foreignUrl}`;
      assert.deepEqual(await receiver.take(28), [...pageLinks, g(`${foreignOrigin}/foreign/x.zip`), g(`${foreignOrigin}/foreign/y.zip`)]);
      const popup = await openPopup(browser, worker, page);
      assert.equal(await popup.$eval("#frames", (e) => e.hidden), true);
      await popup.close();
    });
  } finally {
    await browser.close();
    const ended = await receiver.stop();
    frameServer.close();
    pageServer.close();
    fs.rmSync(profile, { recursive: true, force: true });
    if (ended.code !== 0) failures.push(`cardo-cli receive ended with ${ended.code ?? ended.signal} on SIGTERM`);
  }
  console.log(`browser e2e: ${failures.length === 0 ? "all passed" : `${failures.length} failed`}`);
  process.exit(failures.length === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
