#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang and libFuzzer (build/fuzz) and runs them.
#
#   scripts/fuzz.sh TARGET [SECONDS]   replay TARGET's regression files, then fuzz it (default 60 s)
#   scripts/fuzz.sh all [SECONDS]      every target in turn
#   scripts/fuzz.sh --list             the targets
#
# The corpus grows in build/fuzz/corpus/TARGET; the log of the last run is build/fuzz/logs/TARGET.log.
# When libFuzzer finds an input (crash, leak, timeout, out of memory) it is kept in
# build/fuzz/artifacts/TARGET/ and the script fails: fix the product, then copy the input to
# tests/fuzz/regressions/TARGET/, where the ordinary test run replays it from then on.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"
what="${1:?usage: scripts/fuzz.sh TARGET|all|--list [SECONDS]}"
seconds="${2:-60}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ is not installed: the fuzz targets need clang and libFuzzer (scripts/install-deps.sh installs them)." >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDXBK_FUZZ=ON >/dev/null
mapfile -t targets < <(cd "$build/fuzz-targets" && ls -- *.dirs | sed 's/\.dirs$//')
if [ "$what" = "--list" ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
if [ "$what" != "all" ]; then
  if [ ! -f "$build/fuzz-targets/$what.dirs" ]; then
    echo "no fuzz target $what; there are: ${targets[*]}" >&2
    exit 2
  fi
  targets=("$what")
fi
nice -n 10 cmake --build "$build" --target "${targets[@]}" -j2

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
  exe="$build/tests/fuzz/$target"
  mapfile -t dirs < "$build/fuzz-targets/$target.dirs"
  regressions="${dirs[0]}"
  seeds=()
  for dir in "${dirs[@]:1}"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  echo "== $target: ${seconds}s"
  status=0
  (
    set -e
    # Every input found before must still pass; then new inputs from the corpus and the seeds.
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
      "$exe" -timeout=60 -rss_limit_mb=2048 "$regressions"/*
    fi
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
           -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}"
  ) >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "$target found an input (see $log and $artifacts/): fix the product and add the input to tests/fuzz/regressions/$target/" >&2
    failed+=("$target")
    continue
  fi
  # libFuzzer's closing figures: runs, coverage (cov) and features (ft).
  grep -E '^(#[0-9]+\s+DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed 's/^/   /' || true
done
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz targets with findings: ${failed[*]}" >&2
  exit 1
fi
