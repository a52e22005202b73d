#!/usr/bin/env bash
# Times ostrivel-cli (native build) against find -printf (one walk and one stat
# per entry: the practical floor) and tree -J (a peer that writes a listing), on
# the same generated tree, warm cache, alternating the programs each round.
#
#   bench/run.sh [SIZE...]        default sizes: 10000 100000 1000000
#   ROUNDS=5 KEEP=1 BENCH_DIR=/tmp/ostrivel-bench bench/run.sh 100000
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
rounds=${ROUNDS:-3}
work=${BENCH_DIR:-/tmp/ostrivel-bench}
cli=${CLI:-build/native/cli/ostrivel-cli}
if [ ! -x "$cli" ]; then
  cmake --preset native >/dev/null && cmake --build --preset native --target ostrivel-cli >/dev/null
fi
command -v tree >/dev/null || { echo "bench: needs tree (apt-get install tree)"; exit 1; }
mkdir -p "$work"

# One measurement: prints "seconds peak-kB".
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2; return 1; }
  cat "$work/time.txt"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf '%-9s %-12s %10s %12s %10s\n' files program median-s peak-RSS-MB vs-find
for n in "${sizes[@]}"; do
  tree_root="$work/tree-$n"
  [ -d "$tree_root" ] || /usr/bin/python3 bench/make_tree.py "$tree_root" "$n" >/dev/null
  out="$work/out-$n"
  rm -rf "$out" && mkdir -p "$out"
  # Warm the cache once.
  find "$tree_root" -printf '%s %T@ %p\n' >/dev/null
  : >"$work/cli.txt"; : >"$work/find.txt"; : >"$work/tree.txt"
  for ((r = 0; r < rounds; r++)); do
    measure "$cli" -q -t bench "$tree_root" "$out" >>"$work/cli.txt"
    measure find "$tree_root" -printf '%s %T@ %p\n' >>"$work/find.txt"
    measure tree -a -s -D -J "$tree_root" >>"$work/tree.txt"
  done
  find_s=$(cut -d' ' -f1 "$work/find.txt" | median)
  for prog in cli find tree; do
    s=$(cut -d' ' -f1 "$work/$prog.txt" | median)
    kb=$(cut -d' ' -f2 "$work/$prog.txt" | sort -n | tail -1)
    ratio=$(awk -v a="$s" -v b="$find_s" 'BEGIN { printf (b > 0 ? "%.2fx" : "-"), a / b }')
    name=$prog; [ $prog = cli ] && name=ostrivel-cli
    printf '%-9s %-12s %10s %12.1f %10s\n' "$n" "$name" "$s" "$(awk -v k="$kb" 'BEGIN{print k/1024}')" "$ratio"
  done
  page=$(ls -S "$out"/*.html | head -1)
  cli_kb=$(cut -d' ' -f2 "$work/cli.txt" | sort -n | tail -1)
  printf '%-9s page %s: %.1f MB, ostrivel-cli peak RSS %.2fx the page\n' "$n" "$(basename "$page")" \
    "$(awk -v b="$(stat -c %s "$page")" 'BEGIN{print b/1048576}')" \
    "$(awk -v k="$cli_kb" -v b="$(stat -c %s "$page")" 'BEGIN{print k*1024/b}')"
  rm -rf "$out"
  [ "${KEEP:-0}" = 1 ] || rm -rf "$tree_root"
done
