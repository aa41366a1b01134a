#!/usr/bin/env bash
# Starts the built Cardo.exe under Wine on the user's display. The program folder
# (build/program) keeps its settings file between runs, as an installed copy would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
program="$root/build/program"
mkdir -p "$program"
cp "$CARDO_WIN_BUILD/app/Cardo.exe" "$CARDO_WIN_BUILD/app/THELP.TXT" "$CARDO_WIN_BUILD/app/CARDHELP.html" \
  "$CARDO_WIN_BUILD/fnc/CARDOFNC.DLL" "$program/"
cp -r "$CARDO_WIN_BUILD/app/guide" "$program/" 2>/dev/null || true
cd "$program"
cardo_wine Cardo.exe "$@"
