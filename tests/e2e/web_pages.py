#!/usr/bin/env python3
"""Web pages for the extraction dialog's end-to-end tests, served on localhost only.

Usage: web_pages.py DIR

Makes a test CA and, signed by it, a certificate for "localhost" (openssl), plus a
self-signed one that nothing trusts; writes DIR/ca.pem and then DIR/ports.txt with three
ports: https (the CA's certificate), https (the self-signed one), plain http. Serves until
DIR/stop exists or DIR is gone, and never longer than five minutes.
"""
import gzip
import http.server
import os
import socketserver
import ssl
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from test_certificates import make_certificates  # noqa: E402

LIFETIME_SECONDS = 300
stop = threading.Event()


# Redirections to addresses that are not encoded: UTF-8 (日本), a space, code page 932 (日本 again),
# and the request each must become; each answers with a page linking "x.zip".
RAW_LOCATIONS = {
    "/raw-utf8": "/日本/page.html".encode(),
    "/raw-space": b"/a b/page.html",
    "/raw-cp932": "/日本/page.html".encode("cp932"),
    # 語 in UTF-8 ends in 9E, a code page 932 lead byte that would take the "/" after it.
    "/raw-utf8-slash": "/語/page.html".encode(),
}
ENCODED_FOLDERS = {"/%E6%97%A5%E6%9C%AC/page.html", "/a%20b/page.html", "/%93%FA%96%7B/page.html",
                   "/%E8%AA%9E/page.html"}


# One page in each charset a browser reads Japanese in, declared as servers and authors do:
# /charset/NAME.html -> (Python codec, Content-Type charset or None, what the head holds).
# Every one holds the same links (charset_pages.h names the pages and their URLs).
CHARSET_LINKS = '<a href="画像/写真.zip">写真</a> <a href="資料/一覧.zip">一覧</a>\r\n'
CHARSET_PAGES = {
    "sjis-meta": ("cp932", None, '<meta charset="Shift_JIS">'),
    "sjis-plain": ("cp932", None, ""),
    "utf8-header": ("utf-8", "utf-8", ""),
    # Declared nowhere, and its first character beyond ASCII past the first 4 KB.
    "utf8-plain": ("utf-8", None, "<!-- %s -->" % ("x" * 5000)),
    # The server's charset wins over the page's own.
    "eucjp-header": ("euc_jp", "EUC-JP", '<meta charset="utf-8">'),
    "eucjp-meta": ("euc_jp", None,
                   '<meta http-equiv="Content-Type" content="text/html; charset=euc-jp">'),
    "iso2022jp-meta": ("iso2022_jp", None, '<meta charset="iso-2022-jp">'),
    # A byte order mark wins over the server's charset.
    "utf16le-bom": ("utf-16-le", "Shift_JIS", ""),
    "utf16be-bom": ("utf-16-be", None, ""),
}


def charset_page(name):
    codec, charset, head = CHARSET_PAGES[name]
    text = "<html><head>%s</head><body>\r\n%s</body></html>\r\n" % (head, CHARSET_LINKS)
    if codec.startswith("utf-16"):
        text = "\ufeff" + text
    content_type = "text/html" + ("; charset=" + charset if charset else "")
    return text.encode(codec), [("Content-Type", content_type)]


class Pages(http.server.BaseHTTPRequestHandler):
    https_port = 0

    def log_message(self, *args):
        pass

    def send(self, status, body, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_big(self):
        # 200 MiB in lines of 100 bytes ending in CR LF, one link per MiB, made as it goes.
        filler = (b"y" * 98 + b"\r\n") * 10484 + b"z" * 74 + b"\r\n"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(200 * len(filler) + 200 * 100))
        self.end_headers()
        for i in range(200):
            self.wfile.write((b'<a href="big%03d.zip">' % i).ljust(98, b" ") + b"\r\n")
            self.wfile.write(filler)

    def redirect(self, status, location):
        self.send(status, b"moved", [("Location", location)])

    def do_GET(self):
        secure = "https://localhost:%d" % Pages.https_port
        html = [("Content-Type", "text/html")]
        if self.path == "/page.html":
            self.send(200, ('<a href="%s/abs.zip">a</a>\n<a href="rel/two.zip">r</a>\n'
                            % secure).encode(), html)
        elif self.path == "/start":
            self.redirect(301, secure + "/hop")
        elif self.path == "/hop":
            self.redirect(302, "final/page.html")
        elif self.path == "/final/page.html":
            self.send(200, b'<a href="x.zip">x</a>\r\n', html)
        elif self.path in RAW_LOCATIONS:
            # The bytes as servers send them, unencoded: http.server writes a header as Latin-1.
            self.redirect(302, RAW_LOCATIONS[self.path].decode("latin-1"))
        elif self.path in ENCODED_FOLDERS:
            self.send(200, b'<a href="x.zip">x</a>\n', html)
        elif self.path == "/loop":
            self.redirect(302, "/loop")
        elif self.path == "/gzip.html":
            self.send(200, gzip.compress(b'<a href="g.zip">g</a>\n'),
                      html + [("Content-Encoding", "gzip")])
        elif self.path == "/utf8.html":
            self.send(200, '<a href="한국/사진.zip">k</a>\n'.encode(),
                      [("Content-Type", "text/html; charset=utf-8")])
        elif (self.path.startswith("/charset/") and self.path.endswith(".html")
              and self.path[9:-5] in CHARSET_PAGES):
            self.send(200, *charset_page(self.path[9:-5]))
        elif self.path == "/big.html":
            self.send_big()
        elif self.path == "/silent":
            stop.wait(LIFETIME_SECONDS)
        else:
            self.send(404, b'<a href="no.zip">missing</a>\n', html)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def serve(certificate=None, key=None, d=None):
    server = Server(("127.0.0.1", 0), Pages)
    if certificate:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(d, certificate), os.path.join(d, key))
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    d = sys.argv[1]
    make_certificates(d, "Cardo Test CA")
    trusted = serve("server.pem", "server.key", d)
    untrusted = serve("self.pem", "self.key", d)
    plain = serve()
    Pages.https_port = trusted
    with open(os.path.join(d, "ports.tmp"), "w") as f:
        f.write("%d %d %d\n" % (trusted, untrusted, plain))
    os.replace(os.path.join(d, "ports.tmp"), os.path.join(d, "ports.txt"))
    deadline = time.monotonic() + LIFETIME_SECONDS
    while (time.monotonic() < deadline and os.path.isdir(d)
           and not os.path.exists(os.path.join(d, "stop"))):
        time.sleep(0.1)
    stop.set()
    os._exit(0)


if __name__ == "__main__":
    main()
