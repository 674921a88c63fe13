#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors), runs every test, then runs each fuzz target for 20 s (scripts/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

# Message boxes and file dialogs go through the one service in common/, so tests can answer them.
direct=$(cd "$root" && find app payroll batch rosters lookup update print -name '*.cpp' -o -name '*.h' |
         xargs grep -lE 'QMessageBox|QFileDialog' || true)
if [ -n "$direct" ]; then
  echo "Message boxes and file dialogs must go through common/Dialogs.h; used directly in:" >&2
  echo "$direct" >&2
  exit 1
fi

# The core library holds the rules that need no widget; it never includes a Gui or Widgets header.
"$root/scripts/check-core.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDXBK_SANITIZE=ON -DDXBK_WERROR=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j2 "$@"

# Then each fuzz target for a bounded time with libFuzzer, in its own clang build (build/fuzz).
# The ordinary run above has already replayed every regression input on the gcc build.
if command -v clang++ >/dev/null 2>&1; then
  "$root/scripts/fuzz.sh" all 20
else
  echo "clang++ is not installed: fuzz targets replayed but not fuzzed (scripts/install-deps.sh installs clang)." >&2
fi
