#!/usr/bin/env bash
# The second CI step: the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan), the transfer and download worker tests under ThreadSanitizer (build-tsan),
# and a short run of every fuzz target (build-fuzz). Installs what the build needs
# (scripts/setup.sh) and adds clang and its sanitizer runtimes.
# Usage: scripts/check.sh [FUZZ_SECONDS]   (per fuzz target, default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds=${1:-20}
jobs=2

# What the build needs, and clang with its sanitizer runtimes.
scripts/setup.sh clang libclang-rt-14-dev

step() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }

# Unoptimised builds with line tables only: the least compile time, every access seen,
# stack traces with file and line.
build_unit_tests() {
  local folder=$1
  shift
  cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 "$@" >/dev/null
  cmake --build "$folder" --target unit_tests -j"$jobs" >/dev/null
}

step "unit tests under ASan+UBSan"
build_unit_tests build-asan -DTARVEX_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan -L unit -j"$jobs" --output-on-failure --timeout 300

step "worker-thread tests under TSan"
build_unit_tests build-tsan -DTARVEX_TSAN=ON
# QProcess forks from a threaded process; the child only execs.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$PWD/tests/tsan.supp \
  build-tsan/tests/unit_tests \
  --gtest_filter='CurlLibrary*:InstallerDownload*:InstallerTransfer*:GameUrlRequest*:PortalTransport*:StartPing*:CarryOutGameUrl*:WorkerThreads.*:HeapTrimmer.*:InstanceHandoverTest.*'

step "fuzz targets, ${fuzz_seconds} s each"
fuzz/run.sh "$fuzz_seconds"
step "done"
