#!/bin/sh
# Draws the six placeholder pictures the preview shows when a row has nothing better:
# one small picture per asset type, into icons/. Needs oiiotool.
set -e
cd "$(dirname "$0")/icons"
bg="--create 64x64 3 --fill:color=0.16,0.17,0.19 64x64"

# A picture: sky, sun and two hills.
oiiotool $bg --fill:color=0.25,0.45,0.75 44x32+10+12 --fill:color=0.95,0.8,0.3 8x8+40+16 \
  --line:color=0.35,0.7,0.35 10,43,22,26,30,36,38,22,53,43 \
  --box:color=0.9,0.9,0.9 10,12,53,43 -d uint8 -o image.tif

# A movie: a film strip with a play mark.
oiiotool $bg --fill:color=0.08,0.08,0.08 48x36+8+14 \
  --fill:color=0.85,0.85,0.85 4x4+11+16 --fill:color=0.85,0.85,0.85 4x4+21+16 \
  --fill:color=0.85,0.85,0.85 4x4+31+16 --fill:color=0.85,0.85,0.85 4x4+41+16 \
  --fill:color=0.85,0.85,0.85 4x4+51+16 --fill:color=0.85,0.85,0.85 4x4+11+44 \
  --fill:color=0.85,0.85,0.85 4x4+21+44 --fill:color=0.85,0.85,0.85 4x4+31+44 \
  --fill:color=0.85,0.85,0.85 4x4+41+44 --fill:color=0.85,0.85,0.85 4x4+51+44 \
  --line:color=0.9,0.35,0.3 27,24,39,32,27,40,27,24 -d uint8 -o video.tif

# A sound: bars of a wave form.
oiiotool $bg --fill:color=0.4,0.8,0.5 3x8+10+28 --fill:color=0.4,0.8,0.5 3x20+16+22 \
  --fill:color=0.4,0.8,0.5 3x32+22+16 --fill:color=0.4,0.8,0.5 3x14+28+25 \
  --fill:color=0.4,0.8,0.5 3x40+34+12 --fill:color=0.4,0.8,0.5 3x24+40+20 \
  --fill:color=0.4,0.8,0.5 3x10+46+27 --fill:color=0.4,0.8,0.5 3x4+52+30 -d uint8 -o audio.tif

# A cache: a stack of disks.
oiiotool $bg --fill:color=0.95,0.6,0.2 36x8+14+14 --fill:color=0.95,0.6,0.2 36x8+14+26 \
  --fill:color=0.95,0.6,0.2 36x8+14+38 --box:color=0.5,0.3,0.1 14,14,49,45 -d uint8 -o extermalcache.tif

# A 3D reference: a wire cube.
oiiotool $bg --line:color=0.75,0.6,0.95 14,24,38,24,38,50,14,50,14,24 \
  --line:color=0.75,0.6,0.95 24,14,48,14,48,40,38,50 \
  --line:color=0.75,0.6,0.95 14,24,24,14 --line:color=0.75,0.6,0.95 38,24,48,14 -d uint8 -o referenced3d.tif

# Anything else: a page with a folded corner and lines of text.
oiiotool $bg --fill:color=0.9,0.9,0.9 30x42+17+11 --fill:color=0.16,0.17,0.19 8x8+39+11 \
  --line:color=0.6,0.6,0.6 39,11,39,19,47,19 --line:color=0.5,0.5,0.5 21,26,42,26 \
  --line:color=0.5,0.5,0.5 21,32,42,32 --line:color=0.5,0.5,0.5 21,38,36,38 -d uint8 -o Other.tif
