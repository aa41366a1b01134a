#!/usr/bin/env python3
"""A gallery on localhost for the many-pages tests: an index linking to 20 pages of 10 images.

Usage: gallery_server.py DIR

Writes the port to DIR/port.txt. GET / is the index, /page/N.html a page (its images at
/img/N-M.jpg and a link back to the index); each answer waits 20 ms. /redirecting/ links to
page 5 both directly and through /redir.html, a 302 to it. /file.zip and /photo.jpg answer
with their own types; /long.html holds a stretch of 3 MiB between two images. GET /most gives the most requests it was answering at once (itself not
counted) and counts afresh; GET /count/PATH how often PATH was asked for. Serves until
DIR/stop exists or DIR is gone, and never longer than two minutes.
"""
import http.server
import os
import sys
import threading
import time

LIFETIME_SECONDS = 120
lock = threading.Lock()
state = {"now": 0, "most": 0}
asked = {}


def index():
    links = "".join(f'<li><a href="page/{n}.html">page {n}</a>\n' for n in range(1, 21))
    return f"<html><body><h1>gallery</h1><ul>\n{links}</ul></body></html>\n"


def page(n):
    images = "".join(f'<a href="../img/{n}-{m}.jpg"><img src="../img/{n}-{m}.jpg"></a>\n'
                     for m in range(1, 11))
    return f'<html><body><a href="../">index</a>\n{images}</body></html>\n'


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path == "/most":
            with lock:
                body, state["most"] = str(state["most"]).encode(), 0
            return self.answer(200, "text/plain", body)
        if self.path.startswith("/count/"):
            with lock:
                body = str(asked.get(self.path[6:], 0)).encode()
            return self.answer(200, "text/plain", body)
        with lock:
            asked[self.path] = asked.get(self.path, 0) + 1
            state["now"] += 1
            state["most"] = max(state["most"], state["now"])
        try:
            time.sleep(0.02)
            if self.path == "/":
                self.answer(200, "text/html", index().encode())
            elif self.path == "/redirecting/":
                links = '<a href="../redir.html">r</a> <a href="../page/5.html">5</a>\n'
                self.answer(200, "text/html", links.encode())
            elif self.path == "/redir.html":
                self.send_response(302)
                self.send_header("Location", "/page/5.html")
                self.send_header("Content-Length", "0")
                self.end_headers()
            elif self.path == "/file.zip":
                self.answer(200, "application/zip", b"PK\x03\x04 http://junk/a.zip\n" * 40)
            elif self.path == "/long.html":
                long = b'<img src="/img/1-1.jpg">' + b"p" * (3 << 20) + b' <img src="/img/1-2.jpg">'
                self.answer(200, "text/html", long)
            elif self.path == "/photo.jpg":
                self.answer(200, "image/jpeg", b"\xff\xd8\xff\xe0 JFIF")
            elif self.path.startswith("/page/") and self.path.endswith(".html"):
                self.answer(200, "text/html", page(self.path[6:-5]).encode())
            else:
                self.answer(404, "text/plain", b"no such page")
        finally:
            with lock:
                state["now"] -= 1

    def answer(self, status, kind, body):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    folder = sys.argv[1]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(os.path.join(folder, "port.txt.tmp"), "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(os.path.join(folder, "port.txt.tmp"), os.path.join(folder, "port.txt"))
    end = time.time() + LIFETIME_SECONDS
    while time.time() < end and os.path.isdir(folder) and not os.path.exists(
            os.path.join(folder, "stop")):
        time.sleep(0.1)
    server.shutdown()


if __name__ == "__main__":
    main()
