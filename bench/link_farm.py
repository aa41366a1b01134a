#!/usr/bin/env python3
"""A link farm on localhost: one index linking to a million pages of its own site.

Usage: link_farm.py DIR

Writes the port to DIR/port.txt. GET /index?n=N is a page of N links to /page/1.html ...
/page/N.html, sent with its length; GET /page/K.html links to ten images of its own and to the
next page. Each time
an index has been sent whole, the time (time.time()) is appended to DIR/sent.txt. Serves until
DIR/stop exists or DIR is gone.
"""
import http.server
import os
import sys
import threading
import time
import urllib.parse

lock = threading.Lock()
indexes = {}


def index(n):
    with lock:
        if n not in indexes:
            links = "".join(f'<a href="page/{k}.html">page {k}</a>\n' for k in range(1, n + 1))
            indexes[n] = f"<html><body>\n{links}</body></html>\n".encode()
        return indexes[n]


def page(k):
    images = "".join(f'<a href="../img/{k}-{m}.jpg">{m}</a>\n' for m in range(1, 11))
    return f'<html><body>\n{images}<a href="{k + 1}.html">next</a>\n</body></html>\n'.encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/index":
            body = index(int(query.get("n", ["1000"])[0]))
        elif url.path.startswith("/page/") and url.path.endswith(".html"):
            body = page(int(url.path[6:-5]))
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        for at in range(0, len(body), 1 << 20):
            self.wfile.write(body[at:at + (1 << 20)])
        self.wfile.flush()
        if url.path == "/index":
            with open(os.path.join(self.folder, "sent.txt"), "a") as sent:
                sent.write(f"{time.time()}\n")


def main():
    folder = sys.argv[1]
    Handler.folder = folder
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(os.path.join(folder, "port.txt.tmp"), "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(os.path.join(folder, "port.txt.tmp"), os.path.join(folder, "port.txt"))
    while os.path.isdir(folder) and not os.path.exists(os.path.join(folder, "stop")):
        time.sleep(0.1)
    server.shutdown()


if __name__ == "__main__":
    main()
