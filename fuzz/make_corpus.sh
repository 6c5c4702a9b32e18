#!/usr/bin/env bash
# Makes the seed corpus of each named fuzz target in OUT/<target>/ (emptied
# first), from three sources (fuzz/README.md):
#   - fuzz/seeds/sources.txt: files of the generated data tree (root "data")
#     or of the source tree (root "src") matched by a glob, up to a size
#     (64 KiB unless the line gives its own);
#   - the in-code test fixtures that SEED_BUILD/tests/seed_fixtures writes;
#   - fuzz/seeds/<target>/*.hex: hand-made inputs as hex text (regressions).
# usage: fuzz/make_corpus.sh SEED_BUILD OUT TARGET...
#   SEED_BUILD: a test build directory with its data tree and seed_fixtures built.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 SEED_BUILD OUT TARGET..." >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=$2
shift 2
max_bytes=${FUZZ_SEED_MAX_BYTES:-65536}
shopt -s globstar nullglob

rm -rf "$out"
mkdir -p "$out"
fixtures=$out/.fixtures
"$build/tests/seed_fixtures" "$fixtures"

for t in "$@"; do
  dir=$out/$t
  mkdir -p "$dir"
  while read -r target root pattern limit bytes; do
    [ "$target" = "$t" ] || continue
    case $root in
      data) base=$build/data ;;
      src) base=$src ;;
      *) echo "fuzz/seeds/sources.txt: unknown root '$root' for $t" >&2; exit 1 ;;
    esac
    n=0
    for f in "$base"/$pattern; do
      [ -f "$f" ] && [ "$(stat -c %s "$f")" -le "${bytes:-$max_bytes}" ] || continue
      rel=${f#"$base"/}
      cp "$f" "$dir/${root}_${rel//\//_}"
      n=$((n + 1))
      [ -z "${limit:-}" ] || [ "$n" -lt "$limit" ] || break
    done
    [ "$n" -gt 0 ] || echo "fuzz/seeds/sources.txt: no file matches $root/$pattern for $t" >&2
  done < <(grep -v '^\s*\(#\|$\)' "$src/fuzz/seeds/sources.txt")
  if [ -d "$fixtures/$t" ]; then
    for f in "$fixtures/$t"/*; do cp "$f" "$dir/fixture_$(basename "$f")"; done
  fi
  for h in "$src/fuzz/seeds/$t"/*.hex; do
    perl -0777 -ne 's/#[^\n]*//g; s/\s+//g; print pack("H*", $_)' "$h" > "$dir/hex_$(basename "$h" .hex)"
  done
  count=$(find "$dir" -type f | wc -l)
  [ "$count" -gt 0 ] || echo "warning: no seed for fuzz target $t" >&2
done
rm -rf "$fixtures"
