#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Rewrites the single-tile still AVIF made by heif-enc -A so that its AV1 sequence header declares a
maximum frame size of SEQ_W x SEQ_H and its frame is FRAME_W x FRAME_H, all else (ispe included) as it was.
The frame is split into tiles the size of the original frame, each a copy of the original tile. When the
two sizes differ (or BITS, the width of the size fields, is given) the sequence header is a full one and
the frame header gives the frame's size itself. With 'config' the sequence header is moved from the item's
data to the configuration OBUs of its av1C property. Made for (and checked on) heif-enc's small pictures.
  make_av1_bomb.py IN OUT SEQ_W SEQ_H FRAME_W FRAME_H [BITS] [config]"""
import struct, sys

src, dst = sys.argv[1], sys.argv[2]
seq_w, seq_h, width, height = map(int, sys.argv[3:7])
field_bits = next((int(a) for a in sys.argv[7:] if a.isdigit()), 0)
in_config = 'config' in sys.argv[7:]
override = field_bits > 0 or (seq_w, seq_h) != (width, height)
data = bytearray(open(src, 'rb').read())


def boxes(buf, start, end):
    at = start
    while at < end:
        size, kind = struct.unpack('>I4s', buf[at:at + 8])
        yield at, size, kind.decode()
        at += size


def bits_of(b):
    return [(x >> (7 - i)) & 1 for x in b for i in range(8)]


def bytes_of(bits):
    bits = bits + [0] * (-len(bits) % 8)
    return bytes(int(''.join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def put(n, v):
    return [(v >> (n - 1 - i)) & 1 for i in range(n)]


def leb128(v):
    out = bytearray()
    while True:
        b = v & 0x7F
        v >>= 7
        out.append(b | (0x80 if v else 0))
        if not v:
            return bytes(out)


def obu(kind, payload):
    return bytes([kind << 3 | 2]) + leb128(len(payload)) + payload


top = {k: (a, s) for a, s, k in boxes(data, 0, len(data))}
meta_at, meta_size = top['meta']
mdat_at, mdat_size = top['mdat']
children = {k: (a, s) for a, s, k in boxes(data, meta_at + 12, meta_at + meta_size)}
iloc_at, _ = children['iloc']
assert data[iloc_at + 8] == 0 and data[iloc_at + 12:iloc_at + 14] == b'\x44\x40'
assert struct.unpack('>H', data[iloc_at + 14:iloc_at + 16])[0] == 1
base, extents, extent, length = struct.unpack('>IHII', data[iloc_at + 20:iloc_at + 34])
assert extents == 1
offset = base + extent
assert mdat_at + 8 <= offset and offset + length == mdat_at + mdat_size

obus, at = [], offset
while at < offset + length:
    head = data[at]
    assert head & 6 == 2  # no extension, a size field
    size, shift, at = 0, 0, at + 1
    while True:
        size |= (data[at] & 0x7F) << shift
        shift += 7
        at += 1
        if not data[at - 1] & 0x80:
            break
    obus.append((head >> 3 & 15, bytes(data[at:at + size])))
    at += size
obus = [o for o in obus if o[0] != 2]  # temporal delimiters
assert [k for k, _ in obus] == [1, 6]

# ---- the sequence header, reduced still picture as heif-enc writes it ----
s = bits_of(obus[0][1])
s = s[:len(s) - 1 - s[::-1].index(1)]  # without its trailing bits
assert s[4] == 1  # reduced_still_picture_header
level = s[5:10]
wbits, hbits = int(''.join(map(str, s[10:14])), 2) + 1, int(''.join(map(str, s[14:18])), 2) + 1
at = 18 + wbits + hbits
old_w = int(''.join(map(str, s[18:18 + wbits])), 2) + 1
old_h = int(''.join(map(str, s[18 + wbits:at])), 2) + 1
use128, tools = s[at], s[at + 1:at + 3]
enable_superres = s[at + 3]
rest = s[at + 3:]  # superres, cdef, restoration, colour, film grain
nw = field_bits or max(max(width, seq_w) - 1, 1).bit_length()
nh = field_bits or max(max(height, seq_h) - 1, 1).bit_length()
sizes = put(4, nw - 1) + put(4, nh - 1) + put(nw, seq_w - 1) + put(nh, seq_h - 1)
if override:
    # a full header: one operating point, no timing; after the sizes no frame ids, the inter tools off,
    # screen content and integer motion left to each frame as the reduced header leaves them
    seq = s[0:4] + [0, 0, 0] + put(5, 0) + put(12, 0) + level + ([0] if int(''.join(map(str, level)), 2) > 7 else [])
    seq += sizes + [0, use128] + tools + [0, 0, 0, 0, 0, 1, 1] + rest
else:
    seq = s[0:10] + sizes + [use128] + tools + rest

# ---- the frame header up to its tile info ----
f = bits_of(obus[1][1])
at = 0
disable_cdf_update = f[at]
screen = f[at + 1]
at += 2
if screen:
    at += 1  # force_integer_mv
assert not enable_superres
render_diff = f[at]
at += 1 + (32 if render_diff else 0)
if screen:
    at += 1  # allow_intrabc
sb = 128 if use128 else 64


def tile_log2(blk, target):
    k = 0
    while (blk << k) < target:
        k += 1
    return k


def tile_limits(w, h):
    cols, rows = -(-w // sb), -(-h // sb)
    min_cols = tile_log2(4096 // sb, cols)
    min_tiles = max(min_cols, tile_log2(4096 * 2304 // (sb * sb), rows * cols))
    return cols, rows, min_cols, tile_log2(1, min(cols, 64)), tile_log2(1, min(rows, 64)), min_tiles


# the source is one tile: uniform spacing, no increments taken
_, _, min_cols, max_cols, max_rows, min_tiles = tile_limits(old_w, old_h)
assert min_tiles == 0 and f[at] == 1
end = at + 1 + (1 if max_cols > 0 else 0) + (1 if max_rows > 0 else 0)
assert not any(f[at + 1:end])
prefix = f[:at]
allow_intrabc = f[at - 1] if screen else 0


# the rest of the frame header, to find where the source's tile data starts
class Reader:
    def __init__(self, bits, at):
        self.bits, self.at = bits, at

    def u(self, n):
        v = int(''.join(map(str, self.bits[self.at:self.at + n])) or '0', 2)
        self.at += n
        return v


# colour config of the sequence header: high bit depth, mono, description, range, chroma position, uv delta
c = Reader(rest, 3)  # after superres, cdef, restoration
enable_cdef, enable_restoration = rest[1], rest[2]
profile = int(''.join(map(str, s[0:3])), 2)
assert profile == 0
c.u(1)
mono = c.u(1)
planes = 1 if mono else 3
if c.u(1):
    cp, tc, mc = c.u(8), c.u(8), c.u(8)
else:
    cp, tc, mc = 2, 2, 2
if mono:
    separate_uv = 0
elif (cp, tc, mc) == (1, 13, 0):
    separate_uv = c.u(1)
else:
    c.u(1)
    c.u(2)  # profile 0 is 4:2:0
    separate_uv = c.u(1)
r = Reader(f, end)
base_q = r.u(8)
deltas = []
def delta():
    deltas.append(r.u(7) if r.u(1) else 0)
delta()
if planes > 1:
    diff_uv = r.u(1) if separate_uv else 0
    delta(), delta()
    if diff_uv:
        delta(), delta()
if r.u(1):
    r.u(8 + (4 if separate_uv else 0))
assert r.u(1) == 0  # no segmentation
delta_q = r.u(1) if base_q > 0 else 0
if delta_q:
    r.u(2)
    if not allow_intrabc and r.u(1):
        r.u(3)
lossless = base_q == 0 and not any(deltas)
if not (lossless or allow_intrabc):
    l0, l1 = r.u(6), r.u(6)
    if planes > 1 and (l0 or l1):
        r.u(12)
    r.u(3)
    if r.u(1) and r.u(1):
        for _ in range(10):
            if r.u(1):
                r.u(7)
    if enable_cdef:
        r.u(2)
        for _ in range(1 << r.u(2)):
            r.u(6 if planes == 1 else 12)
    if enable_restoration:
        types = [r.u(2) for _ in range(planes)]
        if any(types):
            if r.u(1) and not use128:
                r.u(1)
            if any(types[1:]):
                r.u(1)
    r.u(1)  # tx_mode_select
r.u(1)  # reduced_tx_set
assert not rest[-1]  # no film grain
header_bytes = (r.at + 7) // 8
if override:
    head = [0, 0, 0, 1] + prefix[:1 + 1 + screen]  # show_existing, KEY_FRAME, show_frame, cdf, screen, mv
    head += [1] + put(nw, width - 1) + put(nh, height - 1) + prefix[1 + 1 + screen:]
    if not disable_cdf_update:
        head += [1]  # disable_frame_end_update_cdf, implied by the reduced header
    prefix = head

sb_cols, sb_rows, min_cols, max_cols, max_rows, min_tiles = tile_limits(width, height)
# tiles the size of the source frame: uniform spacing with as many columns and rows as that takes
src_cols, src_rows = -(-old_w // sb), -(-old_h // sb)
cols = tile_log2(1, sb_cols // src_cols)
rows = tile_log2(1, sb_rows // src_rows)
assert sb_cols == src_cols << cols and sb_rows == src_rows << rows
assert (width, height) == (old_w, old_h) or (width % old_w == 0 and height % old_h == 0 and old_w % sb == 0 and
                                             old_h % sb == 0)
assert min_cols <= cols <= max_cols and rows <= max_rows and cols + rows >= min_tiles
tile_info = [1] + [1] * (cols - min_cols) + ([0] if cols < max_cols else [])
min_rows = max(min_tiles - cols, 0)
assert rows >= min_rows
tile_info += [1] * (rows - min_rows) + ([0] if rows < max_rows else [])
size_bytes = 2
if cols or rows:
    tile_info += put(cols + rows, 0) + put(2, size_bytes - 1)
tiles = 1 << (cols + rows)

frame_header = bytes_of(prefix + tile_info + f[end:r.at] + [1])  # with its trailing bits
tile = obus[1][1][header_bytes:]
group = b'\x00' if tiles > 1 else b''  # no tile start and end
for i in range(tiles):
    group += (struct.pack('<H', len(tile) - 1) if i < tiles - 1 else b'') + tile
sequence = obu(1, bytes_of(seq + [1]))
item = obu(2, b'') + (b'' if in_config else sequence) + obu(3, frame_header) + obu(4, group)
print(f'{width} x {height}: {tiles} tiles, item {len(item)} bytes', file=sys.stderr)

out = data[:offset] + item
if in_config:
    # the av1C grows by the sequence header: the boxes around it grow, and the data after it moves on
    iprp_at, iprp_size = children['iprp']
    ipco_at, ipco_size = next((a, n) for a, n, k in boxes(data, iprp_at + 8, iprp_at + iprp_size) if k == 'ipco')
    av1c_at, av1c_size = next((a, n) for a, n, k in boxes(data, ipco_at + 8, ipco_at + ipco_size) if k == 'av1C')
    assert data[av1c_at:av1c_at + av1c_size][8:] == data[av1c_at + 8:av1c_at + 12] and iloc_at < av1c_at
    out[av1c_at + av1c_size:av1c_at + av1c_size] = sequence
    for at in (meta_at, iprp_at, ipco_at, av1c_at):
        struct.pack_into('>I', out, at, struct.unpack('>I', out[at:at + 4])[0] + len(sequence))
    struct.pack_into('>I', out, iloc_at + 20, base + len(sequence))
    mdat_at += len(sequence)
struct.pack_into('>I', out, iloc_at + 30, len(item))
struct.pack_into('>I', out, mdat_at, len(item) + offset - mdat_at)
open(dst, 'wb').write(out)
