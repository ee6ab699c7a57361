#!/usr/bin/env python3
"""Makes the context map of a .chm built by chmcmd point into the help file.

chmcmd 3.2.2 stores each context's topic as the page's full path on the build
machine ("/home/.../index.htm") instead of its path inside the help file
("/index.htm"), so the HTML Help engine finds no page for a context number.
The topic strings live in #STRINGS and the map (#IVB) holds, per context
number, the offset of its string there. The string ends in "/" and the page's
name, so pointing the map at that tail is enough: a new #IVB goes uncompressed
at the end of the file and its directory entry is moved to it.

Usage: chm_context_fix.py FILE.chm PROJECT_DIR
"""

import os
import struct
import subprocess
import sys
import tempfile


def read_encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def encint(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def parse_chunk(chunk):
    """The entries (name, section, offset, length) of a PMGL chunk."""
    if chunk[:4] != b"PMGL":
        raise ValueError("not a PMGL chunk")
    free, = struct.unpack_from("<I", chunk, 4)
    count, = struct.unpack_from("<H", chunk, len(chunk) - 2)
    end = len(chunk) - free
    entries, pos = [], 0x14
    while pos < end and len(entries) < count:
        length, pos = read_encint(chunk, pos)
        name = chunk[pos:pos + length]
        pos += length
        section, pos = read_encint(chunk, pos)
        offset, pos = read_encint(chunk, pos)
        size, pos = read_encint(chunk, pos)
        entries.append([name, section, offset, size])
    if len(entries) != count:
        raise ValueError("chunk entry count mismatch")
    return entries


def build_chunk(header, entries, size, density):
    """A PMGL chunk: the entries, free space, then the quickref area, which
    holds the offset of every (1 + 2^density)-th entry (counted as chmcmd
    counts them) and, last, the count."""
    body = bytearray()
    offsets = []
    for name, section, offset, length in entries:
        offsets.append(len(body))
        body += encint(len(name)) + name + encint(section) + encint(offset) + encint(length)
    step = 1 + (1 << density)
    quick = [offsets[i] for i in range(step - 1, len(entries), step)]
    tail = b"".join(struct.pack("<H", q) for q in reversed(quick)) + struct.pack("<H", len(entries))
    free = size - 0x14 - len(body)
    if free < len(tail):
        raise ValueError("directory chunk overflow")
    chunk = bytearray(header[:0x14])
    struct.pack_into("<I", chunk, 4, free)
    chunk += body
    chunk += bytes(size - len(chunk) - len(tail))
    chunk += tail
    return bytes(chunk)


def extract(chm, name, folder):
    out = os.path.join(folder, name.strip("/").replace("#", "_"))
    with open(os.devnull, "wb") as quiet:
        subprocess.run(["chmls", "extract", chm, name, out], check=True, stdout=quiet, stderr=quiet)
    with open(out, "rb") as f:
        return f.read()


def main():
    chm, project = sys.argv[1], os.path.abspath(sys.argv[2])
    prefix = project.rstrip("/").encode() + b"/"
    with open(chm, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"ITSF":
        raise SystemExit(chm + ": not a compiled help file")
    sec0_off, _, dir_off, _, content_off = struct.unpack_from("<QQQQQ", data, 0x38)
    chunk_size, density = struct.unpack_from("<II", data, dir_off + 0x10)
    chunks, = struct.unpack_from("<I", data, dir_off + 0x2C)

    with tempfile.TemporaryDirectory() as tmp:
        ivb = extract(chm, "/#IVB", tmp)
        strings = extract(chm, "/#STRINGS", tmp)

    pairs = len(ivb) // 8
    new_ivb = bytearray(ivb)
    changed = 0
    for i in range(pairs):
        context, offset = struct.unpack_from("<II", ivb, 4 + 8 * i)
        end = strings.index(b"\0", offset)
        topic = strings[offset:end]
        if topic.startswith(prefix):
            struct.pack_into("<I", new_ivb, 8 + 8 * i, offset + len(prefix) - 1)
            changed += 1
        elif not topic.startswith(b"/"):
            raise SystemExit("context %d: unexpected topic %r" % (context, topic))
    if changed == 0:
        return

    for index in range(chunks):
        start = dir_off + 0x54 + index * chunk_size
        chunk = bytes(data[start:start + chunk_size])
        if chunk[:4] != b"PMGL":
            continue
        entries = parse_chunk(chunk)
        if build_chunk(chunk, entries, chunk_size, density) != chunk:
            raise SystemExit(chm + ": directory layout not understood; left as it is")
        for entry in entries:
            if entry[0] == b"/#IVB":
                entry[1], entry[2], entry[3] = 0, len(data) - content_off, len(new_ivb)
                data[start:start + chunk_size] = build_chunk(chunk, entries, chunk_size, density)
                data += new_ivb
                struct.pack_into("<Q", data, sec0_off + 8, len(data))
                with open(chm, "wb") as f:
                    f.write(data)
                return
    raise SystemExit(chm + ": no context map entry found")


if __name__ == "__main__":
    main()
