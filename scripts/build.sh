#!/usr/bin/env bash
# Configures and builds everything into build/ (extra arguments go to CMake's configure step).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build build -j"$(nproc)"
