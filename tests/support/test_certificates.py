"""Certificates for the test servers: a test CA, a server certificate for localhost signed by
it (server.pem, server.key) and a self-signed one no client trusts (self.pem, self.key); with
make_faulty_certificates also two the CA signed wrongly: expired (expired.pem, expired.key) and
for another name (wrong.pem, wrong.key)."""
import os
import subprocess


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


def signed(d, name, host, days):
    """A certificate for `host` the CA in `d` signed, valid for `days` (-1: expired a day ago)."""
    key = ["-newkey", "rsa:2048", "-nodes"]
    openssl("req", *key, "-keyout", name + ".key", "-out", name + ".csr",
            "-subj", "/CN=" + host, cwd=d)
    with open(os.path.join(d, name + ".ext"), "w") as f:
        f.write("subjectAltName=DNS:%s\nbasicConstraints=CA:FALSE\n"
                "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n" % host)
    openssl("x509", "-req", "-in", name + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", str(days), "-extfile", name + ".ext",
            "-out", name + ".pem", cwd=d)


def make_faulty_certificates(d):
    signed(d, "expired", "localhost", -1)
    signed(d, "wrong", "wrong.example", 2)


def make_certificates(d, ca_name):
    key = ["-newkey", "rsa:2048", "-nodes", "-days", "2"]
    openssl("req", "-x509", *key, "-keyout", "ca.key", "-out", "ca.pem",
            "-subj", "/CN=" + ca_name,
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=d)
    openssl("req", *key, "-keyout", "server.key", "-out", "server.csr",
            "-subj", "/CN=localhost", cwd=d)
    with open(os.path.join(d, "server.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"
                "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "2", "-extfile", "server.ext", "-out", "server.pem",
            cwd=d)
    openssl("req", "-x509", *key, "-keyout", "self.key", "-out", "self.pem",
            "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost", cwd=d)
