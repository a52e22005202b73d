#!/bin/sh
# A tree of entries that only Linux can make (names Windows forbids, symbolic
# links), for the Win32 back end's tests under Wine, which sees it through Z:.
set -e
root="$1"
rm -rf "$root"
mkdir -p "$root/odd/plain/x" "$root/side/s1"
cd "$root/odd"
mkdir -p 'bad|dir/inner' 'star*dir/inner' 'back\slash/inner' 'co:lon/inner'
printf 'hello' > file.txt
printf 'q' > 'quote"file.txt'
printf 'p' > 'pipe|file.txt'
# Files that the name 'star*file' matches as a pattern.
for c in A B C D E F G H I J; do printf 'abc' > "star${c}file"; done
printf 'x' > 'star*file'
ln -s file.txt filelink
ln -s nowhere dangling
ln -s self self
ln -s ../side side
ln -s .. plain/up
ln -s ../plain plain/here
ln -s / plain/top
touch -d '2018-12-08 09:30:00 UTC' "$root/side"
