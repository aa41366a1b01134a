#!/usr/bin/env bash
# cardo-cli expand against bash's brace expansion and a Python list comprehension, producing
# the same million lines, whole processes timed side by side (median of five runs each): once
# in the specified syntax, once in the extended one (a named counter used twice, a descending
# run with a step and a list).
set -euo pipefail
cli=${1:?path to cardo-cli}
runs=5

time_ms() {
  local best=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    best+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${best[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}

pattern='http://example.com/[0000-9999]/[00-99].jpg'
ours() { "$cli" expand "$pattern"; }
brace() { bash -c 'printf "%s\n" http://example.com/{0000..9999}/{00..99}.jpg'; }
python() {
  python3 -c 'import sys; sys.stdout.write("".join([f"http://example.com/{a:04d}/{b:02d}.jpg\n" for a in range(10000) for b in range(100)]))'
}

extended='http://example.com/[y=0000-9999]/[=y]_[99-01:2].[jpg,png]'
ours_extended() { "$cli" expand --extended "$extended"; }
brace_extended() {
  bash -c 'for y in {0000..9999}; do printf "%s\n" "http://example.com/$y/${y}_"{99..01..2}.{jpg,png}; done'
}
python_extended() {
  python3 -c 'import sys; sys.stdout.write("".join([f"http://example.com/{y:04d}/{y:04d}_{n:02d}.{e}\n" for y in range(10000) for n in range(99, 0, -2) for e in ("jpg", "png")]))'
}

status=0
report() {
  local name=$1 ours=$2 theirs=$3 goal=$4
  local ratio
  ratio=$(awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "%.1f", a / b }')
  local ok=ok
  awk -v r="$ratio" -v g="$goal" 'BEGIN { exit !(r >= g) }' || { ok=MISSED; status=1; }
  printf '%-56s %8.1f ms  vs %8.1f ms  speed-up %6sx  (goal >= %sx)  %s\n' \
    "$name" "$(awk -v t="$ours" 'BEGIN{print t/1000}')" \
    "$(awk -v t="$theirs" 'BEGIN{print t/1000}')" "$ratio" "$goal" "$ok"
}

# $1: label, $2: the pattern shown; $3-$5: our run, bash's and Python's.
compare() {
  local label=$1 shown=$2 mine=$3 bash_run=$4 python_run=$5
  local sum
  sum=$($mine | md5sum)
  [[ "$sum" == "$($bash_run | md5sum)" ]] || { echo "$label: bash output differs"; exit 1; }
  [[ "$sum" == "$($python_run | md5sum)" ]] || { echo "$label: python output differs"; exit 1; }
  [[ $($mine | wc -l) -eq 1000000 ]] || { echo "$label: not a million lines"; exit 1; }
  local t_ours t_brace t_python
  t_ours=$(time_ms $mine)
  t_brace=$(time_ms $bash_run)
  t_python=$(time_ms $python_run)
  echo "1,000,000 lines of $shown, whole processes"
  report "$label vs bash brace expansion" "$t_ours" "$t_brace" 10
  report "$label vs python list comprehension" "$t_ours" "$t_python" 3
}

compare "cardo-cli expand" "$pattern" ours brace python
echo
compare "cardo-cli expand --extended" "$extended" ours_extended brace_extended python_extended
exit $status
