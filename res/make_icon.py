#!/usr/bin/env python3
"""Draws the program's icon (TransOrvalentSICE.ico): two panels, warm above
and cool below as in the window, with an arrow each way between them."""
import struct
import sys


def pixel(x, y, n):
    s = n / 32.0
    u, v = x / s, y / s  # in a 32 x 32 design grid
    # Rounded square with a dark edge.
    r = 5.0
    cx = min(max(u, r), 32 - r)
    cy = min(max(v, r), 32 - r)
    d = ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
    if d > r:
        return (0, 0, 0, 0)
    if d > r - 1.2:
        return (40, 60, 110, 255)
    if v < 16:
        t = v / 16
        col = (int(255 - 6 * t), int(238 - 27 * t), int(221 - 96 * t))
    else:
        t = (v - 16) / 16
        col = (int(207 - 13 * t), int(242 - 37 * t), 254)
    # Arrow to the right in the upper half, to the left in the lower one.
    def arrow(y0, right):
        uu = u if right else 32 - u
        if 7 <= uu <= 19 and abs(v - y0) <= 1.6:
            return True
        if 18 <= uu <= 25 and abs(v - y0) <= (25 - uu) * 0.9:
            return True
        return False
    if arrow(9.5, True):
        return (200, 60, 20, 255)
    if arrow(22.5, False):
        return (30, 70, 200, 255)
    return col + (255,)


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(n):
            r, g, b, a = pixel(x + 0.5, y + 0.5, n)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    mask = b"\0" * (mask_row * n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(out):
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "TransOrvalentSICE.ico")
