// The hand-over to Cardo's receiver on the loopback address, and what the user is told.
const cardoDefaults = { port: 8765, token: "" };

async function cardoSettings() {
  return { ...cardoDefaults, ...(await chrome.storage.local.get(["port", "token"])) };
}

// The receiver's refusals as the user is told them; any other status is named by its number.
const cardoRefusals = {
  400: "refusedMalformed",
  401: "wrongToken",
  403: "refusedOrigin",
  408: "refusedSlow",
  413: "refusedTooLarge",
  503: "refusedBusy",
};

function cardoRefusal(status) {
  const key = cardoRefusals[status];
  return key ? chrome.i18n.getMessage(key) : chrome.i18n.getMessage("refused", [String(status)]);
}

// A busy receiver (all its connections taken) answers 503 and names the wait in Retry-After;
// it is asked once more after that wait (a second, unless it says otherwise, and never long).
async function cardoFetch(url, init) {
  const answer = await fetch(url, init);
  if (answer.status !== 503) return answer;
  const named = Number(answer.headers.get("Retry-After"));
  const seconds = Number.isFinite(named) && named >= 0 && named <= 5 ? named : 1;
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  return fetch(url, init);
}

// Sends `links` ([{url, page}]) with the page's `title`. Answers {ok, added, skipped} or
// {ok: false, message}, the message one line in the user's language.
async function cardoSend(links, title) {
  const { port, token } = await cardoSettings();
  const body = JSON.stringify({ title, urls: links.map((l) => ({ url: l.url, page: l.page })) });
  let answer;
  try {
    answer = await cardoFetch(`http://127.0.0.1:${port}/v1/links`, {
      method: "POST",
      headers: { Authorization: `Bearer ${token}`, "Content-Type": "application/json" },
      body,
    });
  } catch {
    return { ok: false, unreachable: true, message: chrome.i18n.getMessage("unreachable", [String(port)]) };
  }
  if (!answer.ok) return { ok: false, message: cardoRefusal(answer.status) };
  const reply = await answer.json().catch(() => ({}));
  return { ok: true, added: reply.added, skipped: reply.skipped };
}

// The links of every frame of `tabId` the extension may read, each frame's own with its address
// as page; each URL once over all frames, in the order the frames were made. `unread` counts
// the frames it may not read (frames the read ones hold, less those read); `hosts` are the match
// patterns of other sites' frames that no read frame came from, for asking the user's leave.
async function cardoCollectTab(tabId, onlySelection) {
  const results = await chrome.scripting.executeScript({
    target: { tabId, allFrames: true },
    func: cardoCollect,
    args: [onlySelection],
  });
  // Frames answer as they finish; their ids follow the order they were made in.
  results.sort((a, b) => a.frameId - b.frameId);
  const seen = new Set();
  const links = [];
  const hosts = new Set();
  let held = 0;
  let read = 0;
  for (const { result } of results) {
    if (!result) continue;
    read++;
    held += result.frames;
    for (const host of result.frameHosts) hosts.add(host);
    for (const item of result.items) {
      if (seen.has(item.url)) continue;
      seen.add(item.url);
      links.push({ url: item.url, kind: item.kind, page: result.page });
    }
  }
  const readHosts = new Set(results.filter((r) => r.result).map(({ result }) => {
    const { protocol, hostname } = new URL(result.page);
    return `${protocol}//${hostname}/*`;
  }));
  const unreadHosts = [...hosts].filter((host) => !readHosts.has(host));
  return { links, unread: Math.max(0, held - (read - 1)), hosts: unreadHosts };
}
