#!/usr/bin/env bash
# Regenerates the programs' icons from shapes and NanumGothic (ImageMagick).
# Output is committed; run again after changing a colour or a letter.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
teal='rgb(0,169,157)'
font=$(fc-match -f '%{file}' 'NanumGothic:bold')
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# make_icon OUT LETTER BACKGROUND: a rounded square with one letter, in the
# sizes Windows asks for.
make_icon() {
  local out=$1 letter=$2 bg=$3 sizes=() s
  for s in 16 24 32 48 256; do
    local r=$((s / 5)) pt=$((s * 62 / 100))
    convert -size ${s}x${s} xc:none -fill "$bg" -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $r,$r" \
      -font "$font" -pointsize $pt -fill white -gravity center -annotate +0+0 "$letter" \
      PNG32:"$tmp/$s.png"
    sizes+=("$tmp/$s.png")
  done
  convert "${sizes[@]}" "$out"
}

make_icon "$root/watchdog/res/tarvo_network.ico" "N" 'rgb(60,72,88)'
make_icon "$root/client/res/tarvo.ico" "T" "$teal"
