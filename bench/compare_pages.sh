#!/usr/bin/env bash
# Checks that a change to the listing run leaves its output as it was: runs two
# builds of ostrivel-cli on the same generated tree (same template, title and
# time zone) and compares the pages, all but the lines with the date and time of writing.
#
#   bench/compare_pages.sh OLD-CLI NEW-CLI [FILES]     FILES default: 100000
#   KEEP=1 BENCH_DIR=/tmp/ostrivel-bench bench/compare_pages.sh old/ostrivel-cli build/native/cli/ostrivel-cli
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { sed -n '2,8p' "$0"; exit 2; }
old=$1
new=$2
n=${3:-100000}
work=${BENCH_DIR:-/tmp/ostrivel-bench}
tree_root="$work/tree-$n"
mkdir -p "$work"
[ -d "$tree_root" ] || /usr/bin/python3 bench/make_tree.py "$tree_root" "$n" >/dev/null

page() {  # CLI OUT-FOLDER: prints the page's path
  rm -rf "$2" && mkdir -p "$2"
  TZ=UTC "$1" -q -t compare --template template/template.html "$tree_root" "$2"
}
old_page=$(page "$old" "$work/compare-old")
new_page=$(page "$new" "$work/compare-new")
status=0
if cmp -s <(grep -avE '^(date|time)=' "$old_page") <(grep -avE '^(date|time)=' "$new_page"); then
  echo "compare: the pages of $n files are the same ($(stat -c %s "$new_page") bytes)"
else
  echo "compare: the pages of $n files differ:"
  diff <(grep -avE '^(date|time)=' "$old_page") <(grep -avE '^(date|time)=' "$new_page") | head -20 | cut -c1-200
  status=1
fi
rm -rf "$work/compare-old" "$work/compare-new"
[ "${KEEP:-0}" = 1 ] || rm -rf "$tree_root"
exit $status
