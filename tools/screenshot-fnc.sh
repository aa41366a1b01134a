#!/usr/bin/env bash
# Screenshots of CARDOFNC.DLL's windows under Xvfb: tools/screenshot-fnc.sh version|progress OUT.png
set -euo pipefail
mode=${1:?version or progress}
out=${2:?output png}
root=$(cd "$(dirname "$0")/.." && pwd)
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
display=:95
Xvfb $display -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
work=$(mktemp -d)
cp "$root/build/win32/fnc/CARDOFNC.DLL" "$root/build/win32/tests/fnc_showcase.exe" "$work/"
(cd "$work" && wine fnc_showcase.exe "$mode" >/dev/null 2>&1 &)
sleep 6
import -window root "$out"
echo "$out"
