// The toolbar popup: what the page holds, the filter with its live count and preview, 「送る」,
// and, when Cardo cannot be reached, one line and the offer to copy the URLs.
const previewSize = 50;
let links = [];
let chosen = [];
let tab;

for (const element of document.querySelectorAll("[data-i18n]")) {
  element.textContent = chrome.i18n.getMessage(element.dataset.i18n);
}
const $ = (id) => document.getElementById(id);

function showFailure(message, urls) {
  $("status").textContent = message;
  const copy = $("copy");
  copy.hidden = false;
  copy.onclick = async () => {
    await navigator.clipboard.writeText(urls.join("\n") + "\n");
    $("status").textContent = chrome.i18n.getMessage("copied", [String(urls.length)]);
  };
}

function refilter() {
  const test = cardoFilter($("filter").value);
  chosen = links.filter((l) => test(l.url));
  $("matching").textContent = chrome.i18n.getMessage("matching", [String(chosen.length)]);
  const preview = $("preview");
  preview.replaceChildren(...chosen.slice(0, previewSize).map((l) => {
    const item = document.createElement("li");
    item.textContent = l.url;
    return item;
  }));
  $("send").disabled = chosen.length === 0;
}

// Frames from other sites are read only with the user's leave for their hosts; until then the
// popup says how many were left out and offers to ask. Firefox closes the popup while it asks,
// so a grant shows the next time it opens.
function showUnread(unread, hosts) {
  $("frames").hidden = unread === 0;
  $("unread").textContent = chrome.i18n.getMessage("framesUnread", [String(unread)]);
  $("allowFrames").hidden = hosts.length === 0;
  $("allowFrames").title = hosts.join("\n");
  $("allowFrames").onclick = async () => {
    if (await chrome.permissions.request({ origins: hosts })) await collect();
  };
}

async function collect() {
  let found;
  try {
    found = await cardoCollectTab(tab.id, false);
  } catch (error) {
    $("counts").textContent = chrome.i18n.getMessage("cannotRead");
    $("send").disabled = true;
    return;
  }
  links = found.links;
  const count = (kind) => String(links.filter((l) => l.kind === kind).length);
  $("counts").textContent = chrome.i18n.getMessage("counts", [count("link"), count("image"), count("media")]);
  showUnread(found.unread, found.hosts);
  refilter();
}

async function start() {
  [tab] = await chrome.tabs.query({ active: true, currentWindow: true });
  const { filter = "" } = await chrome.storage.local.get("filter");
  $("filter").value = filter;
  const { failed } = await chrome.storage.session.get("failed").catch(() => ({}));
  if (failed) showFailure(failed.message, failed.urls);
  await collect();
}

$("filter").addEventListener("input", () => {
  chrome.storage.local.set({ filter: $("filter").value });
  refilter();
});

$("send").addEventListener("click", async () => {
  $("send").disabled = true;
  const outcome = await cardoSend(chosen, tab.title || "");
  $("send").disabled = false;
  if (!outcome.ok) {
    showFailure(outcome.message, chosen.map((l) => l.url));
    return;
  }
  $("copy").hidden = true;
  chrome.storage.session.remove("failed").catch(() => {});
  chrome.action.setBadgeText({ tabId: tab.id, text: "" });
  $("status").textContent = chrome.i18n.getMessage("sent", [String(outcome.added)]);
});

start();
