#!/usr/bin/env bash
# Builds the program and starts it from its build folder, installing what is missing first.
# The program is a desktop window: it needs a display (a desktop session, or a virtual one:
# xvfb-run -a scripts/run.sh).
# usage: scripts/run.sh [--full]   (--full: the full edition, dxbk-tool-full)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program=dxbk-tool
case "${1:-}" in
  "") ;;
  --full) program=dxbk-tool-full ;;
  *) echo "usage: scripts/run.sh [--full]" >&2; exit 2 ;;
esac

# Said before anything is installed or built, not after the wait. On a fresh machine xvfb-run
# is not there yet: it comes with the packages install-deps.sh installs, so the advice puts that first.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "No display found: the program needs a graphical desktop." >&2
  if command -v xvfb-run > /dev/null; then
    echo "Run it under a virtual display instead:  xvfb-run -a scripts/run.sh" >&2
  else
    echo "Run it under a virtual display instead (this installs xvfb-run first):" >&2
    echo "  scripts/install-deps.sh && xvfb-run -a scripts/run.sh" >&2
  fi
  exit 1
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build/release" --target "$program" dxbk-cli
bindir="$root/build/release/app"

# The program keeps its data files next to the executable. A first start gets a sample
# routing-code list and small sample rosters, so that the books and pickers have something to
# show; files that are already there are never replaced.
for sample in BankNo.txt kuahangacc.txt hangneiacc.txt 代发工资.txt; do
  if [ ! -e "$bindir/$sample" ]; then
    cp "$root/resources/sample/$sample" "$bindir/$sample"
  fi
done

# And an empty workbook of each import layout, to fill in and import.
mkdir -p "$bindir/导入模板"
for layout in payroll:跨行代发工资 batch:行内批量转账 roster:代发账户名册; do
  if [ ! -e "$bindir/导入模板/${layout#*:}.xlsx" ]; then
    "$bindir/dxbk-cli" template "${layout%%:*}" "$bindir/导入模板/${layout#*:}.xlsx" > /dev/null
  fi
done

# Qt keeps per-user runtime files (the program's start marker among them) in XDG_RUNTIME_DIR;
# where a session has none (a root shell, a container), give it a private one instead of Qt's
# warning and its fallback.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
exec "$bindir/$program"
