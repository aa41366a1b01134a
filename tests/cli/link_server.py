#!/usr/bin/env python3
"""Servers for the link check's tests, on localhost only.

Usage: link_server.py DIR

Makes a test CA and a certificate for "localhost" signed by it, plus a self-signed one that
nothing trusts (openssl); writes DIR/ca.pem and then DIR/ports.txt: https (the CA's
certificate), https (the self-signed one), three plain http ports, a port nothing listens
on, and two more plain http ports (five hosts in all).
Answers keep the connection alive (HTTP/1.1). GET /stats on any port gives, per port, the
most /wait requests and the most connections it had open at once, then the most /wait
requests in all, as "PORT REQUESTS CONNECTIONS" lines and "all REQUESTS", and counts afresh
from then on. GET /opened answers with as many bytes as connections that port has accepted,
GET /waited with as many as connections that carried a /wait request (the asking one never
counts unless it did).
Serves until DIR/stop exists or DIR is gone, and never longer than five minutes.
"""
import http.server
import os
import socket
import socketserver
import ssl
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from test_certificates import make_certificates  # noqa: E402

LIFETIME_SECONDS = 300
stop = threading.Event()
lock = threading.Lock()
counts = {}  # port -> [requests now, most requests, connections now, most connections]
everywhere = [0, 0]  # requests now, most requests
opened = {}  # port -> connections accepted
waited = {}  # port -> connections that carried a /wait request


def count(port, index, step):
    with lock:
        c = counts.setdefault(port, [0, 0, 0, 0])
        c[index] += step
        c[index + 1] = max(c[index + 1], c[index])
        if index == 0:
            everywhere[0] += step
            everywhere[1] = max(everywhere[1], everywhere[0])


# path -> (HEAD answer, GET answer); an answer is (status, headers, body) or None (close).
ZIP = [("Content-Type", "application/zip")]
FIXED = {
    "/ok-length": ((200, [("Content-Type", "text/plain"), ("Content-Length", "1234")], b""),) * 2,
    "/ok-nolength": ((200, [("Content-Type", "text/html")], b""),
                     (200, [("Content-Type", "text/html"), ("Connection", "close")], b"<p>")),
    "/404": ((404, [], b""),) * 2,
    "/410": ((410, [], b""),) * 2,
    "/500": ((500, [], b""),) * 2,
    "/head405": ((405, [("Allow", "GET")], b""),
                 (206, ZIP + [("Content-Range", "bytes 0-0/5000")], b"P")),
    # Range ignored: the whole file comes, of which the check reads the first bytes.
    "/head403": ((403, [], b""), (200, ZIP, b"x" * 100000)),
    "/head-close": (None, (206, ZIP + [("Content-Range", "bytes 0-0/777")], b"P")),
    "/r301": ((301, [("Location", "/r302")], b""),) * 2,
    "/r302": ((302, [("Location", "r307")], b""),) * 2,
    "/r307": ((307, [("Location", "/ok-length")], b""),) * 2,
    "/loop": ((302, [("Location", "/loop2")], b""),) * 2,
    "/loop2": ((301, [("Location", "/loop")], b""),) * 2,
    # Raw UTF-8 on the wire, as many servers send it (the header is written as Latin-1).
    "/raw-location": ((302, [("Location", "/\u8a9e".encode().decode("latin-1"))], b""),) * 2,
}


class Links(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        self.port = self.server.server_address[1]
        count(self.port, 2, 1)
        self.waited = False
        with lock:
            opened[self.port] = opened.get(self.port, 0) + 1

    def finish(self):
        count(self.port, 2, -1)
        super().finish()

    def answer(self, answer, head):
        if answer is None:
            self.close_connection = True
            return
        status, headers, body = answer
        self.send_response(status)
        names = [n.lower() for n, _ in headers]
        for name, value in headers:
            self.send_header(name, value)
        if "content-length" not in names and "connection" not in names and not head:
            self.send_header("Content-Length", str(len(body)))
        if "connection" in names:
            self.close_connection = True
        self.end_headers()
        if not head:
            try:
                self.wfile.write(body)
            except OSError:
                pass

    def handle_any(self, head):
        path = self.path.split("?")[0]
        if path in FIXED:
            self.answer(FIXED[path][0 if head else 1], head)
        elif path.startswith("/hop/"):
            self.answer((302, [("Location", "/hop/%d" % (int(path[5:]) + 1))], b""), head)
        elif path == "/slow":
            # Silent past any time-out a test sets.
            stop.wait(10)
            self.close_connection = True
        elif path == "/wait":
            # Long enough that the requests of a check overlap. Counted only while the answer
            # is not sent, so that what the server sees at once the client had at once.
            if not self.waited:
                self.waited = True
                with lock:
                    waited[self.port] = waited.get(self.port, 0) + 1
            count(self.port, 0, 1)
            time.sleep(0.1)
            count(self.port, 0, -1)
            self.answer((200, ZIP + [("Content-Length", "10")], b"0123456789"), head)
        elif path in ("/opened", "/waited"):
            with lock:
                body = b"x" * (opened if path == "/opened" else waited).get(self.port, 0)
            self.answer((200, [("Content-Length", str(len(body)))], body), head)
        elif path == "/stats":
            with lock:
                lines = ["%d %d %d" % (p, c[1], c[3]) for p, c in sorted(counts.items())]
                lines.append("all %d" % everywhere[1])
                for c in counts.values():
                    c[1], c[3] = c[0], c[2]
                everywhere[1] = everywhere[0]
            self.answer((200, [], ("\n".join(lines) + "\n").encode()), head)
        else:
            self.answer((404, [], b""), head)

    def do_HEAD(self):
        self.handle_any(True)

    def do_GET(self):
        self.handle_any(False)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that drops a connection (the check, once it has the first bytes)


def serve(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def secure(d, cert, key):
    server = Server(("127.0.0.1", 0), Links)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(d, cert), os.path.join(d, key))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    return serve(server)


def main():
    d = sys.argv[1]
    make_certificates(d, "Cardo Link Test CA")
    plain = [serve(Server(("127.0.0.1", 0), Links)) for _ in range(5)]
    https = secure(d, "server.pem", "server.key")
    untrusted = secure(d, "self.pem", "self.key")
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        refused = s.getsockname()[1]
    with open(os.path.join(d, "ports.tmp"), "w") as f:
        f.write(" ".join(str(p) for p in [https, untrusted] + plain[:3] + [refused] + plain[3:]) + "\n")
    os.replace(os.path.join(d, "ports.tmp"), os.path.join(d, "ports.txt"))
    end = time.time() + LIFETIME_SECONDS
    while time.time() < end and os.path.isdir(d) and not os.path.exists(os.path.join(d, "stop")):
        time.sleep(0.1)
    stop.set()


if __name__ == "__main__":
    main()
