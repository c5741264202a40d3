#!/bin/sh
# The sample kitchen's pictures, made once with ImageMagick 6.9.11 and Inkscape 1.2.2 (Debian 12)
# and committed; the build copies them into share/vektara/samples/, as the package installs them. Run from this folder.
set -e
convert -size 320x240 gradient:'#6b4a2b'-'#3e2a18' \
  -fill '#f4f1ea' -stroke '#c9c3b6' -strokewidth 3 -draw 'ellipse 160,128 128,92 0,360' \
  -fill '#ffffff' -stroke '#e0dbd0' -strokewidth 2 -draw 'ellipse 160,128 98,68 0,360' \
  -fill '#3f7d3a' -stroke none -draw 'ellipse 130,150 46,16 0,360' \
  -fill '#e9d9a6' -stroke '#caa760' -strokewidth 1 -draw 'ellipse 160,132 58,22 0,360' \
  -fill '#d98a4e' -stroke '#b06a34' -strokewidth 2 \
  -draw 'path "M 110,118 Q 160,92 212,116 L 232,100 L 230,140 L 212,128 Q 160,150 110,130 Z"' \
  -fill '#ffffff' -stroke none -draw 'circle 122,120 125,120' \
  -fill '#f6f0d8' -draw 'ellipse 175,160 22,6 0,360' \
  -fill '#ffffff' -font DejaVu-Sans -pointsize 14 -draw "text 10,228 'Daurade poelee'" \
  -quality 85 daurade.jpg
convert -size 320x240 xc:'#f3ead8' \
  -fill '#7a5230' -stroke none -draw 'rectangle 0,190 320,240' \
  -fill '#c98a3c' -stroke '#9b6424' -strokewidth 3 -draw 'circle 160,120 160,28' \
  -fill '#e8c46a' -stroke '#c99a3c' -strokewidth 1 -draw 'circle 160,120 160,40' \
  -fill '#f2d98a' -stroke '#c9a04a' -draw 'path "M 160,120 L 160,42 A 78,78 0 0,1 215,65 Z"' \
  -draw 'path "M 160,120 L 238,120 A 78,78 0 0,1 215,175 Z"' \
  -draw 'path "M 160,120 L 160,198 A 78,78 0 0,1 105,175 Z"' \
  -draw 'path "M 160,120 L 82,120 A 78,78 0 0,1 105,65 Z"' \
  -fill '#f3ead8' -stroke none -font DejaVu-Sans -pointsize 14 -draw "text 10,228 'Tarte aux pommes'" \
  -quality 85 tarte.jpg
inkscape menu.svg --export-type=emf --export-filename=menu.emf
