#!/bin/sh
# Builds the benchmark's own programs into build-bench and prints the table of figures
# against their baselines (see bench/README.md). Measures build/NimboClient and
# build/tarvex-portal; when they are missing, it builds both into build-bench/launcher.
# Options go to bench.py, e.g.
#   bench/run.sh --runs 3 --idle-seconds 10      a quick run
#   bench/run.sh --only download,portal          some figures only
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root/bench" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-bench" -j2 >/dev/null
launcher_build=$root/build
if [ ! -x "$launcher_build/NimboClient" ] || [ ! -x "$launcher_build/tarvex-portal" ]; then
  launcher_build=$root/build-bench/launcher
  cmake -S "$root" -B "$launcher_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$launcher_build" --target NimboClient tarvex-portal -j2 >/dev/null
fi
set -- --client "$launcher_build/NimboClient" --portal "$launcher_build/tarvex-portal" "$@"
export QTWEBENGINE_DISABLE_SANDBOX=1
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" python3 "$root/bench/bench.py" "$@"
fi
exec python3 "$root/bench/bench.py" "$@"
