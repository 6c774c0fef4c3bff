#!/usr/bin/env bash
# Times lumograph-table on a folder of at least 2000 copies of the camera pictures (warm cache)
# against its floor, a plain program that opens each file, reads 8 KB and closes it
# (bench/plain_reads; the table should take at most 2.5 times as long), and against exiv2 and
# exiftool reading the same EXIF tags (each skipped when not installed). Prints the times and the
# ratios, and with strace installed how often the table opened each picture.
#   bench/compare_table.sh [BUILD_DIR] [FILES]     (defaults: build, 2000)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
count=${2:-2000}
table="$build_dir/tools/lumograph-table"
plain="$build_dir/bench/plain_reads"
photos="${LUMO_TESTDATA:-$root/../shared/testdata}/photos"
[ -x "$table" ] || { echo "$0: build lumograph-table first ($table)" >&2; exit 2; }
[ -x "$plain" ] || { echo "$0: build plain_reads first ($plain)" >&2; exit 2; }
[ -d "$photos" ] || { echo "$0: no camera pictures at $photos" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work" "$work".*' EXIT
mapfile -t pictures < <(find "$photos" -maxdepth 1 -type f \( -iname '*.jpg' \) | sort)
for ((i = 0; i < count; i++)); do
  src=${pictures[i % ${#pictures[@]}]}
  cp "$src" "$work/$(printf '%05d' "$i")_$(basename "$src")"
done
files=("$work"/*)
cat "${files[@]}" >/dev/null # warm the page cache

# The 27 EXIF columns of the table, as each tool names them.
exiv2_keys=(Exif.Image.Make Exif.Image.Model Exif.Image.ImageDescription Exif.Image.Copyright
  Exif.Image.DateTime Exif.Photo.DateTimeOriginal Exif.Photo.DateTimeDigitized
  Exif.Photo.UserComment Exif.Image.Software Exif.Image.Artist Exif.Image.Orientation
  Exif.Photo.ExposureTime Exif.Photo.ExposureProgram Exif.Photo.FNumber
  Exif.Photo.ShutterSpeedValue Exif.Photo.ApertureValue Exif.Photo.MaxApertureValue
  Exif.Photo.CompressedBitsPerPixel Exif.Photo.ISOSpeedRatings Exif.Photo.PixelXDimension
  Exif.Photo.PixelYDimension Exif.Image.XResolution Exif.Image.YResolution
  Exif.Photo.MeteringMode Exif.Photo.LightSource Exif.Photo.Flash)
exiftool_tags=(-FileName -FileSize -Make -Model -ImageDescription -Copyright -ModifyDate
  -DateTimeOriginal -CreateDate -UserComment -Software -Artist -Orientation -ExposureTime
  -ExposureProgram -FNumber -ShutterSpeedValue -ApertureValue -MaxApertureValue
  -CompressedBitsPerPixel -ISO -ExifImageWidth -ExifImageHeight -XResolution -YResolution
  -MeteringMode -LightSource -Flash)

# The wall time of a command in seconds: the median of its runs, which other work on a shared
# machine disturbs least (the mean without hyperfine).
seconds_of() { # NAME RUNS COMMAND...
  local name=$1 runs=$2
  shift 2
  if command -v hyperfine >/dev/null; then
    hyperfine -N -i --style none --warmup 1 --runs "$runs" --export-json "$work.$name.json" \
      "$(printf '%q ' "$@")" >/dev/null 2>&1
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["median"])' \
      "$work.$name.json"
  else
    "$@" >/dev/null 2>&1 || true
    local start end
    start=$(date +%s.%N)
    for ((r = 0; r < runs; r++)); do "$@" >/dev/null 2>&1 || true; done
    end=$(date +%s.%N)
    echo "($end - $start) / $runs" | bc -l
  fi
}

echo "files: $count copies of ${#pictures[@]} camera pictures, warm cache"
# The table against its floor: run by turns, so that whatever else the machine does falls on both
# alike, and timed by wall clock and by the processor time the kernel counts for each run.
python3 - "$work.table" "$plain" "$table" "${files[@]}" <<'PY'
import os, statistics, sys, time
result, plain, table, files = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]
def run(program):
    start = time.perf_counter()
    pid = os.posix_spawn(program, [program] + files, os.environ, file_actions=quiet)
    _, _, usage = os.wait4(pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime
runs = {plain: [], table: []}
for turn in range(33):
    for program in ((plain, table) if turn % 2 else (table, plain)):
        if turn >= 3:  # the first turns warm up
            runs[program].append(run(program))
        else:
            run(program)
def median(program, what):
    return statistics.median(r[what] for r in runs[program])
for name, program in (("plain_reads", plain), ("lumograph-table", table)):
    print(f"{name:16s} {median(program, 0) * 1000:9.1f} ms  {len(files) / median(program, 0):10.0f}"
          f" files/s  ({median(program, 1) * 1000:.1f} ms of processor time)")
wall = median(table, 0) / median(plain, 0)
cpu = median(table, 1) / median(plain, 1)
print(f"lumograph-table takes {wall:.2f}x the time of plain_reads (open, 8 KB read, close), "
      f"{cpu:.2f}x its processor time: {'within' if wall <= 2.5 else 'beyond'} the target of 2.5x")
with open(result, "w") as out:
    out.write(str(median(table, 0)))
PY
results=()
if command -v exiv2 >/dev/null; then
  keys=()
  for key in "${exiv2_keys[@]}"; do keys+=(-K "$key"); done
  results+=(exiv2 "$(seconds_of exiv2 5 exiv2 -q -pa "${keys[@]}" "${files[@]}")")
else
  echo "exiv2 is not installed: skipped"
fi
if command -v exiftool >/dev/null; then
  results+=(exiftool "$(seconds_of exiftool 3 exiftool -q -q -fast2 -T "${exiftool_tags[@]}" "$work")")
else
  echo "exiftool is not installed: skipped"
fi
python3 - "$count" "$(cat "$work.table")" "${results[@]}" <<'PY'
import sys
count, table = int(sys.argv[1]), float(sys.argv[2])
for name, t in zip(sys.argv[3::2], map(float, sys.argv[4::2])):
    print(f"{name:16s} {t * 1000:9.1f} ms  {count / t:10.0f} files/s  "
          f"(lumograph-table is {t / table:.1f}x faster)")
PY

if command -v strace >/dev/null; then
  strace -f -qq -e trace=openat -o "$work.trace" "$table" "${files[@]}" >/dev/null 2>&1 || true
  opens=$(grep -cF "\"$work/" "$work.trace" || true)
  echo "lumograph-table opened the $count pictures $opens times (strace)"
fi
