#!/usr/bin/env bash
# Builds the fuzz configuration (clang; every library instrumented for
# libFuzzer with AddressSanitizer and UBSan), makes the seed corpora and runs
# every fuzz target, or those named, for a fixed number of seeded executions.
# Fails on any crash, sanitizer report, leak or time-out.
#
#   ./fuzz.sh                     smoke run: FUZZ_RUNS (default 100000) executions per target
#                                 (a quarter of them for tr_list, sound_list and jvs_bus)
#   ./fuzz.sh --long              long run: 1,000,000 executions per target (FUZZ_RUNS to change),
#                                 keeping what the fuzzer finds in build/fuzz/corpus/<target>
#   ./fuzz.sh bma_model lz_block  only these targets (fuzz/<name>.cpp)
#
# The seeds come from a test build (OSTREL_SEED_BUILD, default build/test):
# its generated data tree and its seed_fixtures program, built here if needed.
# A failing input is kept as build/fuzz/artifacts/<target>/crash-* (or leak-,
# timeout-, oom-); `build/fuzz/fuzz/fuzz_<target> FILE` replays it.
set -euo pipefail
cd "$(dirname "$0")"

long=0
targets=()
for a in "$@"; do
  case $a in
    --long) long=1 ;;
    -*) echo "unknown option $a" >&2; exit 2 ;;
    *) targets+=("$a") ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
jobs=${JOBS:-$(nproc)}
if [ $long -eq 1 ]; then runs=${FUZZ_RUNS:-1000000}; else runs=${FUZZ_RUNS:-100000}; fi
# Hard limit on one target's whole run, a guard against a fuzzer that hangs
# outside the per-input time-out.
limit=${FUZZ_TARGET_SECONDS:-$((long ? 36000 : 600))}

scripts/deps.sh

seed_build=${OSTREL_SEED_BUILD:-build/test}
if [ ! -f "$seed_build/build.ninja" ]; then
  cmake -S . -B "$seed_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON -DOSTREL_BENCH=ON -DOSTREL_WERROR=ON >/dev/null
fi
cmake --build "$seed_build" -j "$jobs" --target standin_data seed_fixtures

cmake -S . -B build/fuzz -G Ninja -DOSTREL_FUZZ=ON -DOSTREL_WERROR=ON >/dev/null
cmake --build build/fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"

fz=$PWD/build/fuzz
fuzz/make_corpus.sh "$seed_build" "$fz/seeds" "${targets[@]}"

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$fz/logs"

run_one() {
  local t=$1
  local corpus=$fz/corpus/$t art=$fz/artifacts/$t log=$fz/logs/$t.log
  # The list targets load their large pictures and waves whole in most
  # executions (some 3 ms each): the smoke run gives them a quarter of the
  # runs, which keeps them near the others' time; a long run gives every
  # target all of them.
  local n=$runs
  # The bus target runs the bus for seconds of simulated time in each
  # input, through floods of noise that end and cycles its time cuts (some
  # 10 ms each): a quarter of them, within the same seeded sequence.
  case $t in
    tr_list|sound_list) [ "$long" -eq 1 ] || n=$((runs / 4)) ;;
    jvs_bus) [ "$long" -eq 1 ] || n=$((runs / 4)) ;;
  esac
  [ "$long" -eq 1 ] || rm -rf "$corpus"
  rm -rf "$art"
  mkdir -p "$corpus" "$art"
  local rc=0
  # Inputs may grow to the largest seed (4096 bytes at least).
  local maxlen
  maxlen=$(find "$fz/seeds/$t" -type f -printf '%s\n' | sort -n | tail -1)
  [ "${maxlen:-0}" -ge 4096 ] || maxlen=4096
  timeout "$limit" "$fz/fuzz/fuzz_$t" -runs="$n" -seed=1 -timeout=25 -rss_limit_mb=2560 -max_len="$maxlen" \
    -print_final_stats=1 -artifact_prefix="$art/" "$corpus" "$fz/seeds/$t" >"$log" 2>&1 || rc=$?
  local execs secs
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then
    echo "fuzz_$t: ok, ${execs:-?} executions in ${secs:-?} s"
  else
    [ $rc -eq 124 ] && echo "fuzz_$t: the whole run took longer than $limit s" >>"$log"
    echo "fuzz_$t: FAILED (exit $rc), log $log"
    grep -E "ERROR|runtime error|SUMMARY|Test unit written|took longer" "$log" | head -20 | sed 's/^/  /'
    return 1
  fi
}
export -f run_one
export fz long runs limit

failed=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}' || failed=1
if [ $failed -ne 0 ]; then
  echo "fuzzing found a fault (inputs in build/fuzz/artifacts)"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran clean"
