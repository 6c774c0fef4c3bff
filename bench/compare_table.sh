#!/usr/bin/env bash
# Times lumograph-table against exiv2 and exiftool reading the same EXIF tags from the same
# folder of at least 2000 copies of the camera pictures (warm cache), and prints the ratios.
#   bench/compare_table.sh [BUILD_DIR] [FILES]     (defaults: build, 2000)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
count=${2:-2000}
table="$build_dir/tools/lumograph-table"
photos="${LUMO_TESTDATA:-$root/../shared/testdata}/photos"
[ -x "$table" ] || { echo "$0: build lumograph-table first ($table)" >&2; exit 2; }
[ -d "$photos" ] || { echo "$0: no camera pictures at $photos" >&2; exit 2; }
for tool in exiv2 exiftool; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t pictures < <(find "$photos" -maxdepth 1 -type f \( -iname '*.jpg' \) | sort)
for ((i = 0; i < count; i++)); do
  src=${pictures[i % ${#pictures[@]}]}
  cp "$src" "$work/$(printf '%05d' "$i")_$(basename "$src")"
done
cat "$work"/* >/dev/null # warm the page cache

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

cmd_table="'$table' $work/* >/dev/null 2>&1 || true"
cmd_exiv2="exiv2 -q -pa $(printf -- '-K %s ' "${exiv2_keys[@]}") $work/* >/dev/null 2>&1 || true"
cmd_exiftool="exiftool -q -q -fast2 -T ${exiftool_tags[*]} $work >/dev/null 2>&1 || true"

mean_seconds() { # NAME RUNS COMMAND -> mean wall time in seconds
  local name=$1 runs=$2 command=$3
  if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work.$name.json" \
      "$command" >/dev/null 2>&1
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["mean"])' \
      "$work.$name.json"
    rm -f "$work.$name.json"
  else
    bash -c "$command"
    local start end
    start=$(date +%s.%N)
    for ((r = 0; r < runs; r++)); do bash -c "$command"; done
    end=$(date +%s.%N)
    echo "($end - $start) / $runs" | bc -l
  fi
}

echo "files: $count copies of $(( ${#pictures[@]} )) camera pictures, warm cache"
t_table=$(mean_seconds table 10 "$cmd_table")
t_exiv2=$(mean_seconds exiv2 5 "$cmd_exiv2")
t_exiftool=$(mean_seconds exiftool 3 "$cmd_exiftool")
python3 - "$count" "$t_table" "$t_exiv2" "$t_exiftool" <<'PY'
import sys
count = int(sys.argv[1])
table, exiv2, exiftool = map(float, sys.argv[2:])
for name, t in (("lumograph-table", table), ("exiv2", exiv2), ("exiftool", exiftool)):
    print(f"{name:16s} {t * 1000:9.1f} ms  {count / t:10.0f} files/s")
print(f"lumograph-table is {exiv2 / table:.1f}x faster than exiv2 and "
      f"{exiftool / table:.1f}x faster than exiftool")
PY
