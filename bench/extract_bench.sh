#!/usr/bin/env bash
# cardo-cli extract in HTML mode over 100 MB of HTML documentation, side by side with grep
# pulling out the absolute URLs of the same text; and the time of one long line against the
# same line doubled. Each HTML file uses LF line ends, which the scanner does not split at, so
# every file is one long line of the corpus: the files are joined with CR LF.
set -euo pipefail
cli=${1:?path to cardo-cli}
docs=${2:-/usr/share/doc/python3.11/html}
runs=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$docs" "$work" <<'PY'
import os, sys
docs, work = sys.argv[1], sys.argv[2]
files = sorted(os.path.join(r, f) for r, _, fs in os.walk(docs) for f in fs if f.endswith(".html"))
pages = [open(p, "rb").read() for p in files]
with open(os.path.join(work, "corpus.html"), "wb") as out:
    size = 0
    while size < 100 * 1024 * 1024:
        for page in pages:
            out.write(page.replace(b"\r", b"") + b"\r\n")
            size += len(page) + 2
# The longest page four times over makes one line of about 10 MB; then it is doubled.
longest = max(pages, key=len).replace(b"\r", b"") * 4
open(os.path.join(work, "line1.html"), "wb").write(longest)
open(os.path.join(work, "line2.html"), "wb").write(longest + longest)
PY

median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}

corpus="$work/corpus.html"
mb=$(($(stat -c %s "$corpus") / 1024 / 1024))
t_ours=$(median_ms "$cli" extract --mode html "$corpus")
# grep stops at the first match when its output is /dev/null, so it writes to a file.
grep_urls() { LC_ALL=C grep -oE '[!#-;=?-Z^-z|~]*://[!#-;=?-Z^-z|~]+' "$corpus" >"$work/grep.out"; }
t_grep=$(median_ms grep_urls)
status=0
share=$(awk -v o="$t_ours" -v g="$t_grep" 'BEGIN { printf "%.2f", g / o }')
ok=ok
awk -v s="$share" 'BEGIN { exit !(s >= 0.1) }' || { ok=MISSED; status=1; }
printf 'extract --mode html, %d MB      %8.1f ms  vs grep %8.1f ms  throughput %sx of grep  (goal >= 0.1x)  %s\n' \
  "$mb" "$(awk -v t="$t_ours" 'BEGIN{print t/1000}')" "$(awk -v t="$t_grep" 'BEGIN{print t/1000}')" "$share" "$ok"

t1=$(median_ms "$cli" extract --mode html "$work/line1.html")
t2=$(median_ms "$cli" extract --mode html "$work/line2.html")
growth=$(awk -v a="$t1" -v b="$t2" 'BEGIN { printf "%.2f", b / a }')
ok=ok
awk -v g="$growth" 'BEGIN { exit !(g <= 2.4) }' || { ok=MISSED; status=1; }
printf 'one %d KB line, then doubled     %8.1f ms  ->  %8.1f ms  = %sx  (goal <= 2.4x)  %s\n' \
  "$(($(stat -c %s "$work/line1.html") / 1024))" "$(awk -v t="$t1" 'BEGIN{print t/1000}')" \
  "$(awk -v t="$t2" 'BEGIN{print t/1000}')" "$growth" "$ok"
exit $status
