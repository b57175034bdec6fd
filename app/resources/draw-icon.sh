#!/usr/bin/env bash
# Draws the window icon: a position fix (white ring, red centre) on a navy
# tile, each size drawn at its own scale so lines stay crisp at 16 px.
# Needs ImageMagick; the PNGs and the .ico it writes are kept in the repo.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    s=$size
    r=$(( s / 8 ))                      # tile corner radius
    c=$(( s / 2 ))                      # centre
    ring=$(( s * 5 / 16 ))              # ring radius
    stroke=$(( s / 10 > 1 ? s / 10 : 2 ))
    dot=$(( s / 8 > 1 ? s / 8 : 2 ))
    tick=$(( s * 7 / 16 ))
    convert -size ${s}x${s} xc:none \
        -fill '#1d3557' -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $r,$r" \
        -stroke white -strokewidth $stroke -fill none \
        -draw "circle $c,$c $c,$((c - ring))" \
        -draw "line $c,$((c - tick)) $c,$((c - ring + stroke))" \
        -draw "line $c,$((c + ring - stroke)) $c,$((c + tick))" \
        -draw "line $((c - tick)),$c $((c - ring + stroke)),$c" \
        -draw "line $((c + ring - stroke)),$c $((c + tick)),$c" \
        -stroke none -fill '#e63946' -draw "circle $c,$c $c,$((c - dot))" \
        -colors 255 PNG8:icon-$s.png
done
cp icon-256.png icon.png
convert icon-16.png icon-24.png icon-32.png icon-48.png icon-256.png quilvex.ico
