#!/usr/bin/env python3
"""Draws velnart's 32 x 32, 256-colour icon and writes the files velnart.rc embeds.

The build never runs this: its outputs are committed, so only someone changing the
picture needs python3. Run it from anywhere; the files land beside it.

  velnart.ico              the icon as a normal .ico file, for people to open
  velnart_icon_image.bin   the image alone (header, palette, colour bits, AND mask),
                           which is exactly what an RT_ICON resource holds
  velnart_icon_group.bin   the RT_GROUP_ICON directory that points at that image

The picture: a sheet listing addresses in blocks of two hex digits, with an Ethernet
socket over its lower right corner. It is plain pixel art, so every run writes the
same bytes.
"""

import pathlib
import struct

SIZE = 32
ICON_IMAGE_ID = 30001

OUTLINE = (0x26, 0x32, 0x38)
PAPER = (0xFF, 0xFF, 0xFF)
PAPER_SHADE = (0xE3, 0xE9, 0xEE)
HEADER = (0x15, 0x65, 0xC0)
HEADER_LIGHT = (0x42, 0x8B, 0xE0)
DIGITS = (0x37, 0x47, 0x4F)
DIGITS_ACCENT = (0x1E, 0x88, 0xE5)
HOUSING = (0xB0, 0xBE, 0xC5)
HOUSING_LIGHT = (0xE0, 0xE6, 0xEA)
HOUSING_DARK = (0x78, 0x90, 0x9C)
OPENING = (0x1C, 0x24, 0x29)
CONTACT = (0xFF, 0xC1, 0x07)


class Canvas:
    def __init__(self):
        self.pixels = [[None] * SIZE for _ in range(SIZE)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the inclusive box from (x0, y0) to (x1, y1); y grows downwards."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.pixels[y][x] = colour

    def framed(self, x0, y0, x1, y1, fill, frame):
        """A box with a one-pixel frame whose corner pixels are left as they were:
        a missing corner is as round as a 32-pixel box gets."""
        corners = [(x, y, self.pixels[y][x]) for x in (x0, x1) for y in (y0, y1)]
        self.rect(x0, y0, x1, y1, frame)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)
        for x, y, beneath in corners:
            self.pixels[y][x] = beneath


def draw():
    c = Canvas()

    # The address sheet: a title band, then rows of hex-digit pairs. The rows run
    # under the socket, which hides their ends the way a front object would.
    c.framed(1, 1, 25, 26, PAPER, OUTLINE)
    c.rect(2, 2, 24, 5, HEADER)
    c.rect(2, 2, 24, 2, HEADER_LIGHT)
    c.rect(2, 6, 24, 6, OUTLINE)
    c.rect(24, 7, 24, 25, PAPER_SHADE)
    c.rect(2, 25, 24, 25, PAPER_SHADE)
    for row, y in enumerate((9, 13, 17, 21)):
        for pair in range(5):
            x = 4 + pair * 4
            colour = DIGITS_ACCENT if (row + pair) % 4 == 0 else DIGITS
            c.rect(x, y, x + 2, y + 1, colour)

    # The socket: a metal housing round a keyed opening, contacts along its top.
    c.framed(14, 14, 30, 30, HOUSING, OUTLINE)
    c.rect(15, 15, 29, 15, HOUSING_LIGHT)
    c.rect(15, 15, 15, 29, HOUSING_LIGHT)
    c.rect(15, 29, 29, 29, HOUSING_DARK)
    c.rect(29, 15, 29, 29, HOUSING_DARK)
    c.rect(17, 17, 27, 24, OPENING)
    c.rect(19, 25, 25, 26, OPENING)
    c.rect(21, 27, 23, 27, OPENING)
    for x in range(18, 27, 2):
        c.rect(x, 18, x, 20, CONTACT)
    return c.pixels


def image_bytes(pixels):
    """The icon image as Windows stores it: a BITMAPINFOHEADER of twice the height
    (colour rows and mask rows), 256 palette entries, then both bitmaps bottom-up."""
    palette = [(0, 0, 0)]  # index 0: what transparent pixels carry under the mask
    for row in pixels:
        for colour in row:
            if colour is not None and colour not in palette:
                palette.append(colour)
    assert len(palette) <= 256
    index = {colour: i for i, colour in enumerate(palette)}

    colour_rows = b"".join(
        bytes(0 if p is None else index[p] for p in row) for row in reversed(pixels)
    )
    mask_rows = b""
    for row in reversed(pixels):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p is None)
        mask_rows += struct.pack(">I", bits)  # leftmost pixel is the top bit; 4-byte rows

    header = struct.pack(
        "<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(colour_rows) + len(mask_rows),
        0, 0, 256, 0
    )
    entries = palette + [(0, 0, 0)] * (256 - len(palette))
    palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    return header + palette_bytes + colour_rows + mask_rows


def main():
    here = pathlib.Path(__file__).resolve().parent
    image = image_bytes(draw())
    # Width, height, colour count (0 means 256 or more), reserved, planes, bits per pixel.
    common = struct.pack("<BBBBHHI", SIZE, SIZE, 0, 0, 1, 8, len(image))
    directory = struct.pack("<HHH", 0, 1, 1)
    ico_entry_size = 16
    (here / "velnart.ico").write_bytes(
        directory + common + struct.pack("<I", len(directory) + ico_entry_size) + image
    )
    (here / "velnart_icon_image.bin").write_bytes(image)
    (here / "velnart_icon_group.bin").write_bytes(directory + common + struct.pack("<H", ICON_IMAGE_ID))


if __name__ == "__main__":
    main()
