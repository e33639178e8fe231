#!/bin/sh
# Builds the fuzz targets with clang in build-fuzz and runs each for SECONDS (default 60)
# on a copy of its seed corpus. Fails on the first crash or sanitizer report; the input
# that caused it is kept in build-fuzz/fuzz/findings/TARGET/.
# Usage: fuzz/run.sh [SECONDS] [TARGET...]   (targets without the fuzz_ prefix)
set -eu
seconds=${1:-60}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTARVEX_FUZZ=ON -DTARVEX_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_all -j2 >/dev/null

targets=${*:-$(ls "$root/fuzz/corpus")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=""
for target in $targets; do
  mkdir -p "$work/$target" "$build/fuzz/findings/$target"
  cp "$root/fuzz/corpus/$target/"* "$work/$target/"
  printf '%-20s %ss ... ' "$target" "$seconds"
  if "$build/fuzz/fuzz_$target" "$work/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz/findings/$target/" >"$work/$target.log" 2>&1; then
    awk '/stat::number_of_executed_units/ {runs = $2} /cov: [0-9]+/ {for (i = 1; i < NF; i++) if ($i == "cov:") cov = $(i + 1)}
         END {printf "ok, %s runs, %s edges\n", runs, cov}' "$work/$target.log"
  else
    echo FAILED
    tail -n 40 "$work/$target.log"
    failed="$failed $target"
  fi
done
[ -z "$failed" ] || { echo "fuzz targets that failed:$failed (inputs in $build/fuzz/findings/)"; exit 1; }
