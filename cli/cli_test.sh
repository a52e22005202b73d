#!/usr/bin/env bash
# ostrivel-cli end to end, as a user runs it: exit statuses, standard output
# and error, and the page it writes for a tree made on disk.
#   cli_test.sh EXE [RUNNER...]   RUNNER: e.g. cmake/wine-run.sh for the .exe
set -u
exe=$1
shift
runner=("$@")
here=$(cd "$(dirname "$0")" && pwd)
case "$exe" in *.exe) windows=1 ;; *) windows=0 ;; esac

work=$(mktemp -d "$PWD/cli-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect_eq() {  # what got want
  if [ "$2" != "$3" ]; then
    fail "$1"
    echo "  got:  $(printf '%q' "$2")"
    echo "  want: $(printf '%q' "$3")"
  fi
}
expect_match() {  # what text extended-regex
  if ! printf '%s' "$2" | grep -Eq -- "$3"; then
    fail "$1: $(printf '%q' "$2") does not match $3"
  fi
}

# The path as the program is given it: Wine sees the Unix root as Z:.
arg_path() {
  if [ $windows = 1 ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi
}
# A path the program printed, back on the Unix side.
unix_path() {
  if [ $windows = 1 ]; then
    local p=${1#Z:}
    printf '%s' "${p//\\//}"
  else
    printf '%s' "$1"
  fi
}

# Runs the program; sets status, out and err (CR of Windows line ends removed).
run() {
  "${runner[@]}" "$exe" "$@" >"$work/stdout" 2>"$work/stderr"
  status=$?
  out=$(tr -d '\r' <"$work/stdout")
  err=$(tr -d '\r' <"$work/stderr")
}

# A field NAME=value of the page made from fields.html.
field() { sed -n "s/^$1=//p" "$2" | tr -d '\r'; }
# The record block of that page: the lines between "DIR DATA:" and the empty line.
records() { sed -n '/^DIR DATA:/,/^END/p' "$1" | tr -d '\r' | sed '1d;$d'; }

fields=$(arg_path "$here/testdata/fields.html")

# The worked example: a tree with known sizes and times (TZ is UTC).
root="$work/快照 数据/Data"
mkdir -p "$root/R&D" "$root/Music/Live" "$work/输出" "$work/cwd"
truncate -s 2048 "$root/readme.md"
truncate -s 120 "$root/notes.txt"
truncate -s 4000000 "$root/Music/song.mp3"
TZ=UTC touch -d '2018-11-30 17:45:10' "$root/readme.md"
TZ=UTC touch -d '2018-12-01 08:00:00' "$root/notes.txt"
TZ=UTC touch -d '2018-12-02 20:14:59' "$root/Music/song.mp3"
TZ=UTC touch -d '2018-12-02 20:15:07' "$root/Music/Live" "$root/Music"
TZ=UTC touch -d '2018-12-05 11:02:33' "$root/R&D"
TZ=UTC touch -d '2018-12-08 09:30:00' "$root"

source_arg=$(arg_path "$root")
out_arg=$(arg_path "$work/输出")
run -q --template "$fields" "$source_arg" "$out_arg"
expect_eq "worked example: exit status" "$status" 0
expect_eq "worked example: quiet standard error" "$err" ""
expect_eq "worked example: one line on standard output" "$(printf '%s\n' "$out" | wc -l)" 1
sep=/
[ $windows = 1 ] && sep='\'
expect_match "worked example: page path" "$out" "^$(printf '%s' "$out_arg$sep" | sed 's/[][\\.*^$|+?(){}]/\\&/g')[0-9]{12}\\.html$"
page=$(unix_path "$out")
if [ ! -f "$page" ]; then
  fail "worked example: no page at $page"
else
  r=${source_arg//\\//}
  want=$(printf '%s\n' \
    "D.p([\"$r*0*2018/12/8 9:30:00\",\"notes.txt*120*2018/12/1 8:00:00\",\"readme.md*2048*2018/11/30 17:45:10\",2168,\"1*3\"])" \
    "D.p([\"$r/Music*0*2018/12/2 20:15:07\",\"song.mp3*4000000*2018/12/2 20:14:59\",4000000,\"2\"])" \
    "D.p([\"$r/Music/Live*0*2018/12/2 20:15:07\",0,\"\"])" \
    "D.p([\"$r/R&amp;D*0*2018/12/5 11:02:33\",0,\"\"])" \
    "")
  expect_eq "worked example: record block" "$(records "$page")" "$want"
  expect_eq "worked example: [NUM FILES]" "$(field 'NUM FILES' "$page")" 3
  expect_eq "worked example: [TOT SIZE]" "$(field 'TOT SIZE' "$page")" 4002168
  expect_eq "worked example: [NUM DIRS]" "$(field 'NUM DIRS' "$page")" 4
  expect_eq "worked example: [SOURCE ROOT]" "$(field 'SOURCE ROOT' "$page")" "$r"
  expect_eq "worked example: default title" "$(field TITLE "$page")" "$source_arg 快照"
  expect_eq "worked example: [APP NAME]" "$(field 'APP NAME' "$page")" Ostrivel
  expect_eq "worked example: [APP VER]" "$(field 'APP VER' "$page")" 1.0
  expect_eq "worked example: [APP LINK]" "$(field 'APP LINK' "$page")" https://forum.vantreth.example/
  expect_eq "worked example: [LINK FILES]" "$(field 'LINK FILES' "$page")" false
  expect_eq "worked example: [LINK ROOT]" "$(grep -c $'^LINK ROOT=\r$' "$page")" 1
  # The template's encoding and line ends carried into the page.
  expect_eq "worked example: UTF-8 mark" "$(head -c 3 "$page" | od -An -tx1 | tr -d ' ')" efbbbf
  expect_eq "worked example: CR LF after every line" \
    "$(grep -c $'\r$' "$page")" "$(wc -l <"$page")"
fi

# Default output folder (the current directory) and default template; the
# completion line goes to standard error, with no progress off a terminal.
(failures=0; cd "$work/cwd" && run -t '标题 <b>[APP NAME]</b>' "$source_arg"
 expect_eq "default folder: exit status" "$status" 0
 expect_match "default folder: completion line" "$err" '^总耗时[0-9]+秒$'
 expect_match "default folder: page in the current directory" "$out" "[0-9]{12}\\.html$"
 [ -f "$work/cwd/$(basename "$(unix_path "$out")")" ] || fail "default folder: no page in $work/cwd"
 exit $failures)
failures=$((failures + $?))

# Empty and missing source roots still give a page with one record.
run -q --template "$fields" "" "$out_arg"
expect_eq "empty root: exit status" "$status" 0
page=$(unix_path "$out")
expect_eq "empty root: record" "$(records "$page")" 'D.p(["*0*-",0,""])'
expect_eq "empty root: [NUM DIRS]" "$(field 'NUM DIRS' "$page")" 1
missing_arg=$(arg_path "$work/none")
run -q --template "$fields" "$missing_arg" "$out_arg"
expect_eq "missing root: exit status" "$status" 0
page=$(unix_path "$out")
expect_eq "missing root: record" "$(records "$page")" "D.p([\"${missing_arg//\\//}*0*-\",0,\"\"])"
expect_eq "missing root: [NUM FILES]" "$(field 'NUM FILES' "$page")" 0

# A missing template is a failure that names the path looked for.
run --template "$(arg_path "$work/no-template.html")" "$source_arg" "$out_arg"
expect_eq "missing template: exit status" "$status" 1
expect_eq "missing template: standard output" "$out" ""
expect_match "missing template: message" "$err" 'Cannot find template file ".*no-template\.html"'

# An output folder where nothing can be created.
run -q --template "$fields" "$source_arg" "$(arg_path "$work/gone/away")"
expect_eq "no output folder: exit status" "$status" 1
expect_eq "no output folder: standard output" "$out" ""
expect_match "no output folder: message" "$err" '^Cannot create file ".*away.[0-9]{12}\.html"\. .+'

# Usage, version and usage errors.
run --version
expect_eq "--version: exit status" "$status" 0
expect_eq "--version: output" "$out" "Ostrivel 1.0"
run -h
expect_eq "-h: exit status" "$status" 0
expect_match "-h: usage" "$out" '^Usage: ostrivel-cli \[options\] SOURCE \[OUTPUT-FOLDER\]'
run
expect_eq "no SOURCE: exit status" "$status" 2
expect_match "no SOURCE: usage on standard error" "$err" 'Usage: ostrivel-cli'
expect_eq "no SOURCE: standard output" "$out" ""
run --bogus "$source_arg"
expect_eq "unknown option: exit status" "$status" 2
expect_match "unknown option: named" "$err" 'unknown option --bogus'

# Progress is drawn only on a terminal (natively, through script's pty).
if [ $windows = 0 ] && command -v script >/dev/null; then
  SHELL=/bin/sh script -qec "$(printf '%q ' "$exe" --template "$fields" "$source_arg" "$out_arg")" \
    /dev/null >"$work/tty" 2>&1
  expect_match "terminal: progress" "$(tr -d '\r' <"$work/tty")" '目录 4/4  文件 3  用时 [0-9]+\.[0-9]秒'
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
