// What a frame holds: every http, https and ftp address its links, images and media name, in
// document order (open shadow roots' after their host), each once, without #fragment, with the
// address the browser sends as their Referer as page; and how many frames it holds, with the
// hosts of those from other sites (the extension may not be allowed to read them, and then only
// this count tells that they exist).
// Runs inside the page (scripting.executeScript with allFrames), so it must stay one
// self-contained function.
function cardoCollect(onlySelection) {
  const schemes = new Set(["http:", "https:", "ftp:"]);
  const seen = new Set();
  const items = [];
  const frames = window.frames.length;
  const frameHosts = [];
  // Web components keep their links in shadow roots; the open ones are read where they stand.
  const elements = [];
  const walk = (root) => {
    for (const element of root.querySelectorAll("*")) {
      elements.push(element);
      if (element.shadowRoot) walk(element.shadowRoot);
    }
  };
  walk(document);
  // A srcdoc or script-filled about:blank frame's requests go out with its parent's address as
  // Referer: the nearest ancestor with one of its own (a parent from another origin cannot be
  // read, and then the frame's own stands).
  let page = document.URL;
  for (let w = window; page.startsWith("about:") && w !== w.parent; ) {
    w = w.parent;
    try {
      page = w.location.href;
    } catch {
      break;
    }
  }
  for (const frame of elements) {
    if (!["iframe", "frame"].includes(frame.localName) || !frame.hasAttribute("src")) continue;
    try {
      const url = new URL(frame.src);
      if ((url.protocol === "http:" || url.protocol === "https:") && url.origin !== location.origin) {
        frameHosts.push(`${url.protocol}//${url.hostname}/*`);
      }
    } catch {
      // Not an address: there is nothing to ask leave for.
    }
  }
  const selection = onlySelection ? document.getSelection() : null;
  if (onlySelection && (!selection || selection.isCollapsed)) {
    return { page, items, frames, frameHosts };
  }
  const take = (text, kind) => {
    if (!text) return;
    let url;
    try {
      url = new URL(text, document.baseURI);
    } catch {
      return;
    }
    if (!schemes.has(url.protocol)) return;
    url.hash = "";
    const href = url.href;
    if (seen.has(href)) return;
    seen.add(href);
    items.push({ url: href, kind });
  };
  // A srcset's candidates: a URL, then descriptors up to the comma (URLs may hold commas).
  const takeSrcset = (srcset, kind) => {
    if (!srcset) return;
    for (const match of srcset.matchAll(/\s*([^\s,][^\s]*?)(?:,(?=\s|$)|\s+[^,]*(?:,|$)|$)/g)) {
      take(match[1], kind);
    }
  };
  const takeCss = (value) => {
    if (!value || value === "none") return;
    for (const match of value.matchAll(/url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)\s]*))\s*\)/g)) {
      take((match[1] ?? match[2] ?? match[3]).replace(/\\(.)/g, "$1"), "image");
    }
  };
  for (const element of elements) {
    // A link or image partly selected counts; a background only when its element is wholly
    // inside the selection (the body's is not the selection's).
    if (selection && !selection.containsNode(element, true)) continue;
    const whole = !selection || selection.containsNode(element, false);
    const name = element.localName;
    if (name === "a" || name === "area") {
      const href = element.href;
      take(typeof href === "string" ? href : href && href.baseVal, "link");
    } else if (name === "img") {
      take(element.currentSrc, "image");
      take(element.getAttribute("src"), "image");
      takeSrcset(element.getAttribute("srcset"), "image");
    } else if (name === "source") {
      const inPicture = element.parentElement && element.parentElement.localName === "picture";
      take(element.getAttribute("src"), inPicture ? "image" : "media");
      takeSrcset(element.getAttribute("srcset"), inPicture ? "image" : "media");
    } else if (name === "video" || name === "audio") {
      take(element.getAttribute("src"), "media");
      take(element.getAttribute("poster"), "image");
    } else if (name === "track") {
      take(element.getAttribute("src"), "media");
    }
    if (!whole) continue;
    if (element.hasAttribute("background")) take(element.getAttribute("background"), "image");
    takeCss(getComputedStyle(element).backgroundImage);
  }
  return { page, items, frames, frameHosts };
}
