#!/usr/bin/env bash
# Builds the lookup benchmark in Release, writes the large test files and compares loading
# BankNo.txt with iconv converting the same file.
#
# usage: bench/run_lookup_bench.sh [DATADIR] [REPEATS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data="${1:-$root/build/bench-data}"
repeats="${2:-5}"
build="$root/build/bench-release"

if [ ! -f "$data/BankNo.txt" ] || [ ! -f "$data/kuahangacc.txt" ]; then
  /usr/bin/python3 "$root/bench/gen_lookup_data.py" "$data"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j1 --target bench_lookup

echo "BankNo.txt: $(wc -l <"$data/BankNo.txt") lines, $(stat -c %s "$data/BankNo.txt") bytes"
# iconv reads and converts the whole file; the median of several runs.
times=()
for _ in $(seq 9); do
  start=$(date +%s%N)
  iconv -f GBK -t UTF-8 "$data/BankNo.txt" >/dev/null
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 5p)
echo "iconv -f GBK -t UTF-8 BankNo.txt: median $((median / 1000)).$(( (median % 1000) / 100 )) ms of 9 runs (process start included)"

QT_QPA_PLATFORM=offscreen "$build/bench/bench_lookup" "$data" "$repeats" 2>/dev/null
