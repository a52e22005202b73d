#!/usr/bin/env bash
# The faults on real disks under Wine, with what a Windows program cannot make
# for itself prepared on the Linux side: a tree with a link loop, and (as
# root) a file system of 64 KiB. Their Windows paths (Wine's Z: drive) reach
# the tests through OSTRIVEL_FAULTS_LOOP and OSTRIVEL_SMALL_DISK.
#   real_faults_wine.sh RUNNER TEST-EXE [ARGS...]
set -u
runner=$1
exe=$2
shift 2
work=$(mktemp -d /tmp/ostrivel-faults.XXXXXX)
cleanup() {
  if mountpoint -q "$work/tiny" 2>/dev/null; then umount -l "$work/tiny"; fi
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$work/src/a/b"
printf x >"$work/src/a/b/f.txt"
ln -s .. "$work/src/a/b/again"
ln -s "$work/src" "$work/src/a/b/root"
ln -s . "$work/src/a/self"
export OSTRIVEL_FAULTS_LOOP=$(winpath "$work/src")

mkdir "$work/tiny"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k tmpfs "$work/tiny" 2>/dev/null; then
  export OSTRIVEL_SMALL_DISK=$(winpath "$work/tiny")
fi
"$runner" "$exe" "$@"
