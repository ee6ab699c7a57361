#!/usr/bin/env python3
"""Checks the compiled help file with chmls: context 3 opens the main page,
every page is in the file and in the table of contents, and every link of
the pages, the contents and the index leads to a page (and anchor) that is
there.

Usage: check_chm.py SICE.chm SOURCE_DIR [CHMLS]
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def fail(message):
    failures.append(message)


def run(chmls, args, cwd=None):
    with open(os.devnull, "wb") as quiet:
        return subprocess.run([chmls] + args, cwd=cwd, stdout=subprocess.PIPE, stderr=quiet,
                              check=True).stdout.decode("latin-1")


def extract(chmls, chm, name, folder):
    out = os.path.join(folder, "part" + str(len(os.listdir(folder))))
    run(chmls, ["extract", chm, name, out])
    with open(out, "rb") as f:
        return f.read().decode("cp1252")


def locals_of(sitemap):
    return re.findall(r'<param\s+name="Local"\s+value="([^"]*)"', sitemap, re.I)


def main():
    chm, source_dir = os.path.abspath(sys.argv[1]), sys.argv[2]
    chmls = sys.argv[3] if len(sys.argv) > 3 else "chmls"
    names = set(run(chmls, ["-n", "list", chm]).split("\n"))
    names = {n.strip() for n in names if n.strip()}
    pages = sorted(os.path.basename(p) for p in glob.glob(os.path.join(source_dir, "*.htm")))
    if not pages:
        fail("no pages in " + source_dir)

    for page in pages:
        if "/" + page not in names:
            fail("page missing from the help file: " + page)
    for part in ("/SICE.hhc", "/SICE.hhk"):
        if part not in names:
            fail("missing from the help file: " + part)

    with tempfile.TemporaryDirectory() as tmp:
        # The context map as the engine will read it. chmls writes its
        # .ali file beside the help file, so it works on a copy.
        shutil.copyfile(chm, os.path.join(tmp, "copy.chm"))
        run(chmls, ["extractalias", "copy.chm"], cwd=tmp)
        aliases = {}
        for ali in glob.glob(os.path.join(tmp, "*.ali")):
            for line in open(ali, encoding="latin-1"):
                if "=" in line:
                    key, value = line.strip().split("=", 1)
                    aliases[int(re.sub(r"\D", "", key))] = value
        if aliases.get(3) != "/index.htm":
            fail("context 3 maps to %r, not /index.htm" % aliases.get(3))
        for context, topic in aliases.items():
            if topic not in names:
                fail("context %d maps to %s, which is not in the file" % (context, topic))

        texts = {page: extract(chmls, chm, "/" + page, tmp) for page in pages if "/" + page in names}
        toc = extract(chmls, chm, "/SICE.hhc", tmp) if "/SICE.hhc" in names else ""
        index = extract(chmls, chm, "/SICE.hhk", tmp) if "/SICE.hhk" in names else ""

    anchors = {page: set(re.findall(r'\b(?:id|name)="([^"]+)"', text)) for page, text in texts.items()}

    def check_link(where, link):
        if re.match(r"^[a-z]+:", link, re.I):
            return
        target, _, anchor = link.partition("#")
        target = target or where
        if "/" + target not in names:
            fail("%s links to %s, which is not in the help file" % (where, link))
        elif anchor and anchor not in anchors.get(target, set()):
            fail("%s links to %s, but %s has no anchor %s" % (where, link, target, anchor))

    for page, text in texts.items():
        if not re.search(r"<title>[^<]+</title>", text, re.I):
            fail(page + " has no title")
        if 'charset=windows-1252' not in text:
            fail(page + " does not declare its code page")
        for link in re.findall(r'\bhref="([^"]*)"', text):
            check_link(page, link)
        for src in re.findall(r'\bsrc="([^"]*)"', text):
            check_link(page, src)

    toc_pages = locals_of(toc)
    for link in toc_pages:
        check_link("SICE.hhc", link)
    for page in pages:
        if page not in {l.partition("#")[0] for l in toc_pages}:
            fail("page not in the table of contents: " + page)

    keywords = re.findall(r'<param\s+name="Name"\s+value="([^"]*)"', index, re.I)
    if len(keywords) < 20:
        fail("the index has only %d entries" % len(keywords))
    for link in locals_of(index):
        check_link("SICE.hhk", link)

    for message in failures:
        print("FAIL: " + message)
    if failures:
        sys.exit(1)
    print("SICE.chm: %d pages, %d index entries, context 3 -> /index.htm" % (len(pages), len(keywords)))


if __name__ == "__main__":
    main()
