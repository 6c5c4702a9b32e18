#!/usr/bin/env bash
# The benchmark round on a program made to fail each way: a round of a case
# that runs passes, showing the case; a case stopped with its error, a
# filter that matches no case and a program that aborts each fail the
# round, told by its own reason in the last line.
#
#   bench_round_test.sh ROUND DOUBLE
set -uo pipefail
round=$1 double=$2
failed=0
# A round of the cases the filter takes: the status and a line it shows
# (for a failed round, its last).
expect() {
  local filter=$1 want=$2 line=$3 out got
  out=$("$round" "$double" "--benchmark_filter=$filter" 2>&1)
  got=$?
  if [ "$want" -ne 0 ]; then
    [ "$got" -eq "$want" ] && [ "$(tail -n 1 <<<"$out")" = "$line" ] && return
  else
    [ "$got" -eq 0 ] && grep -q "^$line" <<<"$out" && return
  fi
  echo "FAILED: filter $filter: status $got; wanted $want and \"$line\":"
  echo "$out"
  failed=1
}
expect '^BM_Runs$' 0 'BM_Runs '
expect '^BM_StopsWithError$' 1 'bench round: a case stopped with its error'
expect '^BM_None$' 1 'bench round: the filter matched no case'
expect '^BM_Aborts$' 1 "bench round: $double exited with status 134"
exit $failed
