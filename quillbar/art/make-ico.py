#!/usr/bin/env python3
"""Packs RGBA PNG renderings into a Windows icon file of 24-bit colour images with a 1-bit mask.

Usage: make-ico.py OUT.ico IN.png [IN.png ...]   (one square PNG per size, smallest first)

ImageMagick writes 32-bit icons with an alpha channel; the palette's window icon is the classic
kind instead (24-bit colour plus an AND mask), which every Windows version draws the same way.
A pixel at least half opaque is kept with its own colour; the rest is transparent, with black
in the colour image so that the AND/XOR pair leaves the background untouched.
"""
import struct
import sys
import zlib


def read_png_rgba(path):
    """Returns (width, height, rows) with rows a list of bytes objects of RGBA pixels."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path}: not a PNG file')
    pos = 8
    idat = b''
    width = height = None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace != 0:
                raise ValueError(f'{path}: want 8-bit RGB or RGBA, not interlaced')
            channels = 4 if colour == 6 else 3
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    if width is None:
        raise ValueError(f'{path}: no IHDR')
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    prev = bytearray(stride)
    pos = 0
    for _ in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            upleft = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 0xFF
            elif kind == 4:
                p = left + up - upleft
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upleft)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else upleft)
                line[i] = (line[i] + pred) & 0xFF
            elif kind != 0:
                raise ValueError(f'{path}: bad filter {kind}')
        prev = line
        if channels == 3:
            line = bytearray(b''.join(bytes(line[i:i + 3]) + b'\xff' for i in range(0, stride, 3)))
        rows.append(bytes(line))
    return width, height, rows


def icon_image(width, height, rows):
    """The DIB of one icon entry: header, bottom-up BGR rows, bottom-up AND mask rows."""
    colour_stride = (width * 3 + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        row = rows[y]
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = row[4 * x:4 * x + 4]
            if a >= 128:
                line[3 * x:3 * x + 3] = bytes((b, g, r))
            else:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 24, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    images = []
    for path in argv[2:]:
        width, height, rows = read_png_rgba(path)
        if width != height or not 1 <= width <= 256:
            raise ValueError(f'{path}: icon images are square, at most 256 px')
        images.append((width, icon_image(width, height, rows)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for width, dib in images:
        size_byte = width % 256  # 0 stands for 256
        out += struct.pack('<BBBBHHII', size_byte, size_byte, 0, 0, 1, 24, len(dib), offset)
        offset += len(dib)
    for _, dib in images:
        out += dib
    with open(argv[1], 'wb') as f:
        f.write(out)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
