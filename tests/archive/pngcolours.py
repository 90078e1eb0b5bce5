#!/usr/bin/env python3
"""Counts the pixels of a PNG image that have each of the colours asked for.

    pngcolours.py IMAGE.png #rrggbb...

Prints the image's width and height on the first line, then one line per
colour: the colour and how many pixels have it exactly. Reads 8-bit RGB and
RGBA images without interlacing, as a browser's screenshot is, with the
decoder of scripts/draw-pictures.py (the standard library's zlib only).
"""
import collections
import importlib.util
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_png(path):
    spec = importlib.util.spec_from_file_location("draw_pictures",
                                                  os.path.join(ROOT, "scripts", "draw-pictures.py"))
    pictures = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(pictures)
    return pictures.read_png(path)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    width, height, rows = read_png(sys.argv[1])
    counts = collections.Counter("#%02x%02x%02x" % pixel[:3] for row in rows for pixel in row)
    print(width, height)
    for colour in sys.argv[2:]:
        print(colour, counts[colour.lower()])


main()
