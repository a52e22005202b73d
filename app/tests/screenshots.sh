#!/usr/bin/env bash
# Screenshots of the running program under Xvfb: both tabs and the folder
# chooser, for a person to look at. Run through gui-run.sh:
#   gui-run.sh screenshots.sh OSTRIVEL_EXE DRIVE_EXE OUTDIR
set -euo pipefail
exe=$1 drive=$2 out=$3
wine_run=${OSTRIVEL_WINE_RUN:?}
mkdir -p "$out"
rm -f "$out"/*.png

"$wine_run" "$exe" &
program=$!
step() { "$wine_run" "$drive" "$@"; }
shot() { sleep 1; import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }

step wait-main 60
shot snapshot-tab
step key 100 39          # VK_RIGHT on the tab strip: the About page
shot about-tab
step key 100 37          # back to the first page
step click 105           # btnOpen: the source chooser
step wait-dialog 30
shot folder-chooser
step dialog 2            # Cancel
step close
wait "$program"
echo "exit code $?"
for f in snapshot-tab about-tab folder-chooser; do [ -s "$out/$f.png" ]; done
