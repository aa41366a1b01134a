#!/usr/bin/env bash
# The browser extension: Firefox's own checks of it (web-ext lint, which must find nothing,
# notices included), then end to end in headless Chromium with the unpacked extension (browser/)
# against the native `cardo-cli receive` (build/native/cli/cardo-cli). The npm packages come from
# tools/browser-packages.sh, Chromium and Node from tools/bootstrap.sh. Prints "ok: ..." per
# check and "browser e2e: ..."; exits non-zero on any failure.
#   tools/browser-e2e.sh [CARDO_CLI]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/native/cli/cardo-cli}
"$root/tools/browser-packages.sh"
cd "$root/tests/browser"
lint=(node_modules/.bin/web-ext lint --source-dir "$root/browser" --no-config-discovery)
status=0
if "${lint[@]}" --output json 2>/dev/null |
  node -e 'const s = JSON.parse(require("fs").readFileSync(0)).summary; process.exit(s.errors + s.warnings + s.notices)'; then
  echo "ok: web-ext lint finds nothing for Firefox"
else
  echo "FAILED: web-ext lint for Firefox"
  "${lint[@]}" 2>&1 || true
  status=1
fi
timeout 180 node extension_e2e.js "$cli" || status=1
exit $status
