#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes an AVIF whose primary image is a grid of ROWS x COLS tiles on a WIDTH x HEIGHT canvas, every tile
the single AV1 image of IN (a still AVIF made by heif-enc -A), all of them sharing its one copy of the data.
The tiles' ispe is TILE_W x TILE_H when given (whatever size their AV1 frames have), else IN's.
  make_av1_grid.py IN OUT ROWS COLS WIDTH HEIGHT [TILE_W TILE_H]"""
import struct, sys

src, dst = sys.argv[1], sys.argv[2]
rows, cols, width, height = map(int, sys.argv[3:7])
tile_ispe = tuple(map(int, sys.argv[7:9]))
data = open(src, 'rb').read()


def boxes(buf, start, end):
    at = start
    while at < end:
        size, kind = struct.unpack('>I4s', buf[at:at + 8])
        yield at, size, kind.decode()
        at += size


def box(kind, payload):
    return struct.pack('>I4s', 8 + len(payload), kind.encode()) + payload


def full(kind, version, flags, payload):
    return box(kind, struct.pack('>I', version << 24 | flags) + payload)


top = {k: (a, s) for a, s, k in boxes(data, 0, len(data))}
meta_at, meta_size = top['meta']
children = {k: (a, s) for a, s, k in boxes(data, meta_at + 12, meta_at + meta_size)}
iloc_at, _ = children['iloc']
base, extents, extent, length = struct.unpack('>IHII', data[iloc_at + 20:iloc_at + 34])
tile_data = data[base + extent:base + extent + length]
iprp_at, iprp_size = children['iprp']
props = {k: (a, s) for a, s, k in boxes(data, iprp_at + 8, iprp_at + iprp_size)}
ipco_at, ipco_size = props['ipco']
source = {k: data[a:a + s] for a, s, k in boxes(data, ipco_at + 8, ipco_at + ipco_size)}

tiles = rows * cols
ids = list(range(2, 2 + tiles))
tile = full('ispe', 0, 0, struct.pack('>II', *tile_ispe)) if tile_ispe else source['ispe']
ipco = box('ipco', full('ispe', 0, 0, struct.pack('>II', width, height)) + tile + source['av1C'] +
           source['pixi'])
entries = struct.pack('>HB', 1, 2) + bytes([1, 4])
for i in ids:
    entries += struct.pack('>HB', i, 3) + bytes([2, 0x83, 4])
ipma = full('ipma', 0, 0, struct.pack('>I', 1 + tiles) + entries)
infe = full('infe', 2, 0, struct.pack('>HH4s', 1, 0, b'grid') + b'\0')
for i in ids:
    infe += full('infe', 2, 1, struct.pack('>HH4s', i, 0, b'av01') + b'\0')
iinf = full('iinf', 0, 0, struct.pack('>H', 1 + tiles) + infe)
iref = full('iref', 0, 0, box('dimg', struct.pack('>HH', 1, tiles) + b''.join(struct.pack('>H', i) for i in ids)))
grid = struct.pack('>BBBBHH', 0, 0, rows - 1, cols - 1, width, height)


def build(mdat_at):
    locs = struct.pack('>HHHHII', 1, 1, 0, 1, 0, len(grid))  # in idat
    for i in ids:
        locs += struct.pack('>HHHHII', i, 0, 0, 1, mdat_at + 8, len(tile_data))
    iloc = full('iloc', 1, 0, bytes([0x44, 0x00]) + struct.pack('>H', 1 + tiles) + locs)
    meta = full('meta', 0, 0, full('hdlr', 0, 0, b'\0' * 4 + b'pict' + b'\0' * 13) +
                full('pitm', 0, 0, struct.pack('>H', 1)) + iloc + iinf + iref +
                box('iprp', ipco + ipma) + box('idat', grid))
    return box('ftyp', b'avif' + b'\0' * 4 + b'avifmif1miaf') + meta


head = build(0)
head = build(len(head))
open(dst, 'wb').write(head + box('mdat', tile_data))
