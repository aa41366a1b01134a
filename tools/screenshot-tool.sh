#!/usr/bin/env bash
# Screenshots of the windows that live outside Cardo.exe, under Xvfb:
#   tools/screenshot-tool.sh version|progress OUT.png   CARDOFNC.DLL's dialogs
#   tools/screenshot-tool.sh gallery OUT.png            every custom control
#   tools/screenshot-tool.sh topic:KEY OUT.png          the topic viewer on one topic
set -euo pipefail
mode=${1:?version, progress, gallery or topic:KEY}
out=${2:?output png}
root=$(cd "$(dirname "$0")/.." && pwd)
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
cardo_screen :95 800x600
work=$(mktemp -d)
if [[ $mode == topic:* ]]; then
  cp "$CARDO_WIN_BUILD/tests/info_showcase.exe" "$CARDO_WIN_BUILD/app/THELP.TXT" "$work/"
  (cd "$work" && cardo_wine info_showcase.exe "${mode#topic:}" >/dev/null 2>&1 &)
elif [[ $mode == gallery ]]; then
  cp "$CARDO_WIN_BUILD/tests/controls_gallery.exe" "$work/"
  (cd "$work" && cardo_wine controls_gallery.exe >/dev/null 2>&1 &)
else
  cp "$CARDO_WIN_BUILD/fnc/CARDOFNC.DLL" "$CARDO_WIN_BUILD/tests/fnc_showcase.exe" "$work/"
  (cd "$work" && cardo_wine fnc_showcase.exe "$mode" >/dev/null 2>&1 &)
fi
sleep 6
import -window root "$out"
echo "$out"
