#!/usr/bin/env bash
# Makes the user's guide's pictures (app/info/guide/*.png): the main window with a short list,
# then each tool window opened from the main window's menus, one picture each, under Xvfb.
# Run it again after a window changes; the pictures are committed beside the guide.
#   tools/screenshot-guide.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/app/info/guide}
mkdir -p "$out"
export CARDO_WINE_DRIVER=x11
source "$root/tools/wine-env.sh" "$root/build/wineprefix-x11"
cardo_wine_prepare
# The pictures are at 96 DPI, whatever scale tools/screenshot.sh last left in the prefix.
cardo_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
cardo_screen "${CARDO_DISPLAY:-:96}" 1024x768

work=$(mktemp -d)
cp "$CARDO_WIN_BUILD/app/Cardo.exe" "$CARDO_WIN_BUILD/app/THELP.TXT" \
  "$CARDO_WIN_BUILD/app/CARDHELP.html" "$CARDO_WIN_BUILD/fnc/CARDOFNC.DLL" \
  "$CARDO_WIN_BUILD/tests/guide_driver.exe" "$work/"
printf '%s\r\n' 'http://example.com/photo/001.jpg' 'http://example.com/photo/002.jpg' \
  'http://example.com/photo/003.jpg' 'http://example.com/archive.part1.rar' \
  'http://example.com/archive.part2.rar' 'https://example.org/docs/manual.pdf' \
  | iconv -f UTF-8 -t CP932 >"$work/sample.lst"
cd "$work"
cardo_wine Cardo.exe sample.lst >/dev/null 2>&1 &

# The X window whose title is exactly $1, waiting up to ten seconds for it.
window_id() {
  local id
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [[ -n "$id" ]] && {
      echo "$id"
      return
    }
    sleep 0.2
  done
  echo "screenshot-guide: no window \"$1\"" >&2
  return 1
}

shot() {
  local name=$1 caption=$2
  sleep 1.5  # the window paints its controls after it maps
  import -window "$(window_id "$caption")" "$out/$name.png"
  echo "$out/$name.png"
}

driver() {
  cardo_wine guide_driver.exe "$@" >/dev/null 2>&1
}

shot main 'Cardo - \[sample.lst\]'
# The filter box with a text typed and the shown lines selected, then cleared again.
driver text 'Cardo - [sample.lst]' 2005 'photo'
driver command 1106
shot filter 'Cardo - \[sample.lst\]'
driver text 'Cardo - [sample.lst]' 2005 ''
# name, menu command, caption; the expansion window with a pattern typed, so it shows its count
while read -r name command caption; do
  driver command "$command"
  if [[ $name == spread_url ]]; then
    # The extended syntax, with one line in fault, so the window shows its fault list too.
    driver check "$caption" 364
    driver text "$caption" 361 $'http://example.com/[y=2022-2024]/img_[=y]_[01-12].[jpg,png]\r\nhttp://example.com/vol[v=1-9]/cover[v=1-8].jpg'
  fi
  shot "$name" "$caption"
  driver close "$caption"
  sleep 0.5
done <<'EOF'
gene_list 1205 規則的リストの生成
spread_url 1204 短縮リストの伸長
free_input 1203 フリー入力
drop_dialog 1201 Drop Dialog
extract 1206 URLの抜き出し
preferences 1209 設定
search 1109 検索
version 1305 バージョン情報
EOF

# The one-line edit of the focus line, and the topic viewer the generator's help button opens.
driver command 1401
shot edit_line '一行編集'
driver close '一行編集'
sleep 0.5
driver command 1205
driver press '規則的リストの生成' 354
shot viewer 'SimpleViewer'
driver close 'SimpleViewer'
driver close '規則的リストの生成'
sleep 0.5
# The link check over the whole sample list (no network here: its hosts do not resolve).
driver command 1106
driver command 1114
sleep 4
shot link_check 'リンクの確認'
driver close 'リンクの確認'
sleep 0.5
# The export page of the preferences, three pages on.
driver command 1209
for _ in 1 2 3; do
  xdotool key --window "$(window_id '設定')" ctrl+Tab
  sleep 0.3
done
shot preferences_export '設定'
driver close '設定'
sleep 0.5
# The receiver of the browser's links on the second page, turned on: its token is made.
driver command 1209
xdotool key --window "$(window_id '設定')" ctrl+Tab
sleep 0.3
driver check '設定' 520
shot preferences_receive '設定'
driver close '設定'
sleep 0.5
# The progress of a run over the selected lines as pages, from the extraction's URL page.
driver command 1121
window_id 'URLの抜き出し' >/dev/null
driver press 'URLの抜き出し' 1
sleep 3
shot extract_pages 'ページからの抜き出し'
driver close 'ページからの抜き出し'
driver close 'URLの抜き出し'

# The browser extension's menu and popup, in Chromium.
"$root/tools/screenshot-extension.sh" "$out"
