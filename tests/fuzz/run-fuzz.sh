#!/usr/bin/env bash
# Runs each fuzz target for a bounded time on a seed corpus and exits non-zero when a fuzzer finds
# a crash, a leak, a time-out or runs out of memory:
#   exif_fuzz, exif_thumbnail_fuzz  the EXIF reader and the EXIF thumbnail walk: the seeds beside
#                                   this script, the EXIF dictionary and the start of the camera
#                                   pictures when present;
#   raw_preview_fuzz                the CR2 preview walk: its own seeds and the start of the camera
#                                   raw files when present;
#   fileop_fuzz                     the shell file operations with hostile paths on a temporary
#                                   tree: its seeds and dictionary (built only where Qt is);
#   cached_thumbnail_fuzz           a file of the desktop's thumbnail cache (a PNG with its tags),
#                                   read within bounds: its seeds and the PNG dictionary (built
#                                   only where Qt is).
#   tests/fuzz/run-fuzz.sh BUILD_DIR SECONDS_PER_TARGET [TARGET...]
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS_PER_TARGET [TARGET...]" >&2
  exit 2
fi
build_dir=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(exif_fuzz exif_thumbnail_fuzz raw_preview_fuzz fileop_fuzz cached_thumbnail_fuzz)
here=$(cd "$(dirname "$0")" && pwd)
testdata="${LUMO_TESTDATA:-$here/../../../shared/testdata}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Picture seeds: the EXIF block sits near the start; the rest only slows the fuzzer down.
mkdir "$work/pictures"
cp "$here"/seeds/* "$work/pictures/"
if [ -d "$testdata/photos" ]; then
  for f in "$testdata"/photos/*.jpg "$testdata"/photos/*.JPG; do
    [ -f "$f" ] && head -c 65536 "$f" >"$work/pictures/$(basename "$f")"
  done
fi
# Raw seeds: a raw file's directories and its thumbnail lie in its first 100 KB.
mkdir "$work/raw"
cp "$here"/seeds-raw/* "$work/raw/"
if [ -d "$testdata/raw" ]; then
  for f in "$testdata"/raw/*.CR2; do
    [ -f "$f" ] && head -c 100000 "$f" >"$work/raw/$(basename "$f")"
  done
fi
mkdir "$work/fileop"
cp "$here"/fileop_seeds/* "$work/fileop/"
mkdir "$work/png"
cp "$here"/seeds-png/* "$work/png/"

fuzz() { # TARGET SEEDS MAX_LEN [DICTIONARY]
  local target=$1 seeds=$2 max_len=$3 dictionary=${4:-}
  local fuzzer="$build_dir/tests/fuzz/$target"
  [ -x "$fuzzer" ] || { echo "$0: no fuzz target at $fuzzer (build the fuzz preset first)" >&2; exit 2; }
  mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
  cp "$work/$seeds"/* "$work/$target/corpus/"
  local options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len="$max_len"
                 -artifact_prefix="$work/$target/artifacts/" -print_final_stats=1)
  [ -z "$dictionary" ] || options+=(-dict="$dictionary")
  local status=0
  echo "== $target"
  "$fuzzer" "$work/$target/corpus" "${options[@]}" || status=$?
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/$target/artifacts")" ]; then
    echo "$0: $target found a problem (exit status $status); inputs:" >&2
    for f in "$work/$target"/artifacts/*; do
      [ -f "$f" ] && { echo "  $(basename "$f")"; od -A d -t x1 "$f" | head -20; } >&2
    done
    exit 1
  fi
}

for target in "${targets[@]}"; do
  case "$target" in
    exif_fuzz) fuzz exif_fuzz pictures 70000 "$here/exif.dict" ;;
    exif_thumbnail_fuzz) fuzz exif_thumbnail_fuzz pictures 70000 "$here/exif.dict" ;;
    raw_preview_fuzz) fuzz raw_preview_fuzz raw 100000 ;;
    fileop_fuzz) fuzz fileop_fuzz fileop 600 "$here/fileop.dict" ;;
    cached_thumbnail_fuzz) fuzz cached_thumbnail_fuzz png 70000 "$here/png.dict" ;;
    *) echo "$0: unknown target $target" >&2; exit 2 ;;
  esac
done
echo "$0: no problem found in $seconds seconds per target"
