#!/usr/bin/env bash
# Installs what is missing, builds Corvale and launches it (arguments go to corvale).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
exec ./build/corvale "$@"
