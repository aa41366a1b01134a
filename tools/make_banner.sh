#!/usr/bin/env bash
# Draws the version window's banner (bitmap 151), the library's picture (152) and the
# preferences' banner (153) into app/resources/ with ImageMagick and the IPA fonts, each at
# 100 %, 150 % and 200 % (name.bmp, name_150.bmp, name_200.bmp): the text is drawn at each size,
# so no scale shows it stretched. The bitmaps are committed; run this only to change them.
set -euo pipefail
out=$(cd "$(dirname "$0")/../app/resources" && pwd)

# draw SCALE SUFFIX: every length below is at 100 % and multiplied by SCALE.
draw() {
  local s=$1 suffix=$2
  px() { awk -v v="$1" -v s="$s" 'BEGIN { printf "%d", v * s + 0.5 }'; }
  convert -size "$(px 300)x$(px 64)" gradient:'#1e4979'-'#4a7fb5' \
    -font IPAPGothic -fill white -pointsize "$(px 34)" -annotate "+$(px 14)+$(px 44)" 'Cardo' \
    -pointsize "$(px 14)" -annotate "+$(px 128)+$(px 30)" 'URL リスト作成ツール' \
    -fill '#d8e4f0' -pointsize "$(px 11)" -annotate "+$(px 128)+$(px 48)" 'for ReGet / Iria' \
    -type TrueColor BMP3:"$out/banner$suffix.bmp"
  convert -size "$(px 32)x$(px 32)" xc:'#f0f0f0' -fill '#1e4979' \
    -draw "roundrectangle $(px 2),$(px 4) $(px 29),$(px 27) $(px 4),$(px 4)" \
    -font IPAGothic -fill white -pointsize "$(px 11)" -annotate "+$(px 5)+$(px 20)" 'DLL' \
    -type TrueColor BMP3:"$out/library$suffix.bmp"
  # One flat colour, so that the picture box can be wider than the bitmap and filled with the
  # colour of its corner.
  convert -size "$(px 360)x$(px 40)" xc:'#1e4979' \
    -font IPAPGothic -fill white -pointsize "$(px 22)" -annotate "+$(px 12)+$(px 28)" 'Cardo' \
    -pointsize "$(px 14)" -annotate "+$(px 92)+$(px 27)" '設定' \
    -fill '#d8e4f0' -pointsize "$(px 11)" -annotate "+$(px 136)+$(px 27)" \
    'ダウンロードマネージャ・抜き出し・リスト生成' \
    -type TrueColor BMP3:"$out/sbanner$suffix.bmp"
}

draw 1 ""
draw 1.5 _150
draw 2 _200
