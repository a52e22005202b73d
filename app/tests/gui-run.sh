#!/usr/bin/env bash
# Runs a window test on a virtual X display of its own: starts Xvfb on the
# first free display from 97 upward, runs the command (a .exe under Wine, any
# other command as it is), then ends the Wine prefix's processes, whose desktop
# belongs to this display, and the display itself.
#   gui-run.sh COMMAND [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=${OSTRIVEL_WINE_RUN:-$here/../../cmake/wine-run.sh}
: "${WINEPREFIX:?the window tests need a WINEPREFIX of their own}"
export WINEPREFIX
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver64)}

# A prefix left running by an earlier test would keep a desktop on a dead display.
"$WINESERVER" -k >/dev/null 2>&1 || true

xvfb_pid=
for n in $(seq "${OSTRIVEL_DISPLAY:-97}" 130); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then break; fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if xdpyinfo -display ":$n" >/dev/null 2>&1; then
    export DISPLAY=":$n"
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=
done
if [ -z "$xvfb_pid" ]; then
  echo "gui-run: no free X display for Xvfb" >&2
  exit 1
fi

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

case "$1" in
  *.exe) "$wine_run" "$@" ;;
  *) "$@" ;;
esac
