#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Gives the first HEVC item of a small HEIC the coded picture of another HEIC, with that one's parameter
sets at the head of the data, while the small file's hvcC and ispe still declare its own small size. An
HEVC decoder takes parameter sets that come with the data over those of hvcC: it decodes the large picture.

make_inband_bomb.py SMALL.heic LARGE.heic OUT.heic   (both as heif-enc writes them)"""
import struct, sys

small, large, dst = sys.argv[1], sys.argv[2], sys.argv[3]


def boxes(buf, start, end):
    at = start
    while at < end:
        size, kind = struct.unpack('>I4s', buf[at:at + 8])
        yield kind.decode(), at, size
        at += size


def layout(data):
    """The top boxes, the meta box's parts, the first HEVC item's id, its hvcC's NAL units, iloc entries."""
    top = {k: (a, s) for k, a, s in boxes(data, 0, len(data))}
    meta_at, meta_size = top['meta']
    parts = {k: (a, s) for k, a, s in boxes(data, meta_at + 12, meta_at + meta_size)}
    iinf_at, iinf_size = parts['iinf']
    item = next(struct.unpack('>H', data[a + 12:a + 14])[0]
                for k, a, s in boxes(data, iinf_at + 14, iinf_at + iinf_size) if data[a + 16:a + 20] == b'hvc1')
    iprp_at, iprp_size = parts['iprp']
    ipco_at, ipco_size = next((a, s) for k, a, s in boxes(data, iprp_at + 8, iprp_at + iprp_size) if k == 'ipco')
    hvcc_at, hvcc_size = next((a, s) for k, a, s in boxes(data, ipco_at + 8, ipco_at + ipco_size) if k == 'hvcC')
    hvcc = data[hvcc_at + 8:hvcc_at + hvcc_size]
    p, nals = 23, []
    for _ in range(hvcc[22]):
        count = struct.unpack('>H', hvcc[p + 1:p + 3])[0]
        p += 3
        for _ in range(count):
            length = struct.unpack('>H', hvcc[p:p + 2])[0]
            nals.append(bytes(hvcc[p + 2:p + 2 + length]))
            p += 2 + length
    iloc_at, _ = parts['iloc']
    version = data[iloc_at + 8]
    base_size = data[iloc_at + 13] >> 4
    assert data[iloc_at + 12] == 0x44 and base_size in (0, 4) and version in (0, 1)
    entries = []  # item, its base, the place of its only extent (offset, length)
    p = iloc_at + 16
    for _ in range(struct.unpack('>H', data[iloc_at + 14:iloc_at + 16])[0]):
        entry = struct.unpack('>H', data[p:p + 2])[0]
        p += 2 + (2 if version else 0) + 2
        base = struct.unpack('>I', data[p:p + 4])[0] if base_size else 0
        p += base_size
        assert struct.unpack('>H', data[p:p + 2])[0] == 1
        entries.append((entry, base, p + 2))
        p += 10
    return top, item, nals, entries


data = bytearray(open(small, 'rb').read())
donor = open(large, 'rb').read()
top, item, _, entries = layout(data)
_, donor_item, donor_nals, donor_entries = layout(donor)
base, extent_at = next((b, e) for i, b, e in donor_entries if i == donor_item)
offset, length = struct.unpack('>II', donor[extent_at:extent_at + 8])
blob = b''.join(struct.pack('>I', len(n)) + n for n in donor_nals) + donor[base + offset:base + offset + length]

where, old_length = None, 0
for entry, base, extent_at in entries:
    offset, length = struct.unpack('>II', data[extent_at:extent_at + 8])
    if entry == item:
        where, old_length = base + offset, length
        data[extent_at + 4:extent_at + 8] = struct.pack('>I', len(blob))
grow = len(blob) - old_length
for entry, base, extent_at in entries:  # data after the replaced data moves
    offset = struct.unpack('>I', data[extent_at:extent_at + 4])[0]
    if entry != item and base + offset > where:
        data[extent_at:extent_at + 4] = struct.pack('>I', offset + grow)
mdat_at, mdat_size = top['mdat']
assert top['meta'][0] < mdat_at < where <= mdat_at + mdat_size
data[where:where + old_length] = blob
data[mdat_at:mdat_at + 4] = struct.pack('>I', mdat_size + grow)
open(dst, 'wb').write(data)
