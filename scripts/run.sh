#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from its build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build/release" --target dxbk-tool
bindir="$root/build/release/app"
# The program keeps its data files next to the executable. Give it a sample
# routing-code list when there is none yet.
if [ ! -f "$bindir/BankNo.txt" ]; then
  cp "$root/resources/sample/BankNo.txt" "$bindir/BankNo.txt"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "No display found: the program needs a graphical desktop." >&2
  echo "Run it under a virtual display instead:  xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec "$bindir/dxbk-tool"
