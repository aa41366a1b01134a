#!/usr/bin/env python3
"""TLS servers for the table of server behaviours (http_behaviours.h), on localhost only.

Usage: tls_server.py DIR

Makes a test CA and its certificates (test_certificates.py), writes DIR/ca.pem and then
DIR/ports.txt with five ports: a certificate the CA signed for localhost, one that expired, a
self-signed one, one for another name, and the first again on a server that speaks TLS 1.0
only. Every request gets the same small page. Serves until DIR/stop exists or DIR is gone,
and never longer than five minutes.
"""
import os
import socket
import socketserver
import ssl
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from test_certificates import make_certificates, make_faulty_certificates  # noqa: E402

LIFETIME_SECONDS = 300
PAGE = b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello"


class Page(socketserver.BaseRequestHandler):
    def handle(self):
        try:
            with self.server.context.wrap_socket(self.request, server_side=True) as tls:
                tls.settimeout(10)
                head = b""
                while b"\r\n\r\n" not in head:
                    more = tls.recv(4096)
                    if not more:
                        return
                    head += more
                tls.sendall(PAGE)
        except (ssl.SSLError, OSError):
            pass  # a client that refused the certificate or the version


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True


def serve(d, name, oldest_only=False):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(d, name + ".pem"), os.path.join(d, name + ".key"))
    if oldest_only:
        context.set_ciphers("DEFAULT:@SECLEVEL=0")
        context.minimum_version = ssl.TLSVersion.TLSv1
        context.maximum_version = ssl.TLSVersion.TLSv1
    server = Server(("127.0.0.1", 0), Page)
    server.context = context
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    d = sys.argv[1]
    make_certificates(d, "Cardo HTTP Test CA")
    make_faulty_certificates(d)
    ports = [serve(d, "server"), serve(d, "expired"), serve(d, "self"), serve(d, "wrong"),
             serve(d, "server", oldest_only=True)]
    with open(os.path.join(d, "ports.tmp"), "w") as f:
        f.write(" ".join(str(p) for p in ports) + "\n")
    os.replace(os.path.join(d, "ports.tmp"), os.path.join(d, "ports.txt"))
    end = time.time() + LIFETIME_SECONDS
    while time.time() < end and os.path.isdir(d) and not os.path.exists(os.path.join(d, "stop")):
        time.sleep(0.1)


if __name__ == "__main__":
    main()
