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
  export WINEPREFIX="$dir/wineprefix"
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
      "$WINE" wineboot -i >/dev/null 2>&1 || true
      # Debian's Wine has no Tahoma: map it to a CJK font so Chinese captions render.
      "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
      "$WINESERVER" -w
      touch "$WINEPREFIX/.ostrivel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
"$WINESERVER" -p30 2>/dev/null || true
# The session's services (services.exe, explorer...) outlive the program and
# keep the standard handles they inherit, so ctest would wait for them (until
# the server exits, 30 s later). Start them from a process whose handles lead
# nowhere; with a session already running this costs a fraction of a second.
"$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
exec "$WINE" "$exe" "$@"
