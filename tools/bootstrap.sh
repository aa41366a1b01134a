#!/usr/bin/env bash
# Installs everything the build, the tests and the run command need. Idempotent:
# a second run installs nothing and returns at once. Both Wines are installed everywhere;
# tools/wine-env.sh picks wine64 and the 64-bit build where 32-bit programs cannot run.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang llvm libclang-rt-dev
  mingw-w64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine wine32:i386 wine64
  locales fonts-ipafont-gothic fonts-wine
  xvfb x11-utils xdotool imagemagick
  clang-format python3 curl aria2
  python3-doc debian-reference-ja
  zlib1g-dev libz-mingw-w64-dev libcurl4-openssl-dev libidn2-dev
  openssl libgnutls30 libgnutls30:i386
)

missing=()
for p in "${packages[@]}"; do
  [[ -z "$p" ]] && continue
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

if ((${#missing[@]})); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
