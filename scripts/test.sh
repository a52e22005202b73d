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
for preset in "${presets[@]}"; do
  t0=$(date +%s)
  echo "=== ${preset}: configure and build"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"build-${preset}.log" 2>&1; then
    tail -n 60 "build-${preset}.log"
    echo "=== ${preset}: build FAILED"
    status=1
    summary+=("${preset}: build failed")
    continue
  fi
  echo "=== ${preset}: test"
  if ctest --preset "$preset"; then
    summary+=("${preset}: passed ($(( $(date +%s) - t0 )) s)")
  else
    status=1
    summary+=("${preset}: FAILED ($(( $(date +%s) - t0 )) s)")
  fi
  rm -f "build-${preset}.log"
done
# A short run of every fuzz target (about 30 s each, two at a time).
if [ "${OSTRIVEL_FUZZ:-1}" = 1 ]; then
  t0=$(date +%s)
  echo "=== fuzz: short run of every target"
  if bash scripts/fuzz.sh; then
    summary+=("fuzz: passed ($(( $(date +%s) - t0 )) s)")
  else
    status=1
    summary+=("fuzz: FAILED ($(( $(date +%s) - t0 )) s)")
  fi
fi
# Stop the persistent wineserver of the Windows build's prefix.
for p in build/win64/wineprefix*/; do [ -d "$p" ] && WINEPREFIX=$PWD/$p wineserver -k 2>/dev/null; done
echo "=== summary ($(( $(date +%s) - start )) s in all)"
printf '  %s\n' "${summary[@]}"
exit $status
