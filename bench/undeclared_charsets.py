#!/usr/bin/env python3
"""The Japanese links cardo-cli's download mode finds on pages that declare no charset.

usage: undeclared_charsets.py CLI DOCS SITE

Each HTML page of DOCS (the Japanese Debian reference of debian-reference-ja) loses its
<meta> charset and is written in UTF-8, Shift_JIS, EUC-JP and ISO-2022-JP (a character an
encoding lacks as a character reference), then read with no charset named anywhere, as a
browser reads such a page. The links holding characters beyond ASCII that html.parser finds
on the UTF-8 page are the ones wanted. Exits 1 when an encoding finds fewer than 99.5 % of them.
"""
import os
import re
import subprocess
import sys
import tempfile
from urllib.parse import unquote, urljoin

from reference_links import ReferenceLinks

GOAL = 99.5
ENCODINGS = ("utf-8", "shift_jis", "euc-jp", "iso-2022-jp")


def keep(url, page):
    """Japanese http and https links only: what a wrong guess of the charset would spoil."""
    return url.startswith(("http://", "https://")) and not url.isascii()


def main():
    cli, docs, site = sys.argv[1:4]
    work = tempfile.mkdtemp()
    wanted = set()
    found = {e: set() for e in ENCODINGS}
    pages = sorted(f for f in os.listdir(docs) if f.endswith(".html"))
    for name in pages:
        text = open(os.path.join(docs, name), encoding="utf-8").read()
        text = re.sub(r"(?i)<meta[^>]*charset[^>]*>", "", text)
        address = urljoin(site, name)
        parser = ReferenceLinks(address, keep)
        parser.feed(text)
        wanted |= {(name, u) for u in parser.links}
        for encoding in ENCODINGS:
            path = os.path.join(work, f"{encoding}.html")
            with open(path, "wb") as f:
                f.write(text.encode(encoding, errors="xmlcharrefreplace"))
            out = subprocess.run([cli, "extract", "--mode", "url", "--filter", "*",
                                  "--page-url", address, path],
                                 capture_output=True, check=True).stdout.decode("utf-8")
            found[encoding] |= {(name, unquote(u)) for u in out.splitlines()}
    status = 0
    for encoding in ENCODINGS:
        got = len(wanted & found[encoding])
        share = 100.0 * got / max(1, len(wanted))
        ok = share >= GOAL
        status |= not ok
        print(f"undeclared {encoding:11} {len(pages)} pages: {got} of {len(wanted)} Japanese "
              f"links = {share:.1f}% (goal >= {GOAL}%) {'ok' if ok else 'MISSED'}")
    sys.exit(status)


if __name__ == "__main__":
    main()
