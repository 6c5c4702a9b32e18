#!/usr/bin/env bash
# Installs what is missing, builds the game (Release), generates the stand-in
# data and starts it in a window. Further arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
jobs=${JOBS:-$(nproc)}
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_TESTS=OFF -DOSTREL_BENCH=OFF -DOSTREL_WERROR=OFF >/dev/null
cmake --build build/release -j "$jobs"
exec build/release/app/ostrel -fullscreen 0 "$@"
