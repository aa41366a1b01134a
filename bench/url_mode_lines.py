#!/usr/bin/env python3
"""How many lines the URL mode gives for each distinct URL on real pages.

usage: url_mode_lines.py CLI DOCS=SITE [DOCS=SITE ...] [--pages N]

For each DOCS folder (a Debian doc package's HTML pages, SITE the address they are published
under), at most N (default 300) pages spread over it, as bench/parsed_differential.py takes
them. Each page is one run of `cardo-cli extract --mode url --filter "*"`: a URL reached by
several anchors or repeated on many lines should come once a run, so the lines of a page should
be its distinct URLs. Prints the lines, the distinct URLs summed over the pages and their ratio
per package; exits 1 when a page gives a URL twice.
"""
import os
import subprocess
import sys
from urllib.parse import urljoin


def main():
    cli, args = sys.argv[1], sys.argv[2:]
    limit = 300
    if "--pages" in args:
        at = args.index("--pages")
        limit = int(args[at + 1])
        del args[at:at + 2]
    status = 0
    for given in args:
        docs, _, site = given.partition("=")
        label = os.path.basename(docs.rstrip("/"))
        if label in ("html", "manual"):
            label = os.path.basename(os.path.dirname(docs.rstrip("/")))
        pages = sorted(os.path.relpath(os.path.join(r, f), docs)
                       for r, _, fs in os.walk(docs) for f in fs if f.endswith(".html"))
        pages = pages[::max(1, len(pages) // limit)][:limit]
        lines = distinct = 0
        for rel in pages:
            out = subprocess.run([cli, "extract", "--mode", "url", "--filter", "*",
                                  "--input-encoding", "utf-8", "--page-url", urljoin(site, rel),
                                  os.path.join(docs, rel)],
                                 capture_output=True, check=True).stdout.decode("utf-8")
            found = out.splitlines()
            lines += len(found)
            distinct += len(set(found))
        ratio = lines / max(1, distinct)
        status |= lines != distinct
        print(f"url {label:18} {len(pages)} pages: {lines} lines for {distinct} distinct URLs "
              f"a page = {ratio:.3f} (goal 1.000) {'ok' if lines == distinct else 'MISSED'}")
    sys.exit(status)


if __name__ == "__main__":
    main()
