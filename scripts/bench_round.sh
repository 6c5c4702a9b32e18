#!/usr/bin/env bash
# A short round of one benchmark program, each case once:
#
#   scripts/bench_round.sh BENCHMARK [ARGUMENT]...
#
# The arguments go to the program after the round's own (a filter, for
# instance). Its output is shown whole. The round fails (status 1, the
# reason in the last line) on the program's exit status, on a case that
# stopped with its error (the "ERROR OCCURRED" line) or on a filter that
# matches no case: Google Benchmark's own main exits 0 after both.
set -uo pipefail
bench=$1
shift
out=$("$bench" --benchmark_min_time=0 --benchmark_color=false "$@" 2>&1)
status=$?
printf '%s\n' "$out"
if [ "$status" -ne 0 ]; then
  echo "bench round: $bench exited with status $status"
  exit 1
fi
if grep -q 'ERROR OCCURRED' <<<"$out"; then
  echo "bench round: a case stopped with its error"
  exit 1
fi
if grep -q 'Failed to match any benchmarks' <<<"$out"; then
  echo "bench round: the filter matched no case"
  exit 1
fi
