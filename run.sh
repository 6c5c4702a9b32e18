#!/usr/bin/env bash
# Installs what is missing, builds the game (Release), generates the stand-in
# data and starts it in a window. Further arguments go to the game.
# Its folder is build/run: warnings stay warnings here, so that a newer
# compiler's new ones do not stop the build, and CI's Release build, with
# warnings as errors, keeps build/release, so that neither reconfigures the
# other's folder and recompiles it whole.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
jobs=${JOBS:-$(nproc)}
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_TESTS=OFF -DOSTREL_BENCH=OFF -DOSTREL_WERROR=OFF >/dev/null
cmake --build build/run -j "$jobs"
exec build/run/app/ostrel -fullscreen 0 "$@"
