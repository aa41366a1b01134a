#!/usr/bin/env bash
# Starts Cardo.exe under Xvfb in a fresh folder, waits for its window and saves a screenshot.
# Usage: tools/screenshot.sh OUT.png [seconds] [-- Cardo arguments]
# CARDO_DPI=144 shows it at that display DPI (the prefix's LogPixels; 96 when unset);
# CARDO_DISPLAY picks the Xvfb display (:97).
set -euo pipefail
out=${1:?output png}
wait_s=${2:-6}
shift $(( $# >= 2 ? 2 : 1 ))
[[ "${1:-}" == "--" ]] && shift

root=$(cd "$(dirname "$0")/.." && pwd)
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
dpi=${CARDO_DPI:-96}
cardo_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
cardo_screen "${CARDO_DISPLAY:-:97}" "$((1024 * dpi / 96))x$((768 * dpi / 96))"

work=$(mktemp -d)
cp "$CARDO_WIN_BUILD/app/Cardo.exe" "$CARDO_WIN_BUILD/app/THELP.TXT" "$CARDO_WIN_BUILD/app/CARDHELP.html" \
  "$CARDO_WIN_BUILD/fnc/CARDOFNC.DLL" "$work/"
(cd "$work" && cardo_wine Cardo.exe "$@" >/dev/null 2>&1 &)
sleep "$wait_s"
import -window root "$out"
echo "$out (program folder $work)"
