// The context menu's four ways to send, and what a failed send leaves for the popup.
if (typeof importScripts === "function") importScripts("collect.js", "send.js");

const menus = [
  { id: "link", contexts: ["link"] },
  { id: "image", contexts: ["image"] },
  { id: "selection", contexts: ["selection"] },
  { id: "page", contexts: ["page", "frame", "selection", "link", "image"] },
];
const menuTitles = { link: "menuLink", image: "menuImage", selection: "menuSelection", page: "menuPage" };

chrome.runtime.onInstalled.addListener(() => {
  chrome.contextMenus.removeAll(() => {
    for (const { id, contexts } of menus) {
      chrome.contextMenus.create({ id, contexts, title: chrome.i18n.getMessage(menuTitles[id]) });
    }
  });
});

// One address the menu names, as the collector would take it: http, https or ftp, no fragment.
function single(text, page) {
  try {
    const url = new URL(text);
    if (!["http:", "https:", "ftp:"].includes(url.protocol)) return [];
    url.hash = "";
    return [{ url: url.href, page }];
  } catch {
    return [];
  }
}

// A srcdoc or about:blank frame has no address of its own to send as page; the tab's stands in
// for its parent's (the same unless the frame sits in a frame of its own).
async function linksFor(info, tab) {
  const frameUrl = info.frameUrl && !info.frameUrl.startsWith("about:") ? info.frameUrl : "";
  const page = frameUrl || info.pageUrl || (tab && tab.url) || "";
  if (info.menuItemId === "link") return single(info.linkUrl, page);
  if (info.menuItemId === "image") return single(info.srcUrl, page);
  return (await cardoCollectTab(tab.id, info.menuItemId === "selection")).links;
}

// Sends and says how it went on the toolbar button; a failure is kept for the popup, which
// says it in one line and offers to copy the URLs.
async function sendFromMenu(info, tab) {
  const links = await linksFor(info, tab);
  if (links.length === 0) return;
  const outcome = await cardoSend(links, (tab && tab.title) || "");
  const tabId = tab ? tab.id : undefined;
  if (outcome.ok) {
    await chrome.storage.session.remove("failed").catch(() => {});
    chrome.action.setBadgeText({ tabId, text: String(outcome.added) });
    chrome.action.setBadgeBackgroundColor({ tabId, color: "#2a7d2e" });
    return;
  }
  await chrome.storage.session.set({ failed: { message: outcome.message, urls: links.map((l) => l.url) } });
  chrome.action.setBadgeText({ tabId, text: "!" });
  chrome.action.setBadgeBackgroundColor({ tabId, color: "#c62828" });
  chrome.action.setTitle({ tabId, title: outcome.message });
}

chrome.contextMenus.onClicked.addListener((info, tab) => {
  sendFromMenu(info, tab).catch((error) => console.error("Cardo:", error));
});
