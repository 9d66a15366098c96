#!/usr/bin/env python3
"""Writes the eight glyphs of the file-system lists as 4-bit Windows bitmaps.

Our own pixel art, one character per pixel, in the 16 colours of the standard VGA palette.
"." is teal (0, 128, 128), the transparent colour: every glyph has it in its bottom-left
pixel, and the lists leave every pixel of that colour undrawn. Run it after changing a
picture; the bitmaps it writes beside itself are what the program carries.
"""
import os
import struct

PALETTE = [  # index: (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Character -> palette index.
INK = {
    "k": 0, "m": 1, "d": 2, "o": 3, "n": 4, "p": 5, ".": 6, "s": 7,
    "g": 8, "r": 9, "G": 10, "y": 11, "b": 12, "f": 13, "c": 14, "w": 15,
}

GLYPHS = {
    "RZ_FLOPPY": """
................
................
..kkkkkkkkkkkk..
.kwwwwwwwwwwwsk.
.kwsssssssssssgk
.kwskkkkkkkkksgk
.kwsgggggggggsgk
.kwssssssssrrsgk
.kwssssssssssggk
.kgggggggggggggk
..kkkkkkkkkkkkk.
................
................
""",
    "RZ_FIXEDDISK": """
................
................
..kkkkkkkkkkkk..
.kwwwwwwwwwwwsk.
.kwsssssssssssgk
.kwsssssssssssgk
.kwssssssssGGsgk
.kwsssssssssssgk
.kgggggggggggggk
..kkkkkkkkkkkkk.
................
................
................
""",
    "RZ_NETDRIVE": """
..kkkkkkkkkkkk..
.kwwwwwwwwwwwsk.
.kwsssssssssssgk
.kwssssssssGGsgk
.kgggggggggggggk
..kkkkkkkkkkkkk.
.......kk.......
.......kk.......
.....kkkkkk.....
nnnnnkbbbbkknnnn
.....kkkkkk.....
................
................
""",
    "RZ_CDROM": """
.....kkkkkk.....
...kkwwwwsskk...
..kwwcccwwsssk..
.kwwwwccwwssssk.
.kwwwwwkkwssssk.
kwwwwwk..kwsssgk
kwwwwwk..ksssggk
.kwwwwwkksssggk.
.kwwwsssssffggk.
..kwssssfffggk..
...kksssssgkk...
.....kkkkkk.....
................
""",
    "RZ_RAM": """
................
................
dddddddddddddddd
dkkkkdkkkkdkkkkd
dkggkdkggkdkggkd
dkkkkdkkkkdkkkkd
dddddddddddddddd
dyydyydyydyydyyd
dyydyydyydyydyyd
dddddddddddddddd
................
................
................
""",
    "RZ_OPENFOLDER": """
................
................
..kkkkk.........
.kyywyyk........
kyyyyyyykkkkkk..
kywwwwwwwwwwwyk.
kywyyykkkkkkkkkk
kywyykwwwwwwwwwk
kwyykwyyyyyyyyok
kwyykwyyyyyyyok.
kwykwyyyyyyyyok.
kwykwyyyyyyyok..
kykwyyyyyyyyok..
kkoooooooooook..
.kkkkkkkkkkkkk..
................
""",
    "RZ_CURRENTFOLDER": """
................
................
..kkkkk.........
.koogoogk.......
koooooooykkkkk..
kogwgwgwgwgwgok.
kowgwkkkkkkkkkkk
kogwkswswswswswk
kowgkwsgsgsgsgok
kogkwsgsgsgsgok.
kowkwgsgsgsgsok.
kogkwsgsgsgsok..
kokwgsgsgsgsok..
kkoooooooooook..
.kkkkkkkkkkkkk..
................
""",
    "RZ_CLOSEDFOLDER": """
................
................
..kkkkk.........
.kyywyyk........
kyyyyyyykkkkkk..
kwwwwwwwwwwwwyk.
kwyyyyyyyyyyyok.
kwyyyyyyyyyyyok.
kwyyyyyyyyyyyok.
kwyyyyyyyyyyyok.
kwyyyyyyyyyyyok.
kwyyyyyyyyyyyok.
kyoooooooooooook
kkkkkkkkkkkkkkk.
................
................
""",
}

SIZES = {name: (16, 13) for name in ("RZ_FLOPPY", "RZ_FIXEDDISK", "RZ_NETDRIVE", "RZ_CDROM",
                                     "RZ_RAM")}
SIZES.update({name: (16, 16) for name in ("RZ_OPENFOLDER", "RZ_CURRENTFOLDER",
                                          "RZ_CLOSEDFOLDER")})


def bitmap(rows):
    """A 4-bit BI_RGB bitmap of rows of palette indices (stored bottom row first)."""
    width, height = len(rows[0]), len(rows)
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):
        packed = bytearray()
        for x in range(0, width, 2):
            high = row[x]
            low = row[x + 1] if x + 1 < width else 0
            packed.append((high << 4) | low)
        pixels += bytes(packed) + b"\0" * (stride - len(packed))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835,
                       16, 0)
    return header + info + palette + pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, art in GLYPHS.items():
        lines = art.strip("\n").split("\n")
        width, height = SIZES[name]
        assert len(lines) == height, (name, len(lines))
        for line in lines:
            assert len(line) == width, (name, line, len(line))
        assert lines[-1][0] == ".", (name, "bottom-left pixel must be teal")
        rows = [[INK[c] for c in line] for line in lines]
        with open(os.path.join(here, name + ".bmp"), "wb") as out:
            out.write(bitmap(rows))


if __name__ == "__main__":
    main()
