#!/bin/sh
# Draws the sixteen tab pictures (tab_NAME_on.gif, tab_NAME_off.gif) with
# ImageMagick. The pictures are committed; run this only to redraw them.
set -eu
cd "$(dirname "$0")"
for name in console sys stats function options clients cvars editor; do
  for state in on off; do
    if [ "$state" = on ]; then
      top='#e0922e'; bottom='#8a4810'; edge='#ffd080'; ink='#ffffff'; font=DejaVu-Sans-Bold
    else
      top='#5a5e66'; bottom='#2c2f35'; edge='#90949c'; ink='#c8ccd2'; font=DejaVu-Sans
    fi
    convert -size 96x24 gradient:"$top-$bottom" \
      \( -size 96x24 xc:black -fill white -draw "polygon 0,23 10,1 85,1 95,23" \) \
      -alpha off -compose copy_opacity -composite -compose over \
      -fill none -stroke "$edge" -strokewidth 1 -draw "polyline 0,23 10,1 85,1 95,23" \
      -stroke none -fill "$ink" -font "$font" -pointsize 11 -gravity center -annotate +0+1 "$name" \
      "tab_${name}_${state}.gif"
  done
done
