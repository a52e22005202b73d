#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`, clang with ASan and UBSan) and
# runs every one of them over its seed corpus (fuzz/corpus/NAME) and the
# corpus earlier runs grew (build/fuzz/corpus/NAME).
#
#   scripts/fuzz.sh                  short run: about 30 s per target
#   scripts/fuzz.sh --long SECONDS   SECONDS per target
#   scripts/fuzz.sh --jobs N         targets run side by side (default 2)
#   scripts/fuzz.sh TARGET...        only these (names without fuzz_)
#
# Exits non-zero when a target crashes, leaks, hangs or fails a check; the
# input that did it is kept in build/fuzz/artifacts/ and named in the output.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=30
jobs=2
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --long) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

start=$(date +%s)
if ! { cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_all; } >build-fuzz.log 2>&1; then
  tail -n 60 build-fuzz.log
  echo "=== fuzz: build FAILED"
  exit 1
fi
rm -f build-fuzz.log
bin=build/fuzz/fuzz
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$bin"/fuzz_*; do [ -x "$f" ] && targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi

# The character sets the text-file target tries as the system code page need
# their locales. They are added to the system's locale archive once (as
# root, like the UTF-8 ones scripts/setup.sh adds); a locale that is missing
# makes the target fall back to US-ASCII. (LOCPATH would do without root, but
# glibc's newlocale() leaks its copy of LOCPATH on every call while it is set,
# and the leak check after every input then takes most of the time.)
for pair in de_DE:ISO-8859-1 ru_RU:CP1251 ru_RU:KOI8-R zh_CN:GB18030 zh_CN:GBK zh_TW:BIG5 \
            ja_JP:EUC-JP ko_KR:EUC-KR; do
  name="${pair%%:*}.${pair#*:}"
  norm=$(echo "$name" | tr 'A-Z' 'a-z' | tr -d -- '-')
  if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d -- '-' | grep -qx "$norm"; then
    if [ "$(id -u)" = 0 ]; then
      localedef -i "${pair%%:*}" -f "${pair#*:}" "$name" >/dev/null 2>&1 || echo "fuzz: no locale $name"
    fi
  fi
done
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

mkdir -p build/fuzz/artifacts build/fuzz/logs
run_one() {
  local name=$1
  local corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  # -timeout: one input taking longer than 10 s is a hang.
  nice -n 10 "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$name-" \
    "$corpus" "fuzz/corpus/$name" >"build/fuzz/logs/$name.log" 2>&1
  echo $? >"build/fuzz/logs/$name.rc"
}

running=0
for name in "${targets[@]}"; do
  if [ ! -x "$bin/fuzz_$name" ]; then
    echo "fuzz: no target $name"
    exit 2
  fi
  echo "=== fuzz_$name: ${seconds} s"
  run_one "$name" &
  running=$((running + 1))
  if [ $running -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '=== fuzz summary (%d s in all)\n' $(( $(date +%s) - start ))
for name in "${targets[@]}"; do
  log=build/fuzz/logs/$name.log
  rc=$(cat "build/fuzz/logs/$name.rc" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  final=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | sed -E 's/.*(cov: [0-9]+).*(ft: [0-9]+).*(corp: [^ ]+).*(exec\/s: [0-9]+).*/\1 \2 \3 \4/')
  if [ "$rc" = 0 ]; then
    printf '  %-20s ok      %s runs, %s\n' "$name" "${execs:-?}" "$final"
  else
    status=1
    printf '  %-20s FAILED  (exit %s) see %s\n' "$name" "$rc" "$log"
    grep -E 'ERROR:|check failed|artifact_prefix|Test unit written' "$log" | head -5 | sed 's/^/      /'
  fi
done
exit $status
