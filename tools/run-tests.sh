#!/usr/bin/env bash
# Runs every test suite: the include floors (tools/check-layers.sh), the native core tests
# (plain and with AddressSanitizer and UBSan), the browser extension (web-ext lint and headless
# Chromium against cardo-cli receive), then the Windows core, seam, library, UI and end-to-end
# tests under Wine and the extension sending to Cardo.exe, the checks of the 32-bit
# deliverables that need no Wine, and every fuzz target for a few seconds
# (CARDO_FUZZ_CHECK_SECONDS, 2), each counted as a test.
# Prints each runner's own summary and one closing line with the totals; exits non-zero on
# any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! "$root/tools/wine-env.sh" --runs-32bit; then
  echo "32-bit programs cannot run here: the Windows suites run on the 64-bit build"
fi
passed=0
failed=0
status=0

run_suite() {
  local name=$1
  shift
  echo "== $name"
  local log
  log=$(mktemp)
  "$@" >"$log" 2>&1
  local rc=$?
  grep -a -E '^\[  (PASSED|FAILED)  \]|^\[==========\]|Failure.?$' "$log"
  local p f
  p=$(grep -a -oE '^\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  f=$(grep -a -oE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | grep -oE '[0-9]+' | head -1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  if [[ $rc -ne 0 ]]; then
    status=1
    [[ -z "$f" ]] && failed=$((failed + 1))
    echo "$name: exit status $rc"
    grep -a -B2 -A12 -E 'Failure.?$|ERROR: AddressSanitizer|runtime error' "$log" | head -200
  fi
  rm -f "$log"
}

# A script that prints "ok: ..." or "FAILED: ..." per check: each counts, and a script that
# checked nothing counts as one failure.
run_checks() {
  local name=$1
  shift
  echo "== $name"
  local log
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=1
  grep -a -v '^ok: ' "$log"
  local p f
  p=$(grep -a -c '^ok: ' "$log")
  f=$(grep -a -c '^FAILED: ' "$log")
  passed=$((passed + p))
  failed=$((failed + f + (p + f == 0)))
  rm -f "$log"
}

echo "== include floors"
if "$root/tools/check-layers.sh"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  status=1
fi
run_suite "native core" "$root/build/native/tests/cardo_tests"
run_suite "native core, sanitized" "$root/build/native-asan/tests/cardo_tests"
run_suite "32-bit deliverables, read from their files" \
  "$root/build/native/tests/cardo_deliverables_tests"

# The browser extension (web-ext lint, then headless Chromium against the native receiver):
# each check counts.
run_checks "browser extension" "$root/tools/browser-e2e.sh"

source "$root/tools/wine-env.sh" "$root/build/wineprefix"
cardo_wine_prepare
cd "$CARDO_WIN_BUILD/tests"
run_suite "windows core and seams" cardo_wine ./cardo_tests.exe
run_suite "CARDOFNC.DLL through its exports" cardo_wine ./cardo_fnc_tests.exe
run_suite "windows forms" cardo_wine ./cardo_ui_tests.exe
run_suite "Cardo.exe end to end" cardo_wine ./cardo_e2e_tests.exe
# The extension in headless Chromium sending to Cardo.exe: each check counts.
run_checks "browser extension to Cardo.exe" "$root/tools/browser-cardo-e2e.sh" \
  "$root/build/wineprefix"
# The release zip, unpacked where a user might put it: a path with a space and Japanese.
# It holds the 32-bit deliverables, so it runs only where 32-bit programs run.
if "$root/tools/wine-env.sh" --runs-32bit; then
  package_root=$(mktemp -d)
  package_dir="$package_root/ダウンロード ツール"
  python3 -m zipfile -e "$root"/build/dist/Cardo-*-win32.zip "$package_dir"
  CARDO_PACKAGE_DIR=$(cardo_wine winepath -w "$(echo "$package_dir"/Cardo-*)" 2>/dev/null) \
    run_suite "the release zip, unpacked" cardo_wine ./cardo_package_tests.exe
  rm -rf "$package_root"
fi
wineserver -k >/dev/null 2>&1 || true

# A short run from the seeds, in a corpus of its own: it proves each target builds, starts and
# survives its seeds; `make fuzz` is the long search.
echo "== fuzz targets"
fuzz_corpus=$(mktemp -d)
fuzz_log=$(mktemp)
"$root/tools/run-fuzz.sh" "${CARDO_FUZZ_CHECK_SECONDS:-2}" "$fuzz_corpus" >"$fuzz_log" 2>&1 || status=1
grep -a -v '^fuzz: .*: ok$' "$fuzz_log"
fuzz_passed=$(grep -a -oE '^fuzz targets: [0-9]+ passed' "$fuzz_log" | grep -oE '[0-9]+')
fuzz_failed=$(grep -a -oE ' [0-9]+ failed$' "$fuzz_log" | grep -oE '[0-9]+')
passed=$((passed + ${fuzz_passed:-0}))
failed=$((failed + ${fuzz_failed:-1}))
rm -rf "$fuzz_corpus" "$fuzz_log"

echo "tests: $passed passed, $failed failed"
exit $status
