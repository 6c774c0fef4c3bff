#!/usr/bin/env bash
# Runs a fuzz target for a bounded time and exits non-zero when the fuzzer finds a crash, a leak,
# a time-out or runs out of memory.
#   tests/fuzz/run-fuzz.sh BUILD_DIR SECONDS [TARGET]
# TARGET is exif_fuzz (the EXIF reader, the default: seeds beside this script, its dictionary and
# the start of the camera pictures when present) or fileop_fuzz (the shell file operations with
# hostile paths on a temporary tree: its seeds and dictionary).
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_DIR SECONDS [exif_fuzz|fileop_fuzz]" >&2
  exit 2
fi
build_dir=$1
seconds=$2
target=${3:-exif_fuzz}
here=$(cd "$(dirname "$0")" && pwd)
fuzzer="$build_dir/tests/fuzz/$target"
[ -x "$fuzzer" ] || { echo "$0: no fuzz target at $fuzzer (build the fuzz preset first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts"
case "$target" in
  exif_fuzz)
    cp "$here"/seeds/* "$work/corpus/"
    dictionary="$here/exif.dict"
    max_len=70000
    photos="${LUMO_TESTDATA:-$here/../../../shared/testdata}/photos"
    if [ -d "$photos" ]; then
      # The EXIF block sits near the start; the rest only slows the fuzzer down.
      for f in "$photos"/*.jpg "$photos"/*.JPG; do
        [ -f "$f" ] && head -c 65536 "$f" >"$work/corpus/$(basename "$f")"
      done
    fi
    ;;
  fileop_fuzz)
    cp "$here"/fileop_seeds/* "$work/corpus/"
    dictionary="$here/fileop.dict"
    max_len=600
    ;;
  *)
    echo "$0: unknown target $target" >&2
    exit 2
    ;;
esac

status=0
"$fuzzer" "$work/corpus" -dict="$dictionary" -max_total_time="$seconds" -rss_limit_mb=2048 \
  -timeout=10 -max_len="$max_len" -artifact_prefix="$work/artifacts/" -print_final_stats=1 ||
  status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  echo "$0: the fuzzer found a problem (exit status $status); inputs:" >&2
  for f in "$work"/artifacts/*; do
    [ -f "$f" ] && { echo "  $(basename "$f")"; od -A d -t x1 "$f" | head -20; } >&2
  done
  exit 1
fi
echo "$0: $target found no problem in $seconds seconds"
