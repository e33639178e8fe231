#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (under a virtual X server when
# there is no display). Extra arguments go to ctest, e.g. -L unit, -L gui or
# -R nimbo_client_dlg_guitest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QTWEBENGINE_DISABLE_SANDBOX=1
run=(ctest --test-dir build --output-on-failure --timeout 600 "$@")
if [ -z "${DISPLAY:-}" ]; then
  # -noreset: a server that resets when its last client leaves drops a client that
  # connects at that moment ("could not connect to display"), which is exactly what
  # happens when one test's launcher ends and the next one starts.
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "${run[@]}"
else
  "${run[@]}"
fi
