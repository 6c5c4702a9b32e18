#!/usr/bin/env bash
# Plays every recorded play of the stand-in data (the three demos, the
# tutorial and one play of each stage) twice in the Release build and twice
# in the sanitizer test build, and checks that all four runs print the same
# state hash after every frame. On a difference it names the play, the runs
# and the first frame that differs.
#
#   scripts/replay_check.sh [RELEASE_BUILD [TEST_BUILD]]   (default build/release build/test)
#
# Both builds must be built (their replaycheck tool and data tree).
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:-build/release}
test=${2:-build/test}
plays=(demo1 demo2 demo3 tutorial stage1 stage2 stage3 stage4 stage5)
runs=(release-1 release-2 test-1 test-2)
for b in "$release" "$test"; do
  [ -x "$b/tools/replaycheck" ] || { echo "replay check: $b/tools/replaycheck is not built" >&2; exit 1; }
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LP_NUM_THREADS=0
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export out release test

run_one() {
  local play=$1 run=$2 build
  case $run in release-*) build=$release ;; *) build=$test ;; esac
  if ! "$build/tools/replaycheck" "$play" >"$out/$play.$run" 2>"$out/$play.$run.err"; then
    echo "replay check: $play ($run) failed:" >&2
    sed 's/^/  /' "$out/$play.$run.err" >&2
    return 1
  fi
}
export -f run_one

# The sanitizer runs are the slow ones: they start first.
for run in test-1 test-2 release-1 release-2; do
  for play in "${plays[@]}"; do echo "$play $run"; done
done | xargs -P "${JOBS:-$(nproc)}" -L 1 bash -c 'run_one "$@"' _

failed=0
for play in "${plays[@]}"; do
  ref=$out/$play.${runs[0]}
  alike=1
  for run in "${runs[@]:1}"; do
    if ! cmp -s "$ref" "$out/$play.$run"; then
      first=$(paste -d'|' "$ref" "$out/$play.$run" | awk -F'|' '$1 != $2 { print NR - 1; exit }' || true)
      echo "replay check: $play differs between ${runs[0]} and $run from frame ${first:-?}" \
           "(${runs[0]}: $(wc -l <"$ref") frames, $run: $(wc -l <"$out/$play.$run") frames)"
      alike=0 failed=1
    fi
  done
  [ $alike -eq 0 ] || echo "replay check: $play: $(wc -l <"$ref") frames alike in ${#runs[@]} runs"
done
[ $failed -eq 0 ] || { echo "replay check: FAILED"; exit 1; }
echo "replay check: every play alike in the Release and the test build, twice each"
