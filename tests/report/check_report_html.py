#!/usr/bin/env python3
"""Runs the sample program to write a report page, then checks the page with
html.parser: strict UTF-8 with its charset declared, a doctype, every element
known and closed in order, unique ids, in-page links that lead somewhere, and
nothing external (no scripts, no files or addresses it would fetch).

Usage: check_report_html.py PAGE PROGRAM [ARGS...]
"""

import subprocess
import sys
from html.parser import HTMLParser

VOID = {"meta", "br", "hr", "img", "link", "input", "col", "wbr"}
KNOWN = VOID | {"html", "head", "title", "style", "body", "h1", "h2", "h3", "p", "table",
                "thead", "tbody", "tfoot", "tr", "th", "td", "a", "ul", "li", "b", "i",
                "code", "span", "div", "section"}
failures = []


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.stack = []
        self.ids = set()
        self.links = []
        self.doctype = None
        self.charset = None

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        if tag not in KNOWN:
            failures.append("unknown element <%s>" % tag)
        if tag == "script":
            failures.append("a script")
        attrs = dict(attrs)
        for name in ("src", "href"):
            value = attrs.get(name)
            if value is not None and not value.startswith("#"):
                failures.append("an external reference %s=%r" % (name, value))
            if name == "href" and value:
                self.links.append(value[1:])
        if "id" in attrs:
            if attrs["id"] in self.ids:
                failures.append("id %r twice" % attrs["id"])
            self.ids.add(attrs["id"])
        if tag == "meta" and "charset" in attrs:
            self.charset = attrs["charset"].lower()
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        failures.append("self-closing <%s/>" % tag)

    def handle_endtag(self, tag):
        if tag in VOID:
            failures.append("end tag of void element </%s>" % tag)
        elif not self.stack or self.stack[-1] != tag:
            failures.append("</%s> closes %s" % (tag, self.stack[-1] if self.stack else "nothing"))
        else:
            self.stack.pop()

    def handle_entityref(self, name):
        if name not in ("lt", "gt", "amp", "quot"):
            failures.append("entity &%s;" % name)

    def handle_data(self, data):
        if "<" in data or ("&" in data and self.stack[-1:] != ["style"]):
            failures.append("an unescaped character in %r" % data[:60])


def main():
    page, command = sys.argv[1], sys.argv[2:]
    subprocess.run(command + [page], check=True)
    raw = open(page, "rb").read()
    try:
        text = raw.decode("utf-8", errors="strict")
    except UnicodeDecodeError as e:
        failures.append("not UTF-8: %s" % e)
        text = raw.decode("utf-8", errors="replace")
    checker = Checker()
    checker.feed(text)
    checker.close()
    if checker.doctype != "DOCTYPE html":
        failures.append("doctype %r" % checker.doctype)
    if checker.charset != "utf-8":
        failures.append("charset %r" % checker.charset)
    if checker.stack:
        failures.append("left open: %s" % checker.stack)
    for link in checker.links:
        if link not in checker.ids:
            failures.append("link to missing #%s" % link)
    for expected in ("Ñoño", "MÁT &lt;&quot;&amp;&#39;&gt;", "¿bien?", "Y 26 más, que no se muestran", "GARCÍA"):
        if expected not in text:
            failures.append("missing %r" % expected)
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
