#!/usr/bin/env bash
# The browser extension end to end: headless Chromium with the unpacked extension (browser/)
# against the native `cardo-cli receive` (build/native/cli/cardo-cli). Installs the test's one
# npm package (puppeteer-core, pinned by tests/browser/package-lock.json) when it is missing;
# Chromium and Node come from tools/bootstrap.sh. Prints "ok: ..." per check and
# "browser e2e: ..."; exits non-zero on any failure.
#   tools/browser-e2e.sh [CARDO_CLI]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/native/cli/cardo-cli}
cd "$root/tests/browser"
if [[ ! -d node_modules/puppeteer-core || package-lock.json -nt node_modules ]]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null
  touch node_modules
fi
exec timeout 180 node extension_e2e.js "$cli"
