# Sourced by the scripts that run Windows binaries: sets up a 32-bit Wine prefix with the
# Japanese code page (932). CARDO_WINE_DRIVER=null (default) runs headless; x11 shows windows.
# Usage: source tools/wine-env.sh [prefix-dir]

CARDO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${1:-${WINEPREFIX:-$CARDO_ROOT/build/wineprefix}}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

cardo_wine_prepare() {
  local driver=${CARDO_WINE_DRIVER:-null}
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  local stamp="$WINEPREFIX/.cardo-driver"
  if [[ "$(cat "$stamp" 2>/dev/null)" != "$driver" ]]; then
    # The Japanese system fonts, by the names dialogs ask for, map to the IPA fonts: the
    # proportional ones where the system's are proportional.
    local key='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$key" /v "ＭＳ Ｐゴシック" /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add "$key" /v "MS PGothic" /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add "$key" /v "MS UI Gothic" /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add "$key" /v "ＭＳ ゴシック" /d "IPAGothic" /f >/dev/null 2>&1
    wine reg add "$key" /v "MS Gothic" /d "IPAGothic" /f >/dev/null 2>&1
    if [[ "$driver" == "null" ]]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
      wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
      # Without a window manager under Xvfb, Wine draws the captions and frames itself.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    wineserver -w
    echo "$driver" >"$stamp"
  fi
}
