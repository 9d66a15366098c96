#!/usr/bin/env python3
"""Writes the greyed (disabled) twin of every button picture.

For each resources/navbar/*.svg and resources/browser/*.svg that is not itself a
*_disabled.svg, writes <name>_disabled.svg: the same drawing with every colour
replaced by a lighter, desaturated grey (grey = 100 + 0.55 * luma), so a disabled
button keeps its shape but reads as faded. Run again after changing a picture.
"""
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent


def grey(match):
    h = match.group(1)
    if len(h) == 3:
        h = "".join(c * 2 for c in h)
    r, g, b = (int(h[i:i + 2], 16) for i in (0, 2, 4))
    luma = 0.299 * r + 0.587 * g + 0.114 * b
    v = round(100 + 0.55 * luma)
    return "#%02x%02x%02x" % (v, v, v)


def main():
    for folder in ("resources/navbar", "resources/browser"):
        for src in sorted((ROOT / folder).glob("*.svg")):
            if src.stem.endswith("_disabled"):
                continue
            text = src.read_text()
            text = re.sub(r"#([0-9a-fA-F]{6}|[0-9a-fA-F]{3})\b", grey, text)
            text = re.sub(r"<!-- (.*?) -->", r"<!-- \1 (disabled, greyed) -->", text, count=1)
            dst = src.with_name(src.stem + "_disabled.svg")
            dst.write_text(text)
            print(dst.relative_to(ROOT))


if __name__ == "__main__":
    main()
