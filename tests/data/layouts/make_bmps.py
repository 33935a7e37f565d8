#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes src8.png (and its copy with an alpha channel, srca8.png) as BMP files of every depth and coding the
# converter takes besides 24 bits. Needs python3-pil. Usage: make_bmps.py src8.png srca8.png
import struct
import sys

from PIL import Image


def bmp(path, width, height, bits, rows, table=(), compression=0, masks=None, header=40, top_down=False):
    """rows: the stored pixel bytes, bottom row first unless top_down (already padded for compression 0)."""
    data = b"".join(rows)
    extra = b""
    info = struct.pack("<IiiHHIIiiII", header, width, -height if top_down else height, 1, bits, compression,
                       len(data), 2835, 2835, len(table), 0)
    if header == 40 and masks:
        extra = struct.pack("<III", *masks[:3])
    elif header > 40:
        info += struct.pack("<IIII", *(masks or (0, 0, 0, 0)))
        info += b"sRGB" + bytes(header - 60)  # colour space type, then end points, gamma, intent and profile
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in table)
    offset = 14 + len(info) + len(extra) + len(colours)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + extra + colours + data)


def padded(row):
    return row + bytes(-len(row) % 4)


def packed(indices, bits):
    out = bytearray()
    per = 8 // bits
    for x in range(0, len(indices), per):
        byte = 0
        for i in range(per):
            byte = byte << bits | (indices[x + i] if x + i < len(indices) else 0)
        out.append(byte)
    return bytes(out)


def rle(rows, four, past=False):
    """Run-length codes of index rows (bottom row first): runs of three or more, literal stretches, stretches of
    index 0 passed over with a delta or the end of the line. `past` adds runs past each row's end and rows past
    the picture's top, which a reader must drop."""
    out = bytearray()
    for row in rows:
        x = 0
        width = len(row)
        while x < width:
            zeros = 0
            while x + zeros < width and row[x + zeros] == 0:
                zeros += 1
            if zeros >= 4 and x + zeros == width:
                break  # the end of the line leaves the rest at index 0
            if zeros >= 4:
                step = min(zeros, 255)
                out += bytes((0, 2, step, 0))
                x += step
                continue
            run = 1
            if four:  # a run repeats a pair of indices
                while x + run < width and run < 255 and row[x + run] == row[x + run % 2]:
                    run += 1
            else:
                while x + run < width and run < 255 and row[x + run] == row[x]:
                    run += 1
            if run >= 3 or width - x < 3:
                run = min(run, width - x)
                value = (row[x] << 4 | row[x + 1 if run > 1 else x]) if four else row[x]
                out += bytes((run, value))
                x += run
                continue
            end = x + 3
            while end < width and end - x < 254 and not (end + 2 < width and row[end] == row[end + 1] == row[end + 2]):
                end += 1
            literal = row[x:end]
            body = packed(literal, 4) if four else bytes(literal)
            out += bytes((0, len(literal))) + body + bytes(len(body) % 2)
            x = end
        if past and x == width:
            out += bytes((40, 0x11 if four else 1))
        out += bytes((0, 0))
    if past:
        out += bytes((9, 1, 0, 0, 9, 2, 0, 2, 3, 1))
    out += bytes((0, 1))
    return [bytes(out)]


def indexed(picture, colours):
    """The picture through a palette of `colours` entries, its most frequent colour at index 0."""
    p = picture.quantize(colours, dither=Image.Dither.NONE)
    counts = sorted(((n, i) for n, i in p.getcolors()), reverse=True)
    order = [i for _, i in counts] + [i for i in range(colours) if i not in {i for _, i in counts}]
    remap = {old: new for new, old in enumerate(order)}
    flat = (p.getpalette() + [0] * 3 * colours)[: 3 * colours]
    table = [tuple(flat[3 * old: 3 * old + 3]) for old in order]
    w, h = p.size
    px = p.load()
    rows = [[remap[px[x, y]] for x in range(w)] for y in range(h)]
    return table, rows


def main():
    src = Image.open(sys.argv[1]).convert("RGB")
    srca = Image.open(sys.argv[2]).convert("RGBA")
    w, h = src.size
    rgb = src.load()
    rgba = srca.load()
    bottom_up = range(h - 1, -1, -1)

    for bits, name in ((1, "pal1"), (4, "pal4"), (8, "pal8")):
        table, rows = indexed(src, 1 << bits)
        bmp(name + ".bmp", w, h, bits, [padded(packed(rows[y], bits)) for y in bottom_up], table)
        if bits == 8:
            bmp("rle8.bmp", w, h, 8, rle([rows[y] for y in bottom_up], False), table, compression=1)
            bmp("rle8_past.bmp", w, h, 8, rle([rows[y] for y in bottom_up], False, True), table, compression=1)
        if bits == 4:
            bmp("rle4.bmp", w, h, 4, rle([rows[y] for y in bottom_up], True), table, compression=2)

    def pixels16(pack):
        return [padded(b"".join(struct.pack("<H", pack(*rgb[x, y])) for x in range(w))) for y in bottom_up]

    bmp("rgb555.bmp", w, h, 16, pixels16(lambda r, g, b: (r >> 3) << 10 | (g >> 3) << 5 | b >> 3))
    bmp("rgb565.bmp", w, h, 16, pixels16(lambda r, g, b: (r >> 3) << 11 | (g >> 2) << 5 | b >> 3), compression=3,
        masks=(0xF800, 0x07E0, 0x001F))
    bmp("rgb32.bmp", w, h, 32, [b"".join(bytes((*rgb[x, y][::-1], 0)) for x in range(w)) for y in bottom_up])
    bmp("rgba32_v5.bmp", w, h, 32, [b"".join(bytes((*rgba[x, y][2::-1], rgba[x, y][3])) for x in range(w))
                                    for y in range(h)], compression=3,
        masks=(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000), header=124, top_down=True)


main()
