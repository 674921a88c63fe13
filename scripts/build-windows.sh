#!/usr/bin/env bash
# Cross-builds the 64-bit Windows programs (both editions and dxbk-cli) with MinGW-w64 and packs
# what a clerk receives: dist/dxbk-tool-<version>-win64.zip, a portable folder.
# The first run builds Qt for Windows (scripts/build-qt-windows.sh, over an hour on two cores);
# later runs reuse it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build-win"
jobs="${DXBK_JOBS:-$(nproc)}"

qt="$(scripts/build-qt-windows.sh | tail -1)"
[ -f "$qt/.dxbk-complete" ] || { echo "Qt for Windows is not complete in $qt" >&2; exit 1; }
missing=()
for p in zip binutils-mingw-w64-x86-64 qt6-translations-l10n; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/scripts/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DDXBK_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$jobs" --target dxbk-tool dxbk-tool-full dxbk-cli

version="$(sed -n 's/^project(dxbk-tool VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
name="dxbk-tool-$version-win64"
stage="$build/dist/$name"
rm -rf "$build/dist"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/tls" "$stage/translations" dist
for exe in dxbk-tool dxbk-tool-full dxbk-cli; do
  x86_64-w64-mingw32-strip -o "$stage/$exe.exe" "$build/app/$exe.exe"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$qt/plugins/tls/qschannelbackend.dll" "$stage/tls/"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
# Qt looks for its translations through qt.conf beside the executable; plugins are found there anyway.
printf '[Paths]\r\nPrefix = .\r\nTranslations = translations\r\nPlugins = .\r\n' > "$stage/qt.conf"
cp resources/sample/BankNo.txt "$stage/"
# Notepad reads UTF-8 with a byte-order mark, and wants CRLF on older Windows.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "resources/windows/使用说明.txt"; } > "$stage/使用说明.txt"

# The DLLs the executables and plugins import, and theirs, from Qt and the MinGW runtime only;
# whatever is not found there is Windows' own.
libdirs=("$qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
queue=("$stage"/*.exe "$stage"/*/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
  pe="${queue[0]}"
  queue=("${queue[@]:1}")
  while read -r dll; do
    [ -e "$stage/$dll" ] && continue
    for d in "${libdirs[@]}"; do
      if [ -f "$d/$dll" ]; then
        x86_64-w64-mingw32-strip -o "$stage/$dll" "$d/$dll"
        queue+=("$stage/$dll")
        break
      fi
    done
  done < <(x86_64-w64-mingw32-objdump -p "$pe" | sed -n 's/^\s*DLL Name: //p')
done

rm -f "dist/$name.zip"
(cd "$build/dist" && zip -qr -X "$root/dist/$name.zip" "$name")
echo "dist/$name.zip:"
(cd "$build/dist" && find "$name" -type f | sort | sed 's/^/  /')
