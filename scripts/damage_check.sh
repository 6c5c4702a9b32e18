#!/usr/bin/env bash
# The game on damaged copies of the data tree, in the sanitizer test build:
# the fixed sample (each run 2,500 frames past its first error line), or
# with --long every kind of file the runs read with every damage, each run
# to its end. Further arguments go to the tool (see
# tools/damagecheck/main.cpp); ./test.sh must have built build/test.
#
#   scripts/damage_check.sh [--long] [--case SCENARIO:PATH:DAMAGE]...
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/test/tools/damagecheck
[ -x "$tool" ] || { echo "damage check: $tool is not built (./test.sh builds it)" >&2; exit 1; }
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LP_NUM_THREADS=0
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$tool" --jobs "${JOBS:-$(nproc)}" "$@"
