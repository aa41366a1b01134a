#!/usr/bin/env python3
"""The share of an HTML parser's links that cardo-cli's download mode finds on real pages.

usage: link_recall.py CLI NAME DOCS SITE [PAGES]

DOCS is a folder of HTML pages, SITE the address they are published under (each page's own
address is SITE plus its path below DOCS). The parser is Python's html.parser, which reads
character references in attribute values; its href and src values are resolved against the
page. Fragments are dropped on both sides and links to the page itself do not count: a
download needs neither. Only http and https links count. URLs are compared percent-decoded, so
that a Japanese link counts whether it is written in its characters or in %XX. Links holding
characters beyond ASCII (Japanese) are reported separately. At most PAGES pages (default 150),
spread over the folder. Exits 1 when either share is below 99.5 %.
"""
import os
import subprocess
import sys
from urllib.parse import unquote, urldefrag, urljoin, urlsplit

from reference_links import ReferenceLinks

GOAL = 99.5


def keep(url, page):
    """http and https links other than the page itself."""
    return urlsplit(url).scheme in ("http", "https") and url != urldefrag(page)[0]


def main():
    cli, name, docs, site = sys.argv[1:5]
    limit = int(sys.argv[5]) if len(sys.argv) > 5 else 150
    pages = sorted(os.path.relpath(os.path.join(r, f), docs)
                   for r, _, fs in os.walk(docs) for f in fs if f.endswith(".html"))
    pages = pages[::max(1, len(pages) // limit)][:limit]
    wanted = found = wanted_ja = found_ja = 0
    for rel in pages:
        address = urljoin(site, rel)
        path = os.path.join(docs, rel)
        parser = ReferenceLinks(address, keep)
        parser.feed(open(path, encoding="utf-8", errors="replace").read())
        out = subprocess.run([cli, "extract", "--mode", "url", "--filter", "*",
                              "--input-encoding", "utf-8", "--page-url", address, path],
                             capture_output=True, check=True).stdout.decode("utf-8", "replace")
        ours = {unquote(urldefrag(u)[0]) for u in out.splitlines()}
        japanese = {u for u in parser.links if not u.isascii()}
        wanted += len(parser.links)
        found += len(parser.links & ours)
        wanted_ja += len(japanese)
        found_ja += len(japanese & ours)
    ok = True
    for label, got, of in (("all links", found, wanted), ("Japanese", found_ja, wanted_ja)):
        if of == 0:
            print(f"{name:6} url  {len(pages)} pages, {label}: none")
            continue
        share = 100.0 * got / of
        ok = ok and share >= GOAL
        print(f"{name:6} url  {len(pages)} pages, {label}: {got} of the parser's {of} = "
              f"{share:.1f}% (goal >= {GOAL}%) {'ok' if share >= GOAL else 'MISSED'}")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
