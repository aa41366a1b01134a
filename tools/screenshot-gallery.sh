#!/usr/bin/env bash
# A screenshot of the custom-control gallery under Xvfb: tools/screenshot-gallery.sh OUT.png
set -euo pipefail
out=${1:?output png}
root=$(cd "$(dirname "$0")/.." && pwd)
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
display=:94
Xvfb $display -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
(cd "$root/build/win32/tests" && wine controls_gallery.exe >/dev/null 2>&1 &)
sleep 6
import -window root "$out"
echo "$out"
