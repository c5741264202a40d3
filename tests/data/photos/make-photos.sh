#!/bin/sh
# Makes every picture of this folder (README.md says what each holds). Needs ImageMagick 6.9.11 and
# exiftool 12.57 (Debian 12: imagemagick, libimage-exiftool-perl), cc with liblcms2-dev and
# libjpeg62-turbo-dev, and python3. The build and the tests never run it.
set -eu
IM=/usr/bin/convert
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -Wall "$here/make-profiles.c" -llcms2 -lm -o "$work/make-profiles"
cc -Wall "$here/make-cmyk.c" -ljpeg -o "$work/make-cmyk"
(cd "$work" && ./make-profiles)

# The upright picture, 32 × 16: red, green over blue, yellow. The colours, the same size: red, green
# over brown, grey.
$IM -size 16x8 xc:'rgb(255,0,0)' xc:'rgb(0,255,0)' +append \
    \( -size 16x8 xc:'rgb(0,0,255)' xc:'rgb(255,255,0)' +append \) -append "$work/quad.png"
$IM -size 16x8 xc:'rgb(255,0,0)' xc:'rgb(0,255,0)' +append \
    \( -size 16x8 xc:'rgb(200,100,50)' xc:'rgb(128,128,128)' +append \) -append "$work/colours.png"

# orient-N.jpg: the upright picture stored as a camera held that way stores it, tagged N.
for n in 1 2 3 4 5 6 7 8; do
  case $n in
    1) turn="";; 2) turn="-flop";; 3) turn="-rotate 180";; 4) turn="-flip";;
    5) turn="-transpose";; 6) turn="-rotate 270";; 7) turn="-transverse";; 8) turn="-rotate 90";;
  esac
  $IM "$work/quad.png" $turn -sampling-factor 1x1 -quality 95 "$here/orient-$n.jpg"
  exiftool -q -overwrite_original -n -Orientation=$n "$here/orient-$n.jpg"
done

# A phone's photo: Display P3, held upright (stored turned, orientation 6), 4:2:0.
$IM "$work/colours.png" -rotate 270 -quality 90 -profile "$work/displayp3.icc" "$here/phone-p3.jpg"
exiftool -q -overwrite_original -n -Orientation=6 -Make=Phone -Model=Test "$here/phone-p3.jpg"
# Adobe RGB, the profile in one segment and split in three.
$IM "$work/colours.png" -sampling-factor 1x1 -quality 95 -profile "$work/adobergb.icc" "$here/adobergb.jpg"
python3 "$here/split-icc.py" "$here/adobergb.jpg" "$here/icc-chunks.jpg"
# Greys 40, 100 over 160, 220 with a linear grey profile.
$IM -size 16x8 xc:'gray(40)' xc:'gray(100)' +append \( -size 16x8 xc:'gray(160)' xc:'gray(220)' +append \) -append \
    -colorspace Gray -type Grayscale -quality 95 -profile "$work/greylinear.icc" "$here/grey.jpg"
# CMYK as Photoshop writes it (Adobe marker, inverted values); YCCK as ImageMagick writes CMYK; YCCK
# with a CMYK profile.
$IM "$work/colours.png" -colorspace CMYK -depth 8 "cmyk:$work/ink.cmyk"
"$work/make-cmyk" 32 16 < "$work/ink.cmyk" > "$here/cmyk.jpg"
$IM "$work/colours.png" -colorspace CMYK -quality 95 "$here/ycck.jpg"
$IM "$work/colours.png" -colorspace CMYK -quality 95 -profile "$work/cmyk.icc" "$here/ycck-icc.jpg"

# Bitmaps: 8-bit RLE8 (ImageMagick's default for a palette bitmap), RLE4 from the 4-bit bitmap, 32-bit
# with alpha (red opaque, green half, blue clear, yellow a quarter), and the same with every alpha 0.
$IM "$work/quad.png" -type Palette -compress RLE BMP3:"$here/rle8.bmp"
$IM "$work/quad.png" -colors 16 -compress None BMP3:"$work/four.bmp"
python3 "$here/make-rle4.py" "$work/four.bmp" "$here/rle4.bmp"
$IM -size 16x8 xc:'rgba(255,0,0,1)' xc:'rgba(0,255,0,0.5)' +append \
    \( -size 16x8 xc:'rgba(0,0,255,0)' xc:'rgba(255,255,0,0.25)' +append \) -append "$work/alpha.png"
$IM "$work/alpha.png" BMP:"$here/alpha.bmp"
python3 - "$here/alpha.bmp" "$here/alpha-zero.bmp" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
offset, = struct.unpack('<I', data[10:14])
for i in range(offset + 3, len(data), 4):
    data[i] = 0
open(sys.argv[2], 'wb').write(data)
PY

# Pictures of other formats, each 8 × 8, to be refused by name.
for f in png gif webp tif heic; do
  $IM -size 8x8 xc:'rgb(255,0,0)' "$here/other.$f"
done
