#!/usr/bin/env python3
"""Draws the program's toolbar bitmaps, icon and drag cursor into app/resources/.

The images are committed; run this again only to change them. Each picture is a 16 x 16
character grid: '.' is the transparent magenta, other letters pick a colour. The toolbar takes
its images at 16, 20, 24 and 32 pixels, by display scale (tb_NAME.bmp, tb_NAME_20.bmp, ...):
32 is the grid doubled with Scale2x, which rounds diagonals instead of stepping them, and 20
and 24 repeat rows and columns of the grid evenly, so every line stays one colour wide and
sharp; none is resampled into blur.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(__file__), "..", "app", "resources")

PALETTE = {
    ".": (255, 0, 255), "k": (0, 0, 0), "w": (255, 255, 255), "g": (128, 128, 128),
    "l": (192, 192, 192), "b": (0, 0, 192), "B": (64, 128, 255), "y": (255, 208, 0),
    "r": (200, 0, 0), "G": (0, 150, 0), "o": (230, 120, 0),
}

PAGE = [
    "..kkkkkkkk......", "..kwwwwwwkk.....", "..kwwwwwwkwk....", "..kwwwwwwkkkk...",
    "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kkkkkkkkkkk...", "................",
]

IMAGES = {
    "tb_new": PAGE,
    "tb_open": [
        "................", "................", "..........kkk...", ".........k...k.k",
        "..............kk", ".kkk.........kkk", "kyyykkkkkkk.....", "kyyyyyyyyyk.....",
        "kyyykkkkkkkkk...", "kyykoooooooook..", "kyykooooooook...", "kykooooooook....",
        "kykoooooooook...", "kkooooooook.....", "kkkkkkkkkk......", "................",
    ],
    "tb_save": [
        "................", ".kkkkkkkkkkkkkk.", ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.",
        ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.", ".kbbkkkkkkkkbbk.", ".kbbbbbbbbbbbbk.",
        ".kbbkkkkkkkkbbk.", ".kbbkllkkkllbbk.", ".kbbkllkkkllbbk.", ".kbbkllkkkllbbk.",
        "..kbkllllllllbk.", "...kkkkkkkkkkkk.", "................", "................",
    ],
    "tb_cut": [
        "................", "...k.....k......", "...k.....k......", "...kk...kk......",
        "....k...k.......", "....kk.kk.......", ".....kkk........", "......k.........",
        ".....bkb........", "...bbb.bbb......", "..b..b.b..b.....", "..b..b.b..b.....",
        "..b..b.b..b.....", "...bb...bb......", "................", "................",
    ],
    "tb_copy": [
        "kkkkkk..........", "kwwwwkk.........", "kwkkwkwk........", "kwwwwkkkk.......",
        "kwkkkkkkkkk.....", "kwwwwkwwwwkk....", "kwkkkkwkkwkwk...", "kwwwwkwwwwkkkk..",
        "kwkkkkwkkkkkwk..", "kwwwwkwwwwwwwk..", "kkkkkkwkkkkkwk..", ".....kwwwwwwwk..",
        ".....kwkkkkkwk..", ".....kwwwwwwwk..", ".....kkkkkkkkk..", "................",
    ],
    "tb_paste": [
        "......kk........", "..kkkkyykkkk....", ".kooky..ykook...", ".kookkkkkkook...",
        ".koooooooooook..", ".kooooookkkkkkk.", ".kooooookwwwwkwk", ".kooooookwkkwkkk",
        ".kooooookwwwwwwk", ".kooooookwkkkkwk", ".kooooookwwwwwwk", ".kooooookwkkkkwk",
        ".kooooookwwwwwwk", "..kkkkkkkkkkkkkk", "................", "................",
    ],
    "tb_find": [
        "................", "....kkkk........", "...kwwwwk.......", "..kwBBwwwk......",
        "..kwBwwwwk......", "..kwwwwwwk......", "..kwwwwwwk......", "...kwwwwk.......",
        "....kkkkkk......", "........kkk.....", ".........kkk....", "..........kkk...",
        "...........kkk..", "............kk..", "................", "................",
    ],
    "tb_sortasc": [
        "................", "...b............", "..bbb...kkk.....", ".bbbbb.k...k....",
        "...b...kkkkk....", "...b...k...k....", "...b...k...k....", "...b............",
        "...b...kkkkk....", "...b......k.....", "...b.....k......", "...b....k.......",
        "...b...kkkkk....", "................", "................", "................",
    ],
    "tb_sortdesc": [
        "................", "...b............", "...b....kkkkk...", "...b.......k....",
        "...b......k.....", "...b.....k......", "...b....kkkkk...", "...b............",
        "...b.....kkk....", "...b....k...k...", ".bbbbb..kkkkk...", "..bbb...k...k...",
        "...b....k...k...", "................", "................", "................",
    ],
    "tb_reget": [
        "................", "......GGGG......", ".....GGGGGG.....", "......GGGG......",
        "......GGGG......", "......GGGG......", "...GGGGGGGGGG...", "....GGGGGGGG....",
        ".....GGGGGG.....", "......GGGG......", ".......GG.......", "..kkkkkkkkkkkk..",
        "..kllllllllllk..", "..kkkkkkkkkkkk..", "................", "................",
    ],
    # The third manager: the list's lines going out to a terminal-like box.
    "tb_other": [
        "................", "..kkkkkkkkkkkk..", "..kwwwwwwwwwwk..", "..kwbbbbbbbwwk..",
        "..kwwwwwwwwwwk..", "..kwbbbbbwwwwk..", "..kwwwwwwwwwwk..", "..kwbbbbbbwwwk..",
        "..kkkkkkkkkkkk..", ".......oo.......", ".......oo.......", "....oooooooo....",
        ".....oooooo.....", "......oooo......", ".......oo.......", "................",
    ],
    "tb_iria": [
        "................", "......rrrr......", ".....rrrrrr.....", "......rrrr......",
        "......rrrr......", "......rrrr......", "...rrrrrrrrrr...", "....rrrrrrrr....",
        ".....rrrrrr.....", "......rrrr......", ".......rr.......", "..kkkkkkkkkkkk..",
        "..kllllllllllk..", "..kkkkkkkkkkkk..", "................", "................",
    ],
    "tb_drop": [
        "................", "..bbbbbbbbbbbb..", "..bBBBBBBBBBBb..", "..bBwwwwwwwwBb..",
        "..bBwwwkkwwwBb..", "..bBwwwkkwwwBb..", "..bBwwwkkwwwBb..", "..bBwkkkkkkwBb..",
        "..bBwwkkkkwwBb..", "..bBwwwkkwwwBb..", "..bBwwwwwwwwBb..", "..bBBBBBBBBBBb..",
        "..bbbbbbbbbbbb..", "................", "................", "................",
    ],
    "tb_free": [
        "................", "..kkkkkkkkkk....", "..kwwwwwwwwk....", "..kwkkkkkkwk....",
        "..kwwwwwwwwk....", "..kwkkkkkwwk.o..", "..kwwwwwwwwkooo.", "..kwkkkkwwkooo..",
        "..kwwwwwwwkooo..", "..kwkkkwwkooo...", "..kwwwwwwkyo....", "..kwwwwwwkk.....",
        "..kkkkkkkkk.....", "................", "................", "................",
    ],
}


SIZES = (20, 24, 32)


def scale2x(rows):
    """Each cell becomes four; a corner takes its neighbours' colour where two of them agree."""
    n = len(rows)
    out = [[None] * (2 * n) for _ in range(2 * n)]
    at = lambda y, x: rows[min(max(y, 0), n - 1)][min(max(x, 0), n - 1)]
    for y in range(n):
        for x in range(n):
            p, a, b, c, d = at(y, x), at(y - 1, x), at(y, x + 1), at(y, x - 1), at(y + 1, x)
            e0 = c if c == a and c != d and a != b else p
            e1 = a if a == b and a != c and b != d else p
            e2 = c if d == c and d != b and c != a else p
            e3 = b if b == d and b != a and d != c else p
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e0, e1
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e2, e3
    return ["".join(r) for r in out]


def stretched(rows, size):
    """The grid at `size` cells, repeating evenly spread rows and columns."""
    n = len(rows)
    pick = [i * n // size for i in range(size)]
    return ["".join(rows[y][x] for x in pick) for y in pick]


def at_size(rows, size):
    return scale2x(rows) if size == 2 * len(rows) else stretched(rows, size)


def bmp24(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            r, g, b = PALETTE[ch]
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def icon32():
    size = 32
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            border = x in (4, 27) or y in (2, 29)
            inside = 4 < x < 27 and 2 < y < 29
            line = inside and y % 5 == 0 and 7 <= x <= 24
            if border and 4 <= x <= 27 and 2 <= y <= 29:
                xor += bytes((40, 40, 40, 255))
            elif line:
                xor += bytes((192, 96, 0, 255))
            elif inside:
                xor += bytes((255, 255, 255, 255))
            else:
                xor += bytes((0, 0, 0, 0))
    mask = b"\0" * (4 * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def cursor(grid, hot_x, hot_y):
    """A monochrome 32 x 32 cursor file from a character grid ('.' transparent)."""
    size = 32
    # AND mask 0 where drawn; XOR 1 for white, 0 for black.
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):
        xbits = abits = 0
        for x in range(size):
            ch = grid[y][x]
            xbits = (xbits << 1) | (1 if ch == "w" else 0)
            abits = (abits << 1) | (1 if ch == "." else 0)
        xor_rows.append(struct.pack(">I", xbits))
        and_rows.append(struct.pack(">I", abits))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return header + entry + image


def grid_of(rows, size=32):
    grid = [["." for _ in range(size)] for _ in range(size)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            grid[y][x] = ch
    return grid


def hand_cursor():
    hand = [
        ".....kk.........", "....kwwk........", "....kwwk........", "....kwwk........",
        "....kwwkkk......", "....kwwkwwkkk...", "....kwwkwwkwwkk.", ".kk.kwwkwwkwwkwk",
        "kwwkkwwwwwwwwkwk", "kwwwkwwwwwwwwwwk", ".kwwkwwwwwwwwwwk", "..kwwwwwwwwwwwwk",
        "..kwwwwwwwwwwwk.", "...kwwwwwwwwwwk.", "....kwwwwwwwwk..", "....kwwwwwwwwk..",
        "....kkkkkkkkkk..",
    ]
    return cursor(grid_of(hand), 5, 0)


def drag_cursor():
    arrow = [
        "k...........", "kk..........", "kwk.........", "kwwk........", "kwwwk.......",
        "kwwwwk......", "kwwwwwk.....", "kwwwwwwk....", "kwwwwwwwk...", "kwwwwkkkkk..",
        "kwwkwk......", "kwk.kwk.....", "kk..kwk.....", "k....kwk....", ".....kwk....",
        "......k.....",
    ]
    box = ["kkkkkkkkkk", "kwwwwwwwwk", "kwkkkkkkwk", "kwwwwwwwwk", "kwkkkkkwwk",
           "kwwwwwwwwk", "kkkkkkkkkk"]
    grid = grid_of(arrow)
    for y, row in enumerate(box):
        for x, ch in enumerate(row):
            grid[17 + y][8 + x] = ch
    return cursor(grid, 0, 0)


def main():
    for name, rows in IMAGES.items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        with open(os.path.join(OUT, name + ".bmp"), "wb") as f:
            f.write(bmp24(rows))
        for size in SIZES:
            with open(os.path.join(OUT, "%s_%d.bmp" % (name, size)), "wb") as f:
                f.write(bmp24(at_size(rows, size)))
    with open(os.path.join(OUT, "cardo.ico"), "wb") as f:
        f.write(icon32())
    with open(os.path.join(OUT, "drag.cur"), "wb") as f:
        f.write(drag_cursor())
    with open(os.path.join(OUT, "hand.cur"), "wb") as f:
        f.write(hand_cursor())


if __name__ == "__main__":
    main()
