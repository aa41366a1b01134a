#!/usr/bin/env bash
# Installs everything the build, the tests and the run command need. Idempotent:
# a second run installs nothing and returns at once. Both Wines are installed everywhere;
# tools/wine-env.sh picks wine64 and the 64-bit build where 32-bit programs cannot run.
set -euo pipefail

packages=(
  cmake ninja-build make ccache g++ clang llvm libclang-rt-dev
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
  # Node.js and npm come with the machine (Debian's npm would replace its newer Node.js); the
  # browser test installs its npm packages itself.
  chromium chromium-l10n
)

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

# missing_of NAME...: the packages among NAME that are not installed yet.
missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
# Where the 32-bit packages could not be installed, a later run tries them again only once apt's
# indexes have changed: each try costs an index update of up to a minute.
no_i386_stamp=$(cd "$(dirname "$0")/.." && pwd)/build/.bootstrap-no-i386
if ((${#missing[@]})) && [[ -f $no_i386_stamp && ! /var/lib/apt/lists -nt $no_i386_stamp ]] &&
  ! printf '%s\n' "${missing[@]}" | grep -qv ':i386$'; then
  missing=()
fi
if ((${#missing[@]})); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails one index now and then ("File has unexpected
  # size"); apt keeps the rest, so after a retry the install goes on and decides.
  if ! "${sudo_cmd[@]}" apt-get update -qq; then
    sleep 5
    "${sudo_cmd[@]}" apt-get update -qq ||
      echo "bootstrap: apt-get update failed for some index; installing from what was read" >&2
  fi
  install=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  if ! "${install[@]}" "${missing[@]}"; then
    # The 32-bit packages must match the 64-bit ones' versions; with the i386 index of an
    # update missing they cannot. Everything else still installs, and the Windows suites run
    # on the 64-bit build (tools/wine-env.sh decides by what is installed).
    mapfile -t native_only < <(printf '%s\n' "${missing[@]}" | grep -v ':i386$' || true)
    if ((${#native_only[@]})); then "${install[@]}" "${native_only[@]}"; fi
    mkdir -p "$(dirname "$no_i386_stamp")" && touch "$no_i386_stamp"
    echo "bootstrap: the 32-bit Wine packages could not be installed; the Windows suites run on the 64-bit build" >&2
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
