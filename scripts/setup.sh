#!/usr/bin/env bash
# Installs what building and testing Ostrivel needs on a Debian 12 machine:
# only the packages that are missing, after one apt-get update.
set -euo pipefail
cd "$(dirname "$0")/.."

want_packages=(
  g++ cmake ninja-build pkg-config libicu-dev googletest libgtest-dev
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64
  xvfb xauth xdotool x11-utils imagemagick libmagickcore-6.q16-6-extra fonts-wqy-microhei locales
  chromium clang libclang-rt-14-dev tree
)
missing=()
for p in "${want_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Node.js and npm often come from outside Debian's archive (the machine image's
# own); Debian's packages are only a fallback where they are absent.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its user locale from LANG only when that glibc locale exists.
need_locales=(en_US.UTF-8 zh_CN.UTF-8 de_DE.UTF-8 sv_SE.UTF-8)
regen=0
for l in "${need_locales[@]}"; do
  norm=$(echo "$l" | sed 's/UTF-8/utf8/')
  if ! locale -a 2>/dev/null | grep -qx "$norm"; then
    sed -i -E "s/^# *(${l} UTF-8)/\1/" /etc/locale.gen
    grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" >> /etc/locale.gen
    regen=1
  fi
done
if [ $regen = 1 ]; then locale-gen >/dev/null; fi

# The page's browser tests drive Debian's chromium through playwright-core.
if [ -f template/package.json ] && [ ! -d template/node_modules/playwright-core ]; then
  (cd template && npm ci --no-audit --no-fund --silent 2>/dev/null || npm install --no-audit --no-fund --silent)
fi
