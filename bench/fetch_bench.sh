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

# A gzip bomb: 2 MB that unpack to 2 GiB. The download stops at the page limit (1 GiB decoded,
# or --max-page-mib) with its message; memory stays flat and no page file is left behind.
python3 - "$dir/bomb.gz" <<'PY'
import sys, zlib
z = zlib.compressobj(9, zlib.DEFLATED, 31)
zeros = bytes(64 << 20)
with open(sys.argv[1], "wb") as f:
    for _ in range(32):
        f.write(z.compress(zeros))
    f.write(z.flush())
PY
bomb_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 - "$dir/bomb.gz" "$bomb_port" <<'PY' &
import http.server, sys
body = open(sys.argv[1], "rb").read()
class Bomb(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
http.server.HTTPServer(("127.0.0.1", int(sys.argv[2])), Bomb).serve_forever()
PY
bomb=$!
trap 'kill $server $bomb 2>/dev/null || true; rm -rf "$dir"' EXIT
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$bomb_port/" && break; sleep 0.1; done
mkdir "$dir/tmp"
bomb_ok=ok
TMPDIR="$dir/tmp" /usr/bin/time -o "$dir/time" -f '%e %M' "$cli" extract --url "http://127.0.0.1:$bomb_port/" \
  >/dev/null 2>"$dir/err" && bomb_ok=MISSED
read -r t_bomb m_bomb < <(tail -1 "$dir/time")
grep -q "上限" "$dir/err" || bomb_ok=MISSED
[[ -z "$(ls "$dir/tmp")" ]] || bomb_ok=MISSED
awk -v m="$m_bomb" 'BEGIN { exit !(m <= 65536) }' || bomb_ok=MISSED
printf 'extract --url, gzip bomb %d KB -> 2 GiB  %5.2f s  peak %d MB (goal: refused at 1 GiB, <= 64 MB, no file left) %s\n' \
  $(($(stat -c %s "$dir/bomb.gz") / 1024)) "$t_bomb" $((m_bomb / 1024)) "$bomb_ok"
[[ $ok == ok && $bomb_ok == ok ]]
