#!/usr/bin/env bash
# Makes the guide's pictures of the browser extension (app/info/guide/extension_*.png) in real
# Chromium on a display of its own (Xvfb); tools/screenshot-guide.sh runs it after the
# program's pictures.
#   tools/screenshot-extension.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/app/info/guide}
"$root/tools/browser-packages.sh"
display=${CARDO_EXTENSION_DISPLAY:-:95}
Xvfb "$display" -screen 0 1280x960x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1
DISPLAY=$display NODE_PATH="$root/tests/browser/node_modules" \
  node "$root/tools/screenshot-extension.js" "$out"
