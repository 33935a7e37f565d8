#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds a HEIC whose primary image is a grid of HEVC tiles, as phones store their photos.

make_grid.py SOURCE.png COLUMNS ROWS TILE OUT.heic
The source is cut into COLUMNS x ROWS tiles of TILE x TILE pixels (ImageMagick pads the last ones with
white), each tile is coded by heif-enc, and the tiles' coded data is put under one grid item whose output
size is the source's own size (so the last column and row of tiles are cropped)."""
import os, struct, subprocess, sys, tempfile

src, columns, rows, tile, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
width, height = (int(v) for v in subprocess.check_output(
    ['identify', '-format', '%w %h', src]).split())


def boxes(buf, start, end):
    at = start
    while at < end:
        size, kind = struct.unpack('>I4s', buf[at:at + 8])
        yield kind.decode(), at + 8, at + size
        at += size


def tile_parts(path):
    """The hvcC property and the coded data of a one-image file made by heif-enc."""
    data = open(path, 'rb').read()
    top = {k: (s, e) for k, s, e in boxes(data, 0, len(data))}
    meta = {k: (s, e) for k, s, e in boxes(data, top['meta'][0] + 4, top['meta'][1])}
    iprp = {k: (s, e) for k, s, e in boxes(data, *meta['iprp'])}
    hvcc = next(data[s - 8:e] for k, s, e in boxes(data, *iprp['ipco']) if k == 'hvcC')
    s, e = meta['iloc']
    assert data[s] == 0 and data[s + 4] == 0x44  # version 0, 4-byte offsets and lengths
    base_size = data[s + 5] >> 4
    assert struct.unpack('>H', data[s + 6:s + 8])[0] == 1
    p = s + 8 + 4
    base = int.from_bytes(data[p:p + base_size], 'big') if base_size else 0
    p += base_size
    assert struct.unpack('>H', data[p:p + 2])[0] == 1
    offset, length = struct.unpack('>II', data[p + 2:p + 10])
    return hvcc, data[base + offset:base + offset + length]


def box(kind, body, full=None):
    head = b'' if full is None else struct.pack('>I', full)
    return struct.pack('>I4s', 8 + len(head) + len(body), kind.encode()) + head + body


with tempfile.TemporaryDirectory() as work:
    subprocess.check_call(['convert', src, '-background', 'white', '-extent',
                           f'{columns * tile}x{rows * tile}', '-crop', f'{tile}x{tile}', '+repage',
                           'PNG24:' + os.path.join(work, 't%02d.png')])
    parts = []
    for i in range(columns * rows):
        png = os.path.join(work, f't{i:02d}.png')
        subprocess.check_call(['heif-enc', '-q', '90', png, '-o', png + '.heic'], stdout=subprocess.DEVNULL)
        parts.append(tile_parts(png + '.heic'))

tiles = list(range(1, columns * rows + 1))
grid_id = len(tiles) + 1
grid_data = struct.pack('>BBBBHH', 0, 0, rows - 1, columns - 1, width, height)
infe = b''.join(box('infe', struct.pack('>HH4s', t, 0, b'hvc1') + b'\0', full=(2 << 24) | 1) for t in tiles)
infe += box('infe', struct.pack('>HH4s', grid_id, 0, b'grid') + b'\0', full=2 << 24)
ipco = b''.join(h for h, _ in parts)
ispe_tile, ispe_grid, pixi = len(parts) + 1, len(parts) + 2, len(parts) + 3
ipco += box('ispe', struct.pack('>II', tile, tile), full=0) + box('ispe', struct.pack('>II', width, height), full=0)
ipco += box('pixi', bytes([3, 8, 8, 8]), full=0)
ipma = struct.pack('>I', len(tiles) + 1)
for t in tiles:
    ipma += struct.pack('>HBBBB', t, 3, 0x80 | t, ispe_tile, pixi)
ipma += struct.pack('>HBBB', grid_id, 2, ispe_grid, pixi)
iref = box('dimg', struct.pack('>HH', grid_id, len(tiles)) + b''.join(struct.pack('>H', t) for t in tiles))


def meta_box(mdat_start):
    offsets, at = [], mdat_start
    for blob in [grid_data] + [d for _, d in parts]:
        offsets.append((at, len(blob)))
        at += len(blob)
    iloc = struct.pack('>BBH', 0x44, 0x00, grid_id)
    for item, (offset, length) in zip([grid_id] + tiles, offsets):
        iloc += struct.pack('>HHHII', item, 0, 1, offset, length)
    return box('meta', box('hdlr', struct.pack('>I4s12s', 0, b'pict', b'') + b'\0', full=0) +
               box('pitm', struct.pack('>H', grid_id), full=0) +
               box('iinf', struct.pack('>H', len(tiles) + 1) + infe, full=0) +
               box('iref', iref, full=0) + box('iloc', iloc, full=0) +
               box('iprp', box('ipco', ipco) + box('ipma', ipma, full=0)), full=0)


ftyp = box('ftyp', b'heic' + struct.pack('>I', 0) + b'mif1heic')
mdat_start = len(ftyp) + len(meta_box(0)) + 8
with open(out, 'wb') as f:
    f.write(ftyp + meta_box(mdat_start))
    f.write(box('mdat', grid_data + b''.join(d for _, d in parts)))
