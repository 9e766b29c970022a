#!/usr/bin/env bash
# Installs what is missing, builds the sanitized test build and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELO_SANITIZE=ON -DVELO_BENCH=OFF >/dev/null
cmake --build build/test
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600
