#!/usr/bin/env bash
# Runs the benchmarks: the expansion tool natively, then the list box and the library under
# Wine (headless), and prints their tables.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
"$root/bench/expand_bench.sh" "$root/build/native-release/cli/cardo-cli" || status=1
echo
"$root/bench/fetch_bench.sh" "$root/build/native-release/cli/cardo-cli" || status=1
echo
"$root/bench/check_bench.sh" "$root/build/native-release/cli/cardo-cli" || status=1
echo
python3 "$root/bench/stream_bench.py" "$root/build/native-release/cli/cardo-cli" || status=1
echo
# The extraction benchmark reads the HTML manuals of two Debian documentation packages.
for package in python3.11-doc debian-reference-ja; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
      "$package" >/dev/null
  fi
done
"$root/bench/extract_bench.sh" "$root/build/native-release/cli/cardo-cli" || status=1
echo
source "$root/tools/wine-env.sh" "$root/build/wineprefix"
cardo_wine_prepare
cd "$CARDO_WIN_BUILD/bench"
cardo_wine ./cardo_fnc_bench.exe || status=1
echo
cardo_wine ./cardo_generators_bench.exe || status=1
echo
cardo_wine ./cardo_list_bench.exe "$@" || status=1
exit $status
