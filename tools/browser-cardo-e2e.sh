#!/usr/bin/env bash
# The browser extension end to end against Cardo.exe under Wine: headless Chromium sends a
# page's links, and the list, the pages recorded for them (the aria2 file's referer) and undo
# are checked from outside. Uses the Windows build tools/wine-env.sh picks (the 64-bit twin
# where 32-bit programs cannot run) and the prefix it is given. Prints "ok: ..." per check and
# "browser cardo e2e: ..."; exits non-zero on any failure. The npm packages come from
# tools/browser-packages.sh.
#   tools/browser-cardo-e2e.sh [WINEPREFIX]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh" "${1:-$root/build/wineprefix}"
cardo_wine_prepare
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$CARDO_WIN_BUILD/app/Cardo.exe" "$CARDO_WIN_BUILD/app/THELP.TXT" \
  "$CARDO_WIN_BUILD/tests/manager_standin.exe" "$CARDO_WIN_BUILD/tests/guide_driver.exe" "$work/"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
token=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
# The receiver on, the aria2 file as the third manager's with the page as Referer.
{
  printf "'%s\r\n" '--------------------------------------------------------' \
    '  Cardo用設定保持 INIファイル' '    作成時のバージョン:3.00' '    作成時刻:12/7/26 9:05' \
    '--------------------------------------------------------'
  printf '\r\n[PREF]\r\n'
  printf '%s\r\n' "OtherPath=$(cardo_wine winepath -w "$work/manager_standin.exe" 2>/dev/null)" \
    OtherFormat=1 ExportReferer=5 ReceiveLinks=1 "ReceivePort=$port" "ReceiveToken=$token"
} | iconv -f UTF-8 -t CP932 >"$work/CARDO.INI"
"$root/tools/browser-packages.sh"
cd "$root/tests/browser"
CARDO_WINE_LOADER=$CARDO_WINE_LOADER timeout 180 node cardo_exe_e2e.js "$work" "$port" "$token"
