#!/bin/sh
# Renders the placeholder pictures (Wave, Midi, Avi) to the 160 x 120, 24-bit,
# uncompressed BMP files in data/. ImageMagick's own SVG reader mishandles open
# stroked paths and rotations, so librsvg (rsvg-convert, Debian package
# librsvg2-bin) draws the picture on white and ImageMagick only writes the BMP;
# BMP3 keeps the classic BITMAPINFOHEADER that every reader takes.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out=$here/../../data
mkdir -p "$out"
for name in Wave Midi Avi; do
    rsvg-convert -w 160 -h 120 -b white "$here/$name.svg" |
        convert png:- -background white -alpha remove -type TrueColor BMP3:"$out/$name.bmp"
    identify "$out/$name.bmp"
done
