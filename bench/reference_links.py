"""The links a reference HTML parser reads from a page, for the benchmarks that hold the
program's extraction against it: every href and src, resolved against the page, its fragment
dropped and %XX read, kept where `keep(url, page)` says so."""
from html.parser import HTMLParser
from urllib.parse import unquote, urldefrag, urljoin


class ReferenceLinks(HTMLParser):
    def __init__(self, page, keep):
        super().__init__(convert_charrefs=True)
        self.page, self.keep, self.links = page, keep, set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value is not None:
                url = urldefrag(urljoin(self.page, value.strip()))[0]
                if self.keep(url, self.page):
                    self.links.add(unquote(url))
