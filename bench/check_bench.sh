#!/usr/bin/env bash
# cardo-cli check against a loopback server that answers each request after 20 ms: 2,000 URLs
# on one host with 4 connections, whose ideal is 2,000 x 20 ms / 4 = 10 s (goal: at most
# 1.2 x that); the peak memory at 500 and 2,000 URLs (goal: flat, within 20 %); and
# `xargs -P4 curl -I` on the same list beside it.
set -euo pipefail
cli=${1:?path to cardo-cli}
dir=$(mktemp -d)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 - "$port" <<'PY' &
import http.server, socketserver, sys, time
class Slow(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def log_message(self, *args):
        pass
    def do_HEAD(self):
        time.sleep(0.02)
        self.send_response(200)
        self.send_header("Content-Type", "application/zip")
        self.send_header("Content-Length", "1048576")
        self.end_headers()
class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
Server(("127.0.0.1", int(sys.argv[1])), Slow).serve_forever()
PY
server=$!
trap 'kill $server 2>/dev/null || true; rm -rf "$dir"' EXIT
export no_proxy=127.0.0.1
for _ in $(seq 50); do curl -s -o /dev/null -I "http://127.0.0.1:$port/" && break; sleep 0.1; done
for n in 500 2000; do
  seq -f "http://127.0.0.1:$port/vol%04g.rar" 1 "$n" >"$dir/list$n.txt"
done

# Wall time in ms and peak memory in KiB of one run of the command.
run() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$dir/rss" "$@" >"$dir/out" 2>/dev/null || true
  end=$(date +%s%N)
  echo "$(((end - start) / 1000000)) $(cat "$dir/rss")"
}

read -r ms500 kib500 < <(run "$cli" check "$dir/list500.txt")
read -r ms kib < <(run "$cli" check "$dir/list2000.txt")
alive=$(grep -c '^200	1048576	' "$dir/out" || true)
read -r curl_ms _ < <(run sh -c "xargs -P4 -n1 curl -s -o /dev/null -I <'$dir/list2000.txt'")

ratio=$(awk -v t="$ms" 'BEGIN { printf "%.2f", t / 10000 }')
growth=$(awk -v a="$kib500" -v b="$kib" 'BEGIN { printf "%.2f", b / a }')
ok=ok
awk -v r="$ratio" -v g="$growth" -v a="$alive" 'BEGIN { exit !(r <= 1.2 && g <= 1.2 && a == 2000) }' || ok=MISSED
printf 'cardo-cli check, 2000 URLs x 20 ms  %8.1f s  = %sx of the 10 s ideal (goal <= 1.2x), %d alive  %s\n' \
  "$(awk -v t="$ms" 'BEGIN{print t/1000}')" "$ratio" "$alive" "$ok"
printf '  peak memory %d KiB at 500 URLs, %d KiB at 2000 (x%s, goal flat: <= 1.2x)\n' \
  "$kib500" "$kib" "$growth"
printf '  xargs -P4 curl -I, same list       %8.1f s  (a process per URL, a connection each)\n' \
  "$(awk -v t="$curl_ms" 'BEGIN{print t/1000}')"
[[ $ok == ok ]]
