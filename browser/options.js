// The receiver's port and token, as Cardo (or `cardo-cli receive`) shows them.
for (const element of document.querySelectorAll("[data-i18n]")) {
  element.textContent = chrome.i18n.getMessage(element.dataset.i18n);
}
const $ = (id) => document.getElementById(id);

cardoSettings().then(({ port, token }) => {
  $("port").value = port;
  $("token").value = token;
});

$("save").addEventListener("click", async () => {
  const port = Number($("port").value);
  if (!Number.isInteger(port) || port < 1 || port > 65535) {
    $("status").textContent = chrome.i18n.getMessage("badPort");
    return;
  }
  await chrome.storage.local.set({ port, token: $("token").value.trim() });
  $("status").textContent = chrome.i18n.getMessage("saved");
});

$("test").addEventListener("click", async () => {
  const { port, token } = await cardoSettings();
  try {
    const answer = await cardoFetch(`http://127.0.0.1:${port}/v1/status`, {
      headers: { Authorization: `Bearer ${token}` },
    });
    $("status").textContent = answer.ok
      ? chrome.i18n.getMessage("connected", [(await answer.json()).version])
      : cardoRefusal(answer.status);
  } catch {
    $("status").textContent = chrome.i18n.getMessage("unreachable", [String(port)]);
  }
});
