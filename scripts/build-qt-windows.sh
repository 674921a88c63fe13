#!/usr/bin/env bash
# Builds Qt 6.4.2's qtbase for 64-bit Windows (MinGW-w64, shared, Schannel TLS) from Debian's source
# package into a cache folder outside the repository. (Qt5Compat and QuaZip are not built: their
# Debian sources cannot be fetched here; wincompat/ stands in for the little the program uses.)
# Slow once (68m51s for qtbase on two cores), then reused: the folder is named after its inputs and
# counts only when its stamp file is there, so a build cut off half-way is never taken for a
# finished one.
#
#   scripts/build-qt-windows.sh           build what is missing, print the prefix on the last line
#   scripts/build-qt-windows.sh --prefix  print the prefix the inputs give (built or not), build nothing
#
# Environment: DXBK_QT_CACHE (default ~/.cache/dxbk-tool), DXBK_JOBS (default: number of cores).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache="${DXBK_QT_CACHE:-$HOME/.cache/dxbk-tool}"
src="$cache/src"
jobs="${DXBK_JOBS:-$(nproc)}"

# Bump when a configure option below changes, so the cache folder changes with it.
recipe=3
qtbase_opts=(
  -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF
  # Debian's sources lack src/3rdparty/wintab, which tablet events need.
  -DFEATURE_tabletevent=OFF
  # Windows' own TLS: nothing extra to ship.
  -DFEATURE_openssl=OFF -DFEATURE_schannel=ON
  # Everything third-party from the bundled copies, never from the Linux host.
  -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_doubleconversion=OFF
  # OpenGL stays on: the 6.4.2 Windows plugin does not compile without it (dynamicgl).
)

need_pkgs=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev cmake ninja-build dpkg-dev qt6-base-dev
           qt6-base-dev-tools qt6-5compat-dev)
missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

gxx=x86_64-w64-mingw32-g++-posix
key="$( { echo "recipe $recipe"; printf '%s\n' "${qtbase_opts[@]}";
          "$gxx" --version 2>/dev/null | head -1 || echo "no-compiler"; } | sha256sum | cut -c1-12)"
prefix="$cache/qt-6.4.2-mingw-$key"
stamp="$prefix/.dxbk-complete"
if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
  # The key depends on the compiler's version; start over now that it is there.
  exec "$0" "$@"
fi

build="$cache/build-$key"
mkdir -p "$src" "$build" "$prefix"

# Debian's source packages; apt needs a deb-src entry for them.
fetch() { # fetch SOURCE-PACKAGE DIR
  [ -d "$src/$2" ] && return 0
  if ! apt-get source --help >/dev/null 2>&1 || ! (cd "$src" && apt-get source -q --download-only "$1"); then
    if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      echo "Adding a deb-src entry for bookworm"
      printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        | $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
      $SUDO apt-get update
    fi
    (cd "$src" && apt-get source -q --download-only "$1")
  fi
  (cd "$src" && dpkg-source -x "$(ls "$1"_*.dsc | head -1)" "$2")
}

cat > "$build/mingw.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
tc=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$build/mingw.cmake" -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/x86_64-w64-mingw32")

stage() { # stage NAME SOURCE-DIR CMAKE-OPTIONS...
  local name="$1" dir="$2"
  shift 2
  [ -f "$build/$name.installed" ] && return 0
  echo "== $name: configure ($(date +%T))"
  [ -f "$build/$name/build.ninja" ] || cmake -S "$dir" -B "$build/$name" "${tc[@]}" "$@"
  echo "== $name: build ($(date +%T))"
  cmake --build "$build/$name" --parallel "$jobs"
  cmake --install "$build/$name"
  touch "$build/$name.installed"
}

fetch qt6-base qtbase
stage qtbase "$src/qtbase" "${host[@]}" "${qtbase_opts[@]}"
date -u +%FT%TZ > "$stamp"
echo "$prefix"
