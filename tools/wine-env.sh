# Sourced by the scripts that run Windows binaries: sets up a Wine prefix with the Japanese
# code page (932). CARDO_WINE_DRIVER=null (default) runs headless; x11 shows windows.
# Usage: source tools/wine-env.sh [prefix-dir]     then cardo_wine_prepare, cardo_wine PROGRAM ...
#        tools/wine-env.sh --runs-32bit            exit status 0 where 32-bit programs run
#
# Some machines run 64-bit Linux programs only (a kernel without IA-32 emulation): 32-bit
# Wine cannot start there. On those the scripts run the 64-bit twin of the Windows build
# (build/win64) under wine64 in a prefix of its own. CARDO_RUN_32BIT=0 or 1 forces the answer,
# so the fallback can be tried on a machine that runs both.

cardo_runs_32bit() {
  case "${CARDO_RUN_32BIT:-}" in
    0) return 1 ;;
    1) return 0 ;;
  esac
  # The 32-bit loader comes with libc6:i386, which the bootstrap installs where it can; where
  # the kernel cannot run it, it fails with "Exec format error".
  # 32-bit Wine itself may be missing where the bootstrap could not install it.
  [[ -x /usr/lib/wine/wine ]] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  [[ "${1:-}" == --runs-32bit ]] || { echo "usage: $0 --runs-32bit" >&2; exit 2; }
  cardo_runs_32bit
  exit
fi

CARDO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${1:-${WINEPREFIX:-$CARDO_ROOT/build/wineprefix}}
if cardo_runs_32bit; then
  export WINEARCH=win32
  CARDO_WIN_BUILD=$CARDO_ROOT/build/win32
  CARDO_WINE_LOADER=wine
else
  export WINEARCH=win64
  export WINEPREFIX=${WINEPREFIX}64
  # Debian's wine and wineboot wrappers prefer the 32-bit loader whenever it is installed.
  export WINELOADER=/usr/lib/wine/wine64
  CARDO_WIN_BUILD=$CARDO_ROOT/build/win64
  CARDO_WINE_LOADER=$WINELOADER
fi
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

cardo_wine() {
  "$CARDO_WINE_LOADER" "$@"
}

# cardo_screen DISPLAY WIDTHxHEIGHT: starts Xvfb for screenshots, with the x11 driver's prefix
# prepared; Xvfb and Wine end with the calling script.
cardo_screen() {
  local display=$1 size=$2
  Xvfb "$display" -screen 0 "${size}x24" >/dev/null 2>&1 &
  CARDO_XVFB_PID=$!
  trap 'kill $CARDO_XVFB_PID 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
  sleep 1
  export DISPLAY=$display
}

cardo_wine_prepare() {
  local driver=${CARDO_WINE_DRIVER:-null}
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    cardo_wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  local stamp="$WINEPREFIX/.cardo-driver"
  if [[ "$(cat "$stamp" 2>/dev/null)" != "$driver" ]]; then
    # A setting that failed is tried again on the next run: the stamp is written only when
    # every one took.
    local failed=0
    reg_add() { cardo_wine reg add "$@" /f >/dev/null 2>&1 || failed=1; }
    # The Japanese system fonts, by the names dialogs ask for, map to the IPA fonts: the
    # proportional ones where the system's are proportional.
    local key='HKCU\Software\Wine\Fonts\Replacements'
    reg_add "$key" /v "ＭＳ Ｐゴシック" /d "IPAPGothic"
    reg_add "$key" /v "MS PGothic" /d "IPAPGothic"
    reg_add "$key" /v "MS UI Gothic" /d "IPAPGothic"
    reg_add "$key" /v "ＭＳ ゴシック" /d "IPAGothic"
    reg_add "$key" /v "MS Gothic" /d "IPAGothic"
    if [[ "$driver" == "null" ]]; then
      reg_add 'HKCU\Software\Wine\Drivers' /v Graphics /d null
    else
      cardo_wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
      # Without a window manager under Xvfb, Wine draws the captions and frames itself.
      reg_add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
      reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    fi
    unset -f reg_add
    wineserver -w
    if ((failed == 0)); then echo "$driver" >"$stamp"; fi
  fi
}
