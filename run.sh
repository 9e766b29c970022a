#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts VeloTrask.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELO_TESTS=OFF >/dev/null
cmake --build build/release --target VeloTrask
exec ./build/release/app/VeloTrask "$@"
