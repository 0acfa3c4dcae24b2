#!/usr/bin/env bash
# Makes the demo scene's asset files with the tools of the libraries bx3 reads them with
# (oiiotool, ffmpeg). The files are committed; run this only to make them again.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p tex tex/seq media cache models lights refs
quiet=(-v error -y -nostdin)

# Pictures: a wood JPEG, a marble EXR (half float, with alpha), a 16-bit TIFF with 300 dpi.
oiiotool --pattern fill:topleft=0.55,0.35,0.2:topright=0.7,0.45,0.25:bottomleft=0.4,0.25,0.12:bottomright=0.6,0.4,0.2 256x256 3 \
  --pattern noise:type=gaussian:mean=0:stddev=0.05 256x256 3 --add -d uint8 -o tex/wood.jpg
oiiotool --pattern noise:type=uniform:min=0.6:max=0.95 128x128 4 --chnames R,G,B,A -d half -o tex/marble.exr
oiiotool --pattern fill:top=0.1,0.1,0.1:bottom=0.9,0.9,0.9 64x64 3 -d uint16 \
  --attrib XResolution 300 --attrib YResolution 300 --attrib ResolutionUnit in -o tex/height16.tif

# An image sequence of 24 frames, frames 1 to 24.
for frame in $(seq 1 24); do
  value=$(awk "BEGIN { printf \"%.3f\", $frame / 24 }")
  oiiotool --pattern constant:color=$value,0.3,0.6 32x32 3 -d uint8 -o "tex/seq/flame_$(printf '%04d' "$frame").png"
done

# A two-second movie and a one-second sound.
ffmpeg "${quiet[@]}" -f lavfi -i testsrc=size=160x90:rate=25 -t 2 -c:v mpeg4 -q:v 8 -pix_fmt yuv420p media/intro.mov
ffmpeg "${quiet[@]}" -f lavfi -i sine=frequency=440:sample_rate=22050 -t 1 -c:a pcm_s16le media/hum.wav

# An external illumination cache (opaque data), an OBJ cube and a light profile.
head -c 2048 /dev/urandom > cache/scene.gi2
cat > models/crate.obj <<'OBJ'
# A unit cube.
v -0.5 -0.5 -0.5
v 0.5 -0.5 -0.5
v 0.5 0.5 -0.5
v -0.5 0.5 -0.5
v -0.5 -0.5 0.5
v 0.5 -0.5 0.5
v 0.5 0.5 0.5
v -0.5 0.5 0.5
f 1 2 3 4
f 5 8 7 6
f 1 5 6 2
f 2 6 7 3
f 3 7 8 4
f 5 1 4 8
OBJ
cat > lights/spot.ies <<'IES'
IESNA:LM-63-2002
[TEST] Demo measurement
[TESTLAB] Demo photometry lab
[MANUFAC] Demo Lighting Works
[LUMCAT] SPOT-40
[LUMINAIRE] Oval spot, 40 degree beam
[LAMP] LED 40 W
TILT=NONE
1 2400 1 19 3 1 2 0.1 0.1 0.0
1.0 1.0 40
0 5 10 15 20 25 30 35 40 45 50 55 60 65 70 75 80 85 90
0 90 180
1860 1821 1710 1540 1330 1103 878 673 497 355 246 166 110 72 46 29 18 3 2
1860 1769 1523 1189 844 549 332 192 112 70 49 38 31 26 21 16 10 0 0
1860 1742 1561 1340 1102 870 659 480 337 229 152 98 62 39 25 15 9 2 1
IES

# A referenced scene that carries a stored preview picture.
oiiotool --pattern checker:width=16:height=16:color1=0.8,0.5,0.2:color2=0.2,0.2,0.25 96x64 3 -d uint8 -o refs/preview.png
python3 - <<'PY'
import base64, json
png = base64.b64encode(open("refs/preview.png", "rb").read()).decode()
scene = {"format": "bx3-scene", "version": 1, "document": {"name": "Prop"},
         "objects": [{"id": 1, "type": "object.null", "name": "Prop"}], "preview": {"png": png}}
open("refs/prop.bx3", "w").write(json.dumps(scene, indent=2) + "\n")
PY
rm refs/preview.png
