#!/usr/bin/env bash
# cardo-cli expand against bash's brace expansion and a Python list comprehension, producing
# the same million lines, whole processes timed side by side (median of five runs each).
set -euo pipefail
cli=${1:?path to cardo-cli}
runs=5
pattern='http://example.com/[0000-9999]/[00-99].jpg'

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

ours() { "$cli" expand "$pattern"; }
brace() { bash -c 'printf "%s\n" http://example.com/{0000..9999}/{00..99}.jpg'; }
python() {
  python3 -c 'import sys; sys.stdout.write("".join([f"http://example.com/{a:04d}/{b:02d}.jpg\n" for a in range(10000) for b in range(100)]))'
}

sum_ours=$(ours | md5sum)
[[ "$sum_ours" == "$(brace | md5sum)" ]] || { echo "bash output differs"; exit 1; }
[[ "$sum_ours" == "$(python | md5sum)" ]] || { echo "python output differs"; exit 1; }

t_ours=$(time_ms ours)
t_brace=$(time_ms brace)
t_python=$(time_ms python)
status=0
report() {
  local name=$1 theirs=$2 goal=$3
  local ratio
  ratio=$(awk -v a="$theirs" -v b="$t_ours" 'BEGIN { printf "%.1f", a / b }')
  local ok=ok
  awk -v r="$ratio" -v g="$goal" 'BEGIN { exit !(r >= g) }' || { ok=MISSED; status=1; }
  printf '%-34s %8.1f ms  vs %8.1f ms  speed-up %6sx  (goal >= %sx)  %s\n' \
    "cardo-cli expand vs $name" "$(awk -v t="$t_ours" 'BEGIN{print t/1000}')" \
    "$(awk -v t="$theirs" 'BEGIN{print t/1000}')" "$ratio" "$goal" "$ok"
}
echo "1,000,000 lines of $pattern, whole processes"
report "bash brace expansion" "$t_brace" 10
report "python list comprehension" "$t_python" 3
exit $status
