#!/usr/bin/env bash
# Installs what is missing, builds the sanitized test build (the benchmarks with it, each run once
# over a short match as a test) and runs the whole suite. Two of its tests build and run the core
# tests once more beside it: with the same compiler and no sanitizer (the memory tests, which the
# address sanitizer must skip, run there), and with clang's undefined-behaviour checks.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
# An include up a layer or round a circle fails before anything is built.
python3 tools/check_includes.py
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELO_SANITIZE=ON -DVELO_BENCH=ON >/dev/null
cmake --build build/test
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600
