#!/usr/bin/env bash
# Runs every libFuzzer target built in build/fuzz (one per fuzz/*_fuzz.cpp) for SECONDS each
# (default 60) on its corpus and its seeds, with a memory cap. Prints one line per target and
# "fuzz targets: N passed, M failed"; exits non-zero when a target fails (a crash, a leak, a
# time-out, the cap) or was not built. Inputs are at most 4096 bytes unless the target's
# fuzz/<target>.options says otherwise under [libfuzzer] (max_len = N).
#   tools/run-fuzz.sh [SECONDS] [CORPUS_ROOT]   (CORPUS_ROOT: build/fuzz/corpus)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
corpus_root=${2:-$root/build/fuzz/corpus}
passed=0
failed=0
for source in "$root"/fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  binary=$root/build/fuzz/fuzz/$target
  corpus=$corpus_root/$target
  seeds=$root/fuzz/seeds/$target
  mkdir -p "$corpus"
  max_len=$(sed -n 's/^max_len *= *\([0-9]*\) *$/\1/p' "$root/fuzz/$target.options" 2>/dev/null)
  log=$(mktemp)
  if [[ -x $binary ]] && "$binary" -max_total_time="$seconds" -max_len="${max_len:-4096}" -rss_limit_mb=512 \
      "$corpus" $([[ -d $seeds ]] && echo "$seeds") >"$log" 2>&1; then
    echo "fuzz: $target, $seconds s: ok"
    passed=$((passed + 1))
  else
    echo "fuzz: $target FAILED"
    [[ -x $binary ]] || echo "$binary was not built"
    tail -40 "$log"
    failed=$((failed + 1))
  fi
  rm -f "$log"
done
echo "fuzz targets: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
