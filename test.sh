#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test headless, a short round of
# every benchmark among them.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
jobs=${JOBS:-$(nproc)}
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON -DOSTREL_BENCH=ON -DOSTREL_WERROR=ON >/dev/null
cmake --build build/test -j "$jobs"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# Mesa's software rasteriser draws on the calling thread: its worker threads
# would otherwise race the leak checker's stop-the-world at process exit.
export LP_NUM_THREADS=0
# The leak checker's stop-the-world reads the dynamic TLS blocks it tracked
# through __tls_get_addr; with libraries that SDL loads at run time those
# ranges can be stale and the checker itself crashes at process exit
# ("Tracer caught signal 11"), depending only on the memory layout. Static
# TLS and every stack are still scanned.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/test
ctest --output-on-failure -j "$jobs" --timeout 300
