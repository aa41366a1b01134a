#!/usr/bin/env bash
# Runs the benchmarks under Wine (headless) and prints their tables.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh"
cardo_wine_prepare
cd "$root/build/win32/bench"
wine ./cardo_list_bench.exe
