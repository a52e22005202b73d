#!/usr/bin/env bash
# Builds the Windows release, dist/Ostrivel-1.0-win64.zip: Ostrivel.exe,
# ostrivel-cli.exe, template.html and a short read-me, side by side, as the
# programs expect them (the template is looked for beside the executable).
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.0
zip_name=Ostrivel-${version}-win64.zip
template=${OSTRIVEL_TEMPLATE:-template/template.html}

# Only what building the Windows programs needs; the tests' set-up is scripts/setup.sh.
need=(cmake ninja-build googletest mingw-w64 g++-mingw-w64-x86-64-posix imagemagick
  libmagickcore-6.q16-6-extra zip unzip)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "release: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ ! -f "$template" ]; then
  echo "release: $template is missing" >&2
  exit 1
fi

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Ostrivel ostrivel-cli

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp build/win64/app/Ostrivel.exe build/win64/cli/ostrivel-cli.exe "$stage/"
x86_64-w64-mingw32-strip "$stage/Ostrivel.exe" "$stage/ostrivel-cli.exe"
cp "$template" "$stage/template.html"

# The read-me: UTF-8 with its byte-order mark and CR LF, so that Notepad on
# any Windows shows the Chinese text.
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<TEXT
VantrethOstrivel ${version}

Ostrivel 把一个文件夹及其下的全部子文件夹和文件写成一个网页快照，
用任何浏览器都能离线浏览。

使用方法
  1. 双击 Ostrivel.exe。
  2. 点“选择”挑选要快照的文件夹（也可以直接在“选择路径”里输入路径）。
  3. 点“创建快照”，再选择网页保存的位置。完成后会显示总耗时。
  template.html 必须与 Ostrivel.exe 放在同一个文件夹里。

命令行
  ostrivel-cli.exe 是同一功能的命令行版本，适合脚本和计划任务；
  运行 ostrivel-cli.exe --help 查看用法。

Ostrivel turns a folder tree into one self-contained web page. Run
Ostrivel.exe, choose a source folder, press the create button and choose
where the page goes. Keep template.html beside the programs.
ostrivel-cli.exe does the same from the command line (--help).

论坛 / Forum: https://forum.vantreth.example/
TEXT
} >"$stage/README.txt"

mkdir -p dist
rm -f "dist/$zip_name"
(cd "$stage" && zip -q -X -9 "$OLDPWD/dist/$zip_name" Ostrivel.exe ostrivel-cli.exe template.html README.txt)
echo "release: dist/$zip_name"
unzip -l "dist/$zip_name"
