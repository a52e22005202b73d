#!/usr/bin/env bash
# Writes a snapshot page of a folder and prints the page's path. On a fresh
# Debian 12 machine it first installs what building needs and builds
# ostrivel-cli (native preset); later runs only rebuild what changed.
#   bash scripts/run.sh [SOURCE [OUTPUT-FOLDER [ostrivel-cli options...]]]
# SOURCE defaults to the current directory, OUTPUT-FOLDER too.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source_root=${1:-$PWD}
output_folder=${2:-$PWD}
shift $(( $# > 2 ? 2 : $# ))

need=(g++ cmake ninja-build pkg-config libicu-dev googletest libgtest-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "run: installing ${missing[*]}" >&2
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq >&2
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >&2
fi

log="$repo/build-run.log"
if ! (cd "$repo" && cmake --preset native && cmake --build --preset native --target ostrivel-cli) \
    >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "run: the build failed (see $log)" >&2
  exit 1
fi
rm -f "$log"
exec "$repo/build/native/cli/ostrivel-cli" "$@" -- "$source_root" "$output_folder"
