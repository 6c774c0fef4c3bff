#!/usr/bin/env bash
# Runs the EXIF reader's fuzz target for a bounded time on a seed corpus of the camera pictures
# (when present) and the small seeds kept beside this script. Exits non-zero when the fuzzer
# finds a crash, a leak, a time-out or runs out of memory.
#   tests/fuzz/run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build_dir=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
fuzzer="$build_dir/tests/fuzz/exif_fuzz"
[ -x "$fuzzer" ] || { echo "$0: no fuzz target at $fuzzer (build the fuzz preset first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts"
cp "$here"/seeds/* "$work/corpus/"
photos="${LUMO_TESTDATA:-$here/../../../shared/testdata}/photos"
if [ -d "$photos" ]; then
  # The EXIF block sits near the start; the rest only slows the fuzzer down.
  for f in "$photos"/*.jpg "$photos"/*.JPG; do
    [ -f "$f" ] && head -c 65536 "$f" >"$work/corpus/$(basename "$f")"
  done
fi

status=0
"$fuzzer" "$work/corpus" -dict="$here/exif.dict" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -max_len=70000 -artifact_prefix="$work/artifacts/" -print_final_stats=1 || status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  echo "$0: the fuzzer found a problem (exit status $status); inputs:" >&2
  for f in "$work"/artifacts/*; do
    [ -f "$f" ] && { echo "  $(basename "$f")"; od -A d -t x1 "$f" | head -20; } >&2
  done
  exit 1
fi
echo "$0: no problem found in $seconds seconds"
