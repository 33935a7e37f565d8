#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Adds an irot (quarter turns anticlockwise) property to the primary item of a HEIF file made by heif-enc."""
import struct, sys

src, dst, turns = sys.argv[1], sys.argv[2], int(sys.argv[3])
data = bytearray(open(src, 'rb').read())

def boxes(buf, start, end):
    at = start
    while at < end:
        size, kind = struct.unpack('>I4s', buf[at:at + 8])
        yield at, size, kind.decode()
        at += size

top = {k: (a, s) for a, s, k in boxes(data, 0, len(data))}
meta_at, meta_size = top['meta']
children = {k: (a, s) for a, s, k in boxes(data, meta_at + 12, meta_at + meta_size)}
pitm_at, _ = children['pitm']
primary = struct.unpack('>H', data[pitm_at + 12:pitm_at + 14])[0]
iprp_at, iprp_size = children['iprp']
props = {k: (a, s) for a, s, k in boxes(data, iprp_at + 8, iprp_at + iprp_size)}
ipco_at, ipco_size = props['ipco']
count = sum(1 for _ in boxes(data, ipco_at + 8, ipco_at + ipco_size))
irot = struct.pack('>I4sB', 9, b'irot', turns & 3)
ipma_at, ipma_size = props['ipma']
version, flags = data[ipma_at + 8], int.from_bytes(data[ipma_at + 9:ipma_at + 12], 'big')
assert version == 0 and not (flags & 1)
entries = struct.unpack('>I', data[ipma_at + 12:ipma_at + 16])[0]
at = ipma_at + 16
insert_assoc = None
for _ in range(entries):
    item, n = struct.unpack('>HB', data[at:at + 3])
    if item == primary:
        data[at + 2] = n + 1
        insert_assoc = at + 3 + n
    at += 3 + n
assert insert_assoc is not None
# Insert from the back so that earlier positions stay valid.
assoc = bytes([0x80 | (count + 1)])  # essential
ops = sorted([(insert_assoc, assoc), (ipco_at + ipco_size, irot)], reverse=True)
delta = len(irot) + len(assoc)
for pos, blob in ops:
    data[pos:pos] = blob
def grow(at, by):
    size = struct.unpack('>I', data[at:at + 4])[0]
    data[at:at + 4] = struct.pack('>I', size + by)
# ipco lies before ipma inside iprp
grow(ipco_at, len(irot))
grow(ipma_at + len(irot), len(assoc))
grow(iprp_at, delta)
grow(meta_at, delta)
# iloc: absolute offsets into mdat (after meta) move by delta
iloc_at = children['iloc'][0]
v = data[iloc_at + 8]
p = iloc_at + 12
sizes = data[p]; p += 1
off_size, len_size = sizes >> 4, sizes & 15
b2 = data[p]; p += 1
base_size, index_size = b2 >> 4, (b2 & 15 if v in (1, 2) else 0)
n_items = struct.unpack('>H', data[p:p + 2])[0]; p += 2
def read(n, at):
    return int.from_bytes(data[at:at + n], 'big') if n else 0
def write(n, at, value):
    if n: data[at:at + n] = value.to_bytes(n, 'big')
for _ in range(n_items):
    p += 2  # item id
    method = 0
    if v in (1, 2):
        method = struct.unpack('>H', data[p:p + 2])[0] & 15; p += 2
    p += 2  # data reference index
    base = read(base_size, p)
    if method == 0 and base_size: write(base_size, p, base + delta)
    p += base_size
    extents = struct.unpack('>H', data[p:p + 2])[0]; p += 2
    for _ in range(extents):
        p += index_size
        if method == 0 and not base_size: write(off_size, p, read(off_size, p) + delta)
        p += off_size + len_size
open(dst, 'wb').write(data)
