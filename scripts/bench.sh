#!/usr/bin/env bash
# Builds the performance programs in Release, writes the large data files once and runs them.
# usage: scripts/bench.sh [REPEATS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-5}"
"$root/scripts/install-deps.sh"
data="$root/build/bench-data"
build="$root/build/bench-release"
if [ ! -f "$data/BankNo.txt" ] || [ ! -f "$data/kuahangacc.txt" ]; then
  /usr/bin/python3 "$root/bench/gen_lookup_data.py" "$data"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_lookup bench_app bench_spreadsheet bench_cli bench_review
"$root/bench/run_lookup_bench.sh" "$data" "$repeats"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_app" "$data" "$repeats" 2>/dev/null
"$build/bench/bench_spreadsheet"
"$build/bench/bench_cli"
"$build/bench/bench_review" "$data" "$repeats"
