#!/usr/bin/env bash
# Cross-builds the test programs for 64-bit Windows and runs them under Wine, in a Chinese UTF-8
# locale (so the ANSI code page is 936 and Chinese file names work); then starts dxbk-tool.exe from
# the unzipped package under Xvfb, takes a picture of its main window and closes it through
# 文件 → 退出. Every test that is not run, and every case a test skips, is named at the end.
# Needs Qt for Windows (scripts/build-qt-windows.sh; built on first use, over an hour).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build-win/test"
jobs="${DXBK_JOBS:-$(nproc)}"

qt="$(scripts/build-qt-windows.sh | tail -1)"
[ -f "$qt/.dxbk-complete" ] || { echo "Qt for Windows is not complete in $qt" >&2; exit 1; }

need=(wine wine64 xvfb xauth xdotool imagemagick fonts-noto-cjk locales zip unzip openssl)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Wine takes its code page and file-name encoding from the Unix locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  $SUDO locale-gen
fi
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$build/wine"
winpath() { echo "Z:${1//\//\\}"; }
gccdir="$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | head -1)"
# Qt's and MinGW's DLLs for the tests; the package carries its own copies.
export WINEPATH="$(winpath "$qt/bin");$(winpath "$gccdir");$(winpath /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(winpath "$qt/plugins")"
export QT_QPA_PLATFORM=offscreen

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/scripts/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Debug -DDXBK_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build "$build" --parallel "$jobs"

[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1 || true
wineserver -p 60 # one Wine server for the whole run, not one per test

# Tests Wine cannot run, each with its reason.
declare -A skipped=(
)
exclude="$(IFS='|'; echo "${!skipped[*]}")"
status=0
(cd "$build" && ctest -V -j"$jobs" --timeout 600 ${exclude:+-E "^($exclude)\$"}) > "$build/ctest.log" 2>&1 || status=$?
grep -E '^[0-9]+/[0-9]+ Test|tests passed|tests failed|Total Test time' "$build/ctest.log" || true
if [ $status -ne 0 ]; then
  echo "--- failures (full output in $build/ctest.log):"
  grep -E '^[0-9]+: (FAIL!|   Loc:)|^[0-9]+: .*\*\*\*Failed|Exception' "$build/ctest.log" | head -60 || true
fi

scripts/build-windows.sh >/dev/null
smoke="$build/smoke"
rm -rf "$smoke"
mkdir -p "$smoke" "$root/docs/screenshots"
unzip -q dist/dxbk-tool-*-win64.zip -d "$smoke"
app="$(ls -d "$smoke"/dxbk-tool-*-win64)"
shot="$build/wine-main-window.png"
smoke_ok=0
(
  unset QT_QPA_PLATFORM QT_PLUGIN_PATH WINEPATH
  export DISPLAY=:57
  Xvfb :57 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 2
  cd "$app"
  wine ./dxbk-tool.exe >/dev/null 2>&1 &
  prog=$!
  win=""
  for _ in $(seq 60); do
    win="$(xdotool search --name '欢迎使用岱溪银行跨行代发助手' 2>/dev/null | head -1)" && [ -n "$win" ] && break
    sleep 1
  done
  [ -n "$win" ] || { echo "smoke: the main window did not appear"; exit 1; }
  sleep 3
  # The window alone: Xvfb has no window manager, so there is no frame to take with it.
  import -window "$win" "$shot"
  # 文件 → 退出, then 确定 in the question.
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  xdotool key --delay 300 alt+f x
  sleep 2
  xdotool key Return
  for _ in $(seq 20); do
    kill -0 $prog 2>/dev/null || exit 0
    sleep 1
  done
  echo "smoke: dxbk-tool.exe did not close through 文件 → 退出"
  kill $prog 2>/dev/null || true
  exit 1
) && smoke_ok=1
if [ $smoke_ok -eq 1 ]; then
  cp "$shot" "$root/docs/screenshots/windows-wine-main.png"
  echo "smoke: dxbk-tool.exe started, pictured ($shot) and closed through 文件 → 退出"
else
  status=1
fi

echo "--- not run on Windows:"
for t in "${!skipped[@]}"; do echo "  $t: ${skipped[$t]}"; done
echo "--- cases skipped inside the tests:"
grep -E '^[0-9]+: SKIP' "$build/ctest.log" | sed 's/^[0-9]*: /  /' || echo "  none"
exit $status
