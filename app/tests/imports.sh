#!/usr/bin/env bash
# Ostrivel.exe must start on systems without the per-monitor DPI query
# (before Windows 8.1): nothing of shcore.dll may be imported, only looked up.
#   imports.sh OBJDUMP OSTRIVEL_EXE
set -euo pipefail
imports=$("$1" -p "$2")
if grep -qiE 'shcore|GetDpiForMonitor' <<<"$imports"; then
  echo "Ostrivel.exe imports the DPI query:" >&2
  grep -iE 'DLL Name|shcore|GetDpiForMonitor' <<<"$imports" >&2
  exit 1
fi
grep -q 'DLL Name: USER32.dll' <<<"$imports"
echo "imports: $(grep 'DLL Name' <<<"$imports" | awk '{print $3}' | tr '\n' ' ')"
