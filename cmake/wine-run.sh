#!/usr/bin/env bash
# Runs a Windows executable under Wine in a prefix private to the build folder.
# The prefix is made once (wineboot) and reused; a persistent wineserver keeps
# each later start fast.
set -euo pipefail
exe=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=$(cd "$(dirname "$exe")" && pwd)
  # Wine rewrites the prefix's regional settings whenever a process starts
  # under another locale, so each locale gets a prefix of its own.
  case "${LANG:-C}" in
    C | C.* | POSIX | en_US.UTF-8 | en_US.utf8) export WINEPREFIX="$dir/wineprefix" ;;
    *) export WINEPREFIX="$dir/wineprefix-${LANG%%.*}" ;;
  esac
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE=${WINE:-$( [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 || command -v wine)}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver64)}
if [ ! -f "$WINEPREFIX/.ostrivel-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ostrivel-ready" ]; then
      "$WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
      # Debian's Wine has no Tahoma: map it to a CJK font so Chinese captions render.
      "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /t REG_SZ /d 'WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 9>&- || true
      "$WINESERVER" -w 9>&-
      touch "$WINEPREFIX/.ostrivel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# A server that is already up for this prefix answers on its socket
# (Debian's Wine keeps it in /tmp/wine-XXXXXX/server-DEV-INODE/).
server_id="server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")"
server_up() { compgen -G "/tmp/wine-*/$server_id/socket" >/dev/null || compgen -G "/tmp/.wine-$(id -u)/$server_id/socket" >/dev/null; }
if ! server_up; then
  # Wine's helper processes (services, devices) outlive the program and would
  # hold the caller's output pipe open until the server exits: start the server
  # and them once with no standard streams (and without our lock descriptor).
  (
    flock 9
    if ! server_up; then
      "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- || true
      "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINE" "$exe" "$@"
