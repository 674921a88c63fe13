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

need=(wine wine64 xvfb xauth xdotool imagemagick fonts-noto-cjk fonts-dejavu-core qt6-translations-l10n locales zip unzip)
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
# Wine hands no QT_* variable of Linux to a Windows program; WINEQT_X reaches it as QT_X.
# The offscreen platform takes its fonts from one folder: the CJK fonts and DejaVu, linked.
fonts="$build/fonts"
mkdir -p "$fonts"
for f in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc \
         /usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
         /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf; do
  if [ -f "$f" ]; then ln -sf "$f" "$fonts/"; fi
done
export WINEQT_PLUGIN_PATH="$(winpath "$qt/plugins")" WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR="$(winpath "$fonts")"
# QtTest writes to the debugger, not to stdout, when the program has no console window.
export WINEQT_FORCE_STDERR_LOGGING=1

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/scripts/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Debug -DDXBK_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build "$build" --parallel "$jobs"
# Qt's Chinese translation for the tests, as the package's qt.conf gives it to the program.
for d in $(find "$build/tests" -name 'tst_*.exe' -printf '%h\n' | sort -u); do
  printf '[Paths]\r\nPrefix = %s\r\nTranslations = %s\r\n' "Z:$qt" "Z:/usr/share/qt6/translations" > "$d/qt.conf"
done

[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1 </dev/null || true
# One Wine server for the whole run, not one per test; it holds none of our output open.
wineserver -p 60 >/dev/null 2>&1 </dev/null || true # (already running: fine)
# The first Wine program of a session starts Wine's own services, which inherit its output: started
# here, they keep no test's output open (CTest would wait for it to the timeout).
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# Tests Wine cannot run, each with its reason.
declare -A skipped=(
  [tst_update_worker]="its HTTPS test server needs server-side TLS, which Wine's Schannel does not do (no server certificate taken from Qt), and its certificates are made by running openssl"
  [tst_update_dialog]="the same HTTPS test server as tst_update_worker"
)
exclude="$(IFS='|'; echo "${!skipped[*]}")"
status=0
(cd "$build" && ctest -V -j"$jobs" --timeout 600 ${exclude:+-E "^($exclude)\$"}) > "$build/ctest.log" 2>&1 </dev/null || status=$?
grep -aE '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed|Total Test time' "$build/ctest.log" || true
if [ $status -ne 0 ]; then
  echo "--- failures (full output in $build/ctest.log):"
  grep -aE '^[0-9]+: (FAIL!|   Loc:)|^[0-9]+: .*\*\*\*Failed|Exception' "$build/ctest.log" | head -60 || true
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
  unset WINEQT_QPA_PLATFORM WINEQT_PLUGIN_PATH WINEQT_QPA_FONTDIR WINEQT_FORCE_STDERR_LOGGING WINEPATH
  export DISPLAY=:57
  Xvfb :57 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 2
  cd "$app"
  wine ./dxbk-tool.exe >/dev/null 2>&1 </dev/null &
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
# One line per test function and reason, with the number of cases.
grep -aE '^[0-9]+: SKIP' "$build/ctest.log" |
  sed -E 's/^[0-9]+: SKIP +: ([^(]*)(\([^)]*\))? /\1: /' | sort | uniq -c |
  sed -E 's/^ *([0-9]+) (.*)$/  \2 (\1)/' || echo "  none"
exit $status
