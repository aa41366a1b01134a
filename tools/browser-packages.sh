#!/usr/bin/env bash
# Installs the browser tools' npm packages (puppeteer-core and web-ext, pinned by
# tests/browser/package-lock.json) into tests/browser/node_modules when they are missing or the
# lock file changed, and keeps them there for the next run.
set -euo pipefail
cd "$(dirname "$0")/../tests/browser"
if [[ ! -d node_modules/puppeteer-core || ! -d node_modules/web-ext || package-lock.json -nt node_modules ]]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null
  touch node_modules
fi
