#!/usr/bin/env python3
"""Checks the generated pictures against what the palette expects of them.

Usage: check-art.py [FOLDER]   (default: the folder of this script)

Every file named in art.rc must exist; each BITMAP picture must be an uncompressed 24-bit bitmap
of the right size, the only kind the program reads; the
program icon must hold 16, 32 and 48 px images in 24-bit colour with a mask that leaves the corners
transparent and the middle opaque. Prints one line per failure and a closing count.
"""
import os
import re
import struct
import sys

SIZES = {
    'IDB_ICON_IO': (32, 32),
    'IDB_ICON_MODEL': (32, 32),
    'IDB_ICON_DRAW': (32, 32),
    'IDB_ICON_HELP': (32, 32),
    'IDB_BANNER': (128, 75),
}
ICON_SIZES = [16, 32, 48]


def check_bmp(path, want):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:2] != b'BM' or len(data) < 54:
        return ['not a bitmap file']
    offset = struct.unpack('<I', data[10:14])[0]
    size, width, height, planes, bits, compression = struct.unpack('<IiiHHI', data[14:34])
    colours = struct.unpack('<I', data[46:50])[0]
    errors = []
    if size < 40 or (planes, bits, compression, colours) != (1, 24, 0, 0):
        errors.append('not an uncompressed 24-bit bitmap without a colour table')
    if (width, abs(height)) != want:
        errors.append(f'{width} x {abs(height)}, want {want[0]} x {want[1]}')
    elif offset + ((width * 3 + 3) & ~3) * abs(height) > len(data):
        errors.append('the pixels run past the end of the file')
    return errors


def mask_bit(dib, size, x, y):
    """1 where the icon is transparent at (x, y), counted from the top left."""
    colour_stride = (size * 3 + 3) & ~3
    mask_stride = ((size + 31) // 32) * 4
    row = size - 1 - y
    pos = 40 + colour_stride * size + mask_stride * row + x // 8
    return (dib[pos] >> (7 - x % 8)) & 1


def check_ico(path):
    with open(path, 'rb') as f:
        data = f.read()
    errors = []
    reserved, kind, count = struct.unpack('<HHH', data[:6])
    if reserved != 0 or kind != 1:
        return ['not an icon file']
    sizes = []
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack(
            '<BBBBHHII', data[6 + 16 * i:22 + 16 * i])
        w = w or 256
        h = h or 256
        sizes.append(w)
        where = f'{w} px image'
        if offset + length > len(data):
            errors.append(f'{where}: runs past the end of the file')
            continue
        dib = data[offset:offset + length]
        hdr, dw, dh, dplanes, dbits = struct.unpack('<IiiHH', dib[:16])
        colour_stride = (w * 3 + 3) & ~3
        mask_stride = ((w + 31) // 32) * 4
        if (hdr, dw, dh, dplanes, dbits) != (40, w, 2 * h, 1, 24) or bits != 24 or w != h:
            errors.append(f'{where}: not a square 24-bit image with a mask')
            continue
        if length != 40 + (colour_stride + mask_stride) * h:
            errors.append(f'{where}: size {length} does not fit colour plus mask')
            continue
        corners = [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]
        if not all(mask_bit(dib, w, x, y) for x, y in corners):
            errors.append(f'{where}: a corner is not transparent')
        if mask_bit(dib, w, w // 2, h // 2):
            errors.append(f'{where}: the middle is transparent')
    if sizes != ICON_SIZES:
        errors.append(f'image sizes {sizes}, want {ICON_SIZES}')
    return errors


def rc_entries(folder):
    """(id name, type, file) for each resource line of art.rc, with ids resolved by art_ids.h."""
    with open(os.path.join(folder, 'art_ids.h')) as f:
        ids = dict(re.findall(r'^#define\s+(ID\w+)\s+(\d+)', f.read(), re.M))
    with open(os.path.join(folder, 'art.rc')) as f:
        lines = re.findall(r'^(ID\w+)\s+(ICON|BITMAP)\s+"([^"]+)"', f.read(), re.M)
    return ids, lines


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    failures = []
    checked = 0
    ids, lines = rc_entries(folder)
    if len(set(ids.values())) != len(ids):
        failures.append('art_ids.h: two names share an id')
    named = {name for name, _, _ in lines}
    for name in sorted(set(SIZES) | {'IDI_QUILLBAR'}):
        if name not in named:
            failures.append(f'art.rc: {name} is missing')
    for name, kind, file in lines:
        checked += 1
        path = os.path.join(folder, file)
        if name not in ids:
            failures.append(f'art.rc: {name} is not defined in art_ids.h')
        if not os.path.isfile(path):
            failures.append(f'{file}: missing')
            continue
        try:
            if kind == 'ICON':
                errors = check_ico(path)
            elif name in SIZES:
                errors = check_bmp(path, SIZES[name])
            else:
                errors = [f'unknown picture {name}']
        except (ValueError, struct.error, IndexError) as e:
            errors = [str(e)]
        failures += [f'{file}: {e}' for e in errors]
    for line in failures:
        print(line)
    print(f'art: {checked} pictures checked, {len(failures)} problems')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
