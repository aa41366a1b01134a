#!/usr/bin/env bash
# cardo-cli fetch against curl: the same 50 MB body from the same loopback server, whole
# processes timed side by side (median of five runs each).
set -euo pipefail
cli=${1:?path to cardo-cli}
runs=5
dir=$(mktemp -d)
python3 - "$dir/body.txt" <<'PY'
import sys
line = ("x" * 99 + "\n").encode()
with open(sys.argv[1], "wb") as f:
    f.write(line * (50 * 1024 * 1024 // len(line)))
PY
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$dir" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; rm -rf "$dir"' EXIT
url="http://127.0.0.1:$port/body.txt"
for _ in $(seq 50); do curl -s -o /dev/null "$url" && break; sleep 0.1; done

median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}

t_ours=$(median_ms "$cli" fetch "$url" "$dir/ours.out")
t_curl=$(median_ms curl -s -o "$dir/curl.out" "$url")
ratio=$(awk -v a="$t_ours" -v b="$t_curl" 'BEGIN { printf "%.2f", a / b }')
ok=ok
awk -v r="$ratio" 'BEGIN { exit !(r <= 2) }' || ok=MISSED
printf 'cardo-cli fetch, 50 MB body       %8.1f ms  vs curl %8.1f ms  = %sx of curl  (goal <= 2x)  %s\n' \
  "$(awk -v t="$t_ours" 'BEGIN{print t/1000}')" "$(awk -v t="$t_curl" 'BEGIN{print t/1000}')" "$ratio" "$ok"
[[ $ok == ok ]]
