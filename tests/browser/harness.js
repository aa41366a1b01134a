// What both browser runs share: a local page server, a free port, and checks that count their
// failures instead of stopping at the first.
"use strict";

const http = require("node:http");

// Serves body(url) for every .html address and 404 for anything else.
function serve(body) {
  const server = http.createServer((request, response) => {
    const html = request.url.endsWith(".html");
    response.writeHead(html ? 200 : 404, {
      "Content-Type": html ? "text/html; charset=utf-8" : "application/octet-stream",
    });
    response.end(html ? body(request.url) : "");
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

function freePort() {
  return new Promise((resolve) => {
    const probe = http.createServer().listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// check(what, body) runs body, prints "ok: what" or the failure, and records the failure.
function checks() {
  const failures = [];
  const check = async (what, body) => {
    try {
      await body();
      console.log(`ok: ${what}`);
    } catch (error) {
      failures.push(what);
      console.log(`FAILED: ${what}\n${error.stack || error}`);
    }
  };
  return { failures, check };
}

module.exports = { serve, freePort, checks };
