#!/usr/bin/env python3
"""Draws the reader pages' header image, an archive box of 35 x 29 pixels, and
writes it as stow.gif (GIF89a, 16 colours, transparent background) beside this
script. The written file is decoded again and compared with the drawing.

    make_stow_gif.py [--preview FILE.png]   also writes an enlarged PNG to look at
"""
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 35, 29
PALETTE = [
    (255, 255, 255),  # 0 background (transparent)
    (31, 47, 95),     # 1 outline
    (58, 110, 165),   # 2 box
    (141, 180, 226),  # 3 lid
    (255, 255, 255),  # 4 paper
    (242, 194, 48),   # 5 label
    (184, 134, 11),   # 6 label rim
    (38, 76, 122),    # 7 box shade
] + [(0, 0, 0)] * 8

LETTER_S = [
    ".###.",
    "#...#",
    "#....",
    ".###.",
    "....#",
    "#...#",
    ".###.",
]


def draw():
    px = [[0] * WIDTH for _ in range(HEIGHT)]

    def rect(x0, y0, x1, y1, fill, rim):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                px[y][x] = rim if edge else fill

    rect(7, 0, 27, 6, 4, 1)         # papers standing in the box
    for y in (2, 4):
        for x in range(10, 25):
            px[y][x] = 3
    rect(3, 8, 31, 28, 2, 1)        # box
    for y in range(9, 28):
        px[y][29] = px[y][30] = 7   # shaded right side
    rect(1, 5, 33, 9, 3, 1)         # lid
    rect(11, 13, 23, 24, 5, 6)      # label
    for row, line in enumerate(LETTER_S):
        for col, ch in enumerate(line):
            if ch == "#":
                px[15 + row][15 + col] = 1
    return px


def lzw_encode(pixels, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    table = {(i,): i for i in range(clear)}
    next_code, size = end + 1, min_size + 1
    decoder_next = end + 1
    bits, nbits, out = 0, 0, bytearray()
    emitted = 0

    def emit(code):
        nonlocal bits, nbits, size, decoder_next, emitted
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
        # The decoder adds an entry for every code after the first one it reads
        # and widens its codes when its next entry needs another bit.
        if code not in (clear, end):
            emitted += 1
            if emitted >= 2:
                decoder_next += 1
                if decoder_next == (1 << size) and size < 12:
                    size += 1

    emit(clear)
    w = ()
    for k in pixels:
        wk = w + (k,)
        if wk in table:
            w = wk
            continue
        emit(table[w])
        table[wk] = next_code
        next_code += 1
        w = (k,)
    emit(table[w])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def lzw_decode(data, min_size, count):
    clear, end = 1 << min_size, (1 << min_size) + 1
    bits = int.from_bytes(data, "little")
    pos, size = 0, min_size + 1
    table, prev, out = None, None, []
    while len(out) <= count:
        code = (bits >> pos) & ((1 << size) - 1)
        pos += size
        if code == clear:
            table = [(i,) for i in range(clear)] + [None, None]
            size, prev = min_size + 1, None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        else:
            entry = table[code] if code < len(table) else prev + prev[:1]
            table.append(prev + entry[:1])
            if len(table) == (1 << size) and size < 12:
                size += 1
        out.extend(entry)
        prev = entry
    return out


def gif_bytes(px):
    flat = [v for row in px for v in row]
    data = lzw_encode(flat, 4)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    head = b"GIF89a" + struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF3, 0, 0)
    colours = b"".join(bytes(c) for c in PALETTE)
    control = b"\x21\xF9\x04\x01\x00\x00\x00\x00"  # colour 0 is transparent
    image = b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0) + b"\x04" + blocks + b"\x00"
    return head + colours + control + image + b"\x3B", flat, data


def png_preview(px, scale):
    rows = b""
    for row in px:
        line = b"".join(bytes(PALETTE[v]) * scale for v in row)
        rows += (b"\x00" + line) * scale

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", WIDTH * scale, HEIGHT * scale, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main():
    px = draw()
    gif, flat, data = gif_bytes(px)
    if lzw_decode(data, 4, len(flat)) != flat:
        sys.exit("LZW round trip failed")
    (Path(__file__).parent / "stow.gif").write_bytes(gif)
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        Path(sys.argv[2]).write_bytes(png_preview(px, 8))


if __name__ == "__main__":
    main()
