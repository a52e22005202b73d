#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test of every build:
# native (POSIX back end), native with AddressSanitizer and UBSan, and the
# Windows build under Wine; then a short run of every fuzz target.
# Exits non-zero when any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
bash scripts/setup.sh || exit 1

presets=(${OSTRIVEL_PRESETS:-native native-asan win64})
status=0
summary=()
total_passed=0
total_failed=0
for preset in "${presets[@]}"; do
  t0=$(date +%s)
  echo "=== ${preset}: configure and build"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"build-${preset}.log" 2>&1; then
    tail -n 60 "build-${preset}.log"
    echo "=== ${preset}: build FAILED"
    status=1
    total_failed=$((total_failed + 1))
    summary+=("${preset}: build failed")
    continue
  fi
  echo "=== ${preset}: test"
  if ctest --preset "$preset" 2>&1 | tee "build-${preset}-ctest.log"; then
    summary+=("${preset}: passed ($(( $(date +%s) - t0 )) s)")
  else
    status=1
    summary+=("${preset}: FAILED ($(( $(date +%s) - t0 )) s)")
  fi
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "build-${preset}-ctest.log" | tail -1)
  if [ -n "$line" ]; then
    f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    n=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
    total_failed=$((total_failed + f))
    total_passed=$((total_passed + n - f))
  else
    total_failed=$((total_failed + 1))
  fi
  rm -f "build-${preset}.log" "build-${preset}-ctest.log"
done
# A short run of every fuzz target (about 30 s each, two at a time).
if [ "${OSTRIVEL_FUZZ:-1}" = 1 ]; then
  t0=$(date +%s)
  echo "=== fuzz: short run of every target"
  if bash scripts/fuzz.sh; then
    summary+=("fuzz: passed ($(( $(date +%s) - t0 )) s)")
  else
    status=1
    total_failed=$((total_failed + 1))
    summary+=("fuzz: FAILED ($(( $(date +%s) - t0 )) s)")
  fi
fi
# Stop the persistent wineserver of the Windows build's prefix.
for p in build/win64/wineprefix*/; do [ -d "$p" ] && WINEPREFIX=$PWD/$p wineserver -k 2>/dev/null; done
echo "=== summary ($(( $(date +%s) - start )) s in all)"
printf '  %s\n' "${summary[@]}"
# Test binaries of every build, as ctest counted them.
echo "ctest: ${total_passed} passed, ${total_failed} failed"
exit $status
