#!/usr/bin/env python3
"""Draws the program's pictures into app/resources:

  morva_reporter.svg            the icon, scalable
  morva_reporter_<N>.png        the icon at 16, 32, 48, 64, 128 and 256 pixels
  about.png                     the About picture, 400 x 300
  *.xpm                         the same pictures for toolkits without PNG support

The drawings are written as SVG here and rasterised with rsvg-convert
(Debian package librsvg2-bin); the XPM files are made from the PNGs. Run it
once after changing a drawing and commit the results: the build uses the
committed files and needs neither this script nor the converter.

    python3 scripts/draw-pictures.py
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "app", "resources")
ICON_SIZES = (16, 32, 48, 64, 128, 256)

# Palette
CASE = "#34495e"        # the unit's housing
CASE_EDGE = "#22303d"
DISPLAY = "#1e3b2a"     # its display
TRACE = "#5dff8f"       # the curve on the display
KEY_RED = "#e74c3c"
KEY_AMBER = "#f5b041"
PAPER = "#ffffff"
PAPER_EDGE = "#7f8c8d"
FOLD = "#d5dbdb"
TEXT_LINE = "#95a5a6"
HEAD_LINE = "#2e86c1"
ARROW = "#2e86c1"


def unit(x, y, w, h, detail):
    """The measuring unit: housing, display with a curve, keys, cable socket."""
    r = w * 0.09
    s = max(w / 64.0, 0.5)
    parts = [
        f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" fill="{CASE}" '
        f'stroke="{CASE_EDGE}" stroke-width="{2 * s}"/>',
    ]
    dx, dy, dw, dh = x + w * 0.12, y + h * 0.12, w * 0.76, h * 0.46
    parts.append(f'<rect x="{dx}" y="{dy}" width="{dw}" height="{dh}" rx="{r * 0.4}" fill="{DISPLAY}"/>')
    # a measured curve: a rise, a peak and a decay, as on the unit's display
    pts = [(0.00, 0.75), (0.18, 0.70), (0.30, 0.35), (0.42, 0.20), (0.55, 0.50),
           (0.70, 0.45), (0.85, 0.62), (1.00, 0.58)]
    path = " ".join(
        f'{"M" if i == 0 else "L"}{dx + dw * (0.08 + 0.84 * px):.2f},{dy + dh * (0.1 + 0.8 * py):.2f}'
        for i, (px, py) in enumerate(pts))
    parts.append(f'<path d="{path}" fill="none" stroke="{TRACE}" stroke-width="{max(3 * s, 1.2)}" '
                 'stroke-linejoin="round" stroke-linecap="round"/>')
    ky = y + h * 0.72
    kr = w * 0.075
    if detail:
        for i, colour in enumerate((KEY_RED, KEY_AMBER, "#bdc3c7")):
            kx = x + w * (0.24 + 0.2 * i)
            parts.append(f'<circle cx="{kx}" cy="{ky + kr}" r="{kr}" fill="{colour}"/>')
        parts.append(f'<rect x="{x + w * 0.78}" y="{ky}" width="{w * 0.1}" height="{kr * 2}" '
                     f'rx="{kr * 0.3}" fill="#1b2631"/>')
    else:
        parts.append(f'<circle cx="{x + w * 0.3}" cy="{ky + kr}" r="{kr * 1.2}" fill="{KEY_RED}"/>')
        parts.append(f'<circle cx="{x + w * 0.6}" cy="{ky + kr}" r="{kr * 1.2}" fill="{KEY_AMBER}"/>')
    return "\n".join(parts)


def report(x, y, w, h, detail):
    """A report sheet with a folded corner, a heading and lines of a table."""
    f = w * 0.28
    s = max(w / 48.0, 0.5)
    parts = [
        f'<path d="M{x},{y} L{x + w - f},{y} L{x + w},{y + f} L{x + w},{y + h} L{x},{y + h} Z" '
        f'fill="{PAPER}" stroke="{PAPER_EDGE}" stroke-width="{1.5 * s}" stroke-linejoin="round"/>',
        f'<path d="M{x + w - f},{y} L{x + w - f},{y + f} L{x + w},{y + f} Z" fill="{FOLD}" '
        f'stroke="{PAPER_EDGE}" stroke-width="{1.5 * s}" stroke-linejoin="round"/>',
    ]
    lx, lw = x + w * 0.14, w * 0.72
    parts.append(f'<rect x="{lx}" y="{y + h * 0.2}" width="{lw * 0.6}" height="{max(h * 0.07, 1)}" '
                 f'fill="{HEAD_LINE}"/>')
    rows = 5 if detail else 3
    for i in range(rows):
        ly = y + h * (0.38 + i * (0.5 / rows))
        if detail:
            # table rows: three cells separated like the unit's tab-separated records
            for c, cw in ((0.0, 0.28), (0.34, 0.3), (0.7, 0.3)):
                parts.append(f'<rect x="{lx + lw * c}" y="{ly}" width="{lw * cw}" height="{h * 0.045}" '
                             f'fill="{TEXT_LINE}"/>')
        else:
            parts.append(f'<rect x="{lx}" y="{ly}" width="{lw}" height="{max(h * 0.08, 1)}" '
                         f'fill="{TEXT_LINE}"/>')
    return "\n".join(parts)


def icon_svg(detail):
    """The icon on a 64 x 64 canvas: the unit, behind it to the lower right the report."""
    body = [unit(3, 6, 40, 44, detail), report(30, 22, 30, 38, detail)]
    if detail:
        # the download: an arrow from the unit into the report
        body.append(f'<path d="M24,54 Q24,61 31,60" fill="none" stroke="{ARROW}" stroke-width="2.2" '
                    'stroke-linecap="round"/>')
        body.append(f'<path d="M29,56.5 L33,60 L28.5,62.5 Z" fill="{ARROW}"/>')
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
            "<title>MORVA_Reporter</title>\n" + "\n".join(body) + "\n</svg>\n")


def about_svg():
    """The About picture: name, a unit connected by a cable to a report."""
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="400" height="300" viewBox="0 0 400 300">
<defs>
  <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#eaf2f8"/>
    <stop offset="1" stop-color="#d4e6f1"/>
  </linearGradient>
</defs>
<rect width="400" height="300" fill="url(#sky)"/>
<rect x="0" y="0" width="400" height="64" fill="{CASE}"/>
<text x="200" y="42" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold"
      font-size="30" fill="#ffffff">MORVA_Reporter</text>
<g>
{unit(40, 96, 130, 130, True)}
</g>
<path d="M165,200 C205,200 200,160 240,160" fill="none" stroke="#1b2631" stroke-width="5"
      stroke-linecap="round"/>
<path d="M190,140 L222,140" stroke="{ARROW}" stroke-width="6" stroke-linecap="round"/>
<path d="M218,128 L236,140 L218,152 Z" fill="{ARROW}"/>
<g>
{report(246, 88, 110, 146, True)}
</g>
<text x="200" y="264" text-anchor="middle" font-family="DejaVu Sans" font-size="14"
      fill="#1b2631">Unit memory to RTF, HTML, TXT and CSV reports</text>
<text x="200" y="286" text-anchor="middle" font-family="DejaVu Sans" font-size="11"
      fill="#566573">MORVA Software</text>
</svg>
"""


def rasterise(svg_text, png_path, width, height):
    with tempfile.NamedTemporaryFile("w", suffix=".svg", delete=False) as f:
        f.write(svg_text)
        name = f.name
    try:
        subprocess.run(["rsvg-convert", "--width", str(width), "--height", str(height),
                        "--output", png_path, name], check=True)
    finally:
        os.unlink(name)


def read_png(path):
    """8-bit RGB or RGBA, not interlaced (what rsvg-convert writes): (w, h, rows of RGBA)."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, w, h, ctype = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", chunk)
            assert depth == 8 and ctype in (2, 6) and interlace == 0, path
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        rows.append([tuple(line[x * bpp:x * bpp + 3]) + ((line[x * bpp + 3],) if bpp == 4 else (255,))
                     for x in range(w)])
    return w, h, rows


XPM_CHARS = "".join(chr(c) for c in range(35, 127) if chr(c) not in '"\\')


def write_xpm(png_path, xpm_path, var):
    """XPM as C source; alpha below one half becomes transparent. Colours are
    reduced until two characters per pixel suffice."""
    w, h, rows = read_png(png_path)
    shift = 0
    while True:
        def key(p):
            if p[3] < 128:
                return None
            return tuple(min(255, ((v >> shift) << shift) + ((1 << shift) >> 1)) for v in p[:3])
        colours = sorted({key(p) for row in rows for p in row if key(p) is not None})
        limit = len(XPM_CHARS) ** 2 - 1
        if len(colours) <= limit:
            break
        shift += 1
    cpp = 1 if len(colours) < len(XPM_CHARS) else 2

    def code(i):
        return XPM_CHARS[i] if cpp == 1 else XPM_CHARS[i // len(XPM_CHARS)] + XPM_CHARS[i % len(XPM_CHARS)]

    none = " " * cpp
    index = {c: code(i + 1 if cpp == 2 else i) for i, c in enumerate(colours)}
    if cpp == 1 and " " in index.values():
        raise SystemExit("XPM colour code clash")
    out = [f"/* XPM */\nstatic const char* const {var}[] = {{",
           f'"{w} {h} {len(colours) + 1} {cpp}",',
           f'"{none} c None",']
    out += [f'"{index[c]} c #{c[0]:02X}{c[1]:02X}{c[2]:02X}",' for c in colours]
    for y, row in enumerate(rows):
        line = "".join(none if key(p) is None else index[key(p)] for p in row)
        out.append(f'"{line}"' + ("," if y < h - 1 else ""))
    out.append("};\n")
    with open(xpm_path, "w", encoding="ascii") as f:
        f.write("\n".join(out))


def main():
    os.makedirs(OUT, exist_ok=True)
    scalable = icon_svg(detail=True)
    with open(os.path.join(OUT, "morva_reporter.svg"), "w", encoding="utf-8") as f:
        f.write(scalable)
    for size in ICON_SIZES:
        png = os.path.join(OUT, f"morva_reporter_{size}.png")
        # the small sizes leave out what would only be noise
        rasterise(scalable if size >= 48 else icon_svg(detail=False), png, size, size)
        write_xpm(png, os.path.join(OUT, f"morva_reporter_{size}.xpm"), f"morva_reporter_{size}_xpm")
    about = os.path.join(OUT, "about.png")
    rasterise(about_svg(), about, 400, 300)
    write_xpm(about, os.path.join(OUT, "about.xpm"), "about_xpm")
    print("pictures written to", os.path.relpath(OUT, ROOT))


if __name__ == "__main__":
    sys.exit(main())
