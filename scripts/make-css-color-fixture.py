#!/usr/bin/python3
"""Writes tests/data/css3_color_keywords.txt, the reference list that the colour
table tests compare against: matplotlib's CSS4 colour table (Debian's
python3-matplotlib) less rebeccapurple, which CSS Color Level 3 does not have.
One line per keyword: name red green blue."""
import os

import matplotlib.colors

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "css3_color_keywords.txt")


def main():
    rows = []
    for name, hex_value in sorted(matplotlib.colors.CSS4_COLORS.items()):
        if name == "rebeccapurple":
            continue
        r, g, b = (int(hex_value[i:i + 2], 16) for i in (1, 3, 5))
        rows.append(f"{name} {r} {g} {b}\n")
    with open(OUT, "w", encoding="ascii") as f:
        f.write("# CSS Color Level 3 keywords from matplotlib.colors.CSS4_COLORS less rebeccapurple\n")
        f.writelines(rows)
    print(f"wrote {len(rows)} keywords to {OUT}")


if __name__ == "__main__":
    main()
