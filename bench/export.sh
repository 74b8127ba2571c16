#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Export figures: the time of a CSV and a JSON export of COPIES (default
# 10000) photos next to exiftool -csv and exiftool -json -n on the same
# folder, and the peak memory of every export format at SMALL (default 2000)
# and LARGE (default 20000) photos, which should stay flat.
#
#   bench/export.sh [FOLDER]
#
# FOLDER (default: KELVANE_SAMPLES or ../shared/samples) is searched for
# photos with a taken time; the test folders hold hard links to them (an
# export only reads). KELVANE_CLI names the program (default
# build/bin/kelvane-cli); KELVANE_BENCH_DIR a scratch folder.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-${KELVANE_SAMPLES:-$repo/../shared/samples}}
cli=${KELVANE_CLI:-$repo/build/bin/kelvane-cli}
copies=${COPIES:-10000}
small=${SMALL:-2000}
large=${LARGE:-20000}
for tool in exiftool /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install libimage-exiftool-perl time)" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no $cli: build it first" >&2; exit 1; }

scratch=${KELVANE_BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/kelvane-export-bench-XXXXXX")}
mkdir -p "$scratch"
trap 'rm -rf "$scratch/photos-"* "$scratch/out" "$scratch/home"; [ -n "${KELVANE_BENCH_DIR:-}" ] || rm -rf "$scratch"' EXIT
mkdir -p "$scratch/out" "$scratch/home"
# Settings and journals stay in the scratch folder.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_STATE_HOME="$scratch/home/.state"

photos=()
while IFS= read -r photo; do
  [ -n "$(exiftool -s3 -DateTimeOriginal "$photo" 2>/dev/null)" ] && photos+=("$photo")
done < <(find "$folder" -path "$folder/oracle" -prune -o -type f -iname '*.jpg' -print | sort)
[ "${#photos[@]}" -gt 0 ] || { echo "no photo with a taken time below $folder" >&2; exit 1; }

# A folder of n photos, hard links to the samples in turn.
make_folder() {
  local n=$1 dir="$scratch/photos-$1"
  [ -d "$dir" ] && { echo "$dir"; return; }
  mkdir -p "$dir"
  local i name source
  for ((i = 0; i < n; i++)); do
    printf -v name '%s/%06d.jpg' "$dir" "$i"
    source=${photos[$((i % ${#photos[@]}))]}
    ln "$source" "$name" 2>/dev/null || cp "$source" "$name"
  done
  echo "$dir"
}

# Seconds of a command (its output thrown away).
seconds_of() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo failed; return; }
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000000" | bc
}

# Peak resident memory in MB of a command.
peak_mb_of() {
  /usr/bin/time -f '%M' -o "$scratch/out/rss" "$@" >/dev/null 2>&1 || { echo failed; return; }
  echo "scale=1; $(cat "$scratch/out/rss") / 1024" | bc
}

export_to() {  # format target folder
  "$cli" --quiet --yes export --format "$1" --to "$2" "$3"
}

dir=$(make_folder "$copies")
# A first reading warms the page cache for every tool alike.
cat "$dir"/* >/dev/null
printf '%-8s %8s %12s %10s %8s\n' format photos kelvane-cli exiftool ratio
for format in csv json; do
  rm -f "$scratch/out/meta.$format"
  ours=$(seconds_of export_to "$format" "$scratch/out/meta.$format" "$dir")
  if [ "$format" = csv ]; then
    theirs=$(seconds_of exiftool -q -q -csv "$dir")
  else
    theirs=$(seconds_of exiftool -q -q -json -n "$dir")
  fi
  ratio=failed
  [ "$ours" = failed ] || [ "$theirs" = failed ] || ratio=$(printf '%.0fx' "$(echo "$theirs / $ours" | bc -l)")
  printf '%-8s %8d %12s %10s %8s\n' "$format" "$copies" "$ours" "$theirs" "$ratio"
done

echo
printf '%-8s %14s %14s\n' format "MB at $small" "MB at $large"
small_dir=$(make_folder "$small")
large_dir=$(make_folder "$large")
for format in csv dbcsv sqlite xlsx json; do
  rm -rf "$scratch/out/"*
  mkdir -p "$scratch/out/db"
  target="$scratch/out/meta.$format"
  [ "$format" = dbcsv ] && target="$scratch/out/db"
  at_small=$(peak_mb_of "$cli" --quiet --yes export --format "$format" --to "$target" "$small_dir")
  rm -rf "$scratch/out/"*
  mkdir -p "$scratch/out/db"
  at_large=$(peak_mb_of "$cli" --quiet --yes export --format "$format" --to "$target" "$large_dir")
  printf '%-8s %14s %14s\n' "$format" "$at_small" "$at_large"
done
