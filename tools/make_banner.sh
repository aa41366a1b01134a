#!/usr/bin/env bash
# Draws the version window's banner (bitmap 151) and the library's picture into app/resources/
# with ImageMagick and the IPA fonts. The bitmaps are committed; run this only to change them.
set -euo pipefail
out=$(cd "$(dirname "$0")/../app/resources" && pwd)
convert -size 300x64 gradient:'#1e4979'-'#4a7fb5' \
  -font IPAPGothic -fill white -pointsize 34 -annotate +14+44 'Cardo' \
  -pointsize 14 -annotate +128+30 'URL リスト作成ツール' \
  -fill '#d8e4f0' -pointsize 11 -annotate +128+48 'for ReGet / Iria' \
  -type TrueColor BMP3:"$out/banner.bmp"
convert -size 32x32 xc:'#f0f0f0' -fill '#1e4979' -draw 'roundrectangle 2,4 29,27 4,4' \
  -font IPAGothic -fill white -pointsize 11 -annotate +5+20 'DLL' \
  -type TrueColor BMP3:"$out/library.bmp"
# The preferences' banner (bitmap 153): one flat colour, so that the picture box can be wider
# than the bitmap and filled with the colour of its corner.
convert -size 360x40 xc:'#1e4979' \
  -font IPAPGothic -fill white -pointsize 22 -annotate +12+28 'Cardo' \
  -pointsize 14 -annotate +92+27 '設定' \
  -fill '#d8e4f0' -pointsize 11 -annotate +136+27 'ダウンロードマネージャ・抜き出し・リスト生成' \
  -type TrueColor BMP3:"$out/sbanner.bmp"
