#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
jobs=${JOBS:-$(nproc)}
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON -DOSTREL_BENCH=ON >/dev/null
cmake --build build/test -j "$jobs"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# Mesa's software rasteriser draws on the calling thread: its worker threads
# would otherwise race the leak checker's stop-the-world at process exit.
export LP_NUM_THREADS=0
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/test
ctest --output-on-failure -j "$jobs" --timeout 300
