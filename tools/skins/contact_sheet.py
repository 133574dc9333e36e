#!/usr/bin/env python3
"""Draws every rendered skin into one contact sheet PNG, so a person can check the whole set at a
glance: each skin enlarged, on the background it is made for, with its frame boundaries (magenta)
and its split lines (cyan), labelled with its name, frame size and frame count.

    contact_sheet.py TABLE SKIN_DIR OUTPUT [WORK_DIR]

TABLE is tests/art/skin_table.h (the list of skins the tests check), SKIN_DIR the folder of
rendered PNGs. Uses ImageMagick's convert and montage.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROW = re.compile(r'\{\s*L"(\w+)",\s*(\d+),\s*(\d+),\s*(\d+),\s*Tile::(\w+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*"([^"]*)"\s*\}')

# Skins drawn for the slate window colour are shown on it; the rest on a light checkerboard
# that makes transparent pixels visible.
DARK_PREFIXES = ("nc_", "tab_", "link_")
SLATE = "#40464E"
CELL_W = 640
COLUMNS = 4
FONTS = ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
         "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf")


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = ROW.search(line)
            if m:
                name, fw, fh, n, tile, x1, y1, x2, y2, used = m.groups()
                rows.append(dict(name=name, fw=int(fw), fh=int(fh), n=int(n), tile=tile,
                                 split=(int(x1), int(y1), int(x2), int(y2)), used=used))
    if not rows:
        sys.exit(f"no skin rows found in {path}")
    return rows


def tool(name):
    path = shutil.which(name)
    if not path:
        sys.exit(f"{name} (ImageMagick) not found")
    return path


def tile_for(row, png, out, convert):
    w, h = row["fw"] * row["n"], row["fh"]
    scale = 3 if w * 3 <= 420 and h * 3 <= 240 else (2 if w * 2 <= 640 else 1)
    sw, sh = w * scale, h * scale
    if row["name"].startswith(DARK_PREFIXES):
        back = ["-size", f"{sw}x{sh}", f"xc:{SLATE}"]
    else:
        back = ["-size", f"{sw}x{sh}", "pattern:checkerboard", "-fill", "white", "-colorize", "70%"]
    draw = []
    for i in range(1, row["n"]):
        x = i * row["fw"] * scale
        draw.append(f"line {x},0 {x},{sh - 1}")
    split_draw = []
    x1, y1, x2, y2 = row["split"]
    for i in range(row["n"]):
        ox = i * row["fw"] * scale
        if row["tile"] in ("Horz", "Both"):
            for x in (x1, x2):
                split_draw.append(f"line {ox + x * scale},0 {ox + x * scale},{sh - 1}")
        if row["tile"] in ("Vert", "Both"):
            for y in (y1, y2):
                split_draw.append(f"line {ox},{y * scale} {ox + row['fw'] * scale - 1},{y * scale}")
    cmd = [convert, *back, "(", png, "-sample", f"{scale * 100}%", ")", "-composite"]
    if split_draw:
        cmd += ["-fill", "none", "-stroke", "#00C8E0", "-strokewidth", "1", "-draw", " ".join(split_draw)]
    if draw:
        cmd += ["-fill", "none", "-stroke", "#FF00FF", "-strokewidth", "1", "-draw", " ".join(draw)]
    cmd += ["-bordercolor", "#FF00FF", "-border", "1", out]
    subprocess.run(cmd, check=True)


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    table, skin_dir, output = argv[1:4]
    work = argv[4] if len(argv) > 4 else tempfile.mkdtemp(prefix="contact_sheet_")
    os.makedirs(work, exist_ok=True)
    convert = tool("convert")
    font = next((f for f in FONTS if os.path.exists(f)), None)
    text = (["-font", font] if font else []) + ["-pointsize", "12", "-fill", "#333333"]
    rows = read_table(table)
    cells = []
    for row in rows:
        png = os.path.join(skin_dir, row["name"] + ".png")
        if not os.path.exists(png):
            sys.exit(f"missing rendered skin {png}")
        tile = os.path.join(work, row["name"] + ".tile.png")
        tile_for(row, png, tile, convert)
        cell = os.path.join(work, row["name"] + ".cell.png")
        label = f"{row['name']}  {row['fw']}x{row['fh']} x {row['n']}\n{row['used'][:60]}"
        # Fixed-width cells: the skin at the top, its label below, so the columns line up.
        subprocess.run([convert, tile, "-background", "white", "-gravity", "north", "-extent", f"{CELL_W}x",
                        "-gravity", "south", "-splice", "0x34", *text, "-annotate", "+0+3", label, cell], check=True)
        cells.append(cell)
    lines = []
    for i in range(0, len(cells), COLUMNS):
        line = os.path.join(work, f"line{i // COLUMNS:02d}.png")
        subprocess.run([convert, *cells[i:i + COLUMNS], "-background", "white", "-gravity", "north",
                        "-splice", "0x14", "+append", line], check=True)
        lines.append(line)
    title = f"Skins: {len(rows)} resources (frames split by magenta lines, repeated bands between cyan lines)"
    subprocess.run([convert, *lines, "-background", "white", "-gravity", "northwest", "-append",
                    "-splice", "0x30", *text, "-pointsize", "16", "-annotate", "+12+6", title,
                    "-bordercolor", "white", "-border", "10", "+repage", output], check=True)


if __name__ == "__main__":
    main(sys.argv)
