#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Times kelvane-cli next to jhead, exiv2, exiftool and shred, whole process,
# on fresh copies of one folder of photos.
#
#   bench/compare.sh FOLDER
#
# Builds a folder of at least COPIES (default 2000) copies of the photos
# found below FOLDER (those that jhead reads and that have a taken time), and
# a second one of the same photos with their metadata stripped (for create
# and restore), and a third with an XMP packet holding their dates (for the
# date shift that keeps XMP in step). Every run of every tool gets a fresh
# copy; the tools take turns within each of RUNS (default 3) rounds. Prints
# the median time per photo of each, the ratio to kelvane-cli, and whether
# the target is met. Missing tools are installed with apt-get.
#
# KELVANE_CLI names the program (default: build/bin/kelvane-cli, built when
# missing); KELVANE_BENCH_DIR a scratch folder with room for a few GB.
set -euo pipefail

folder=${1:-}
if [ -z "$folder" ] || [ ! -d "$folder" ]; then
  echo "usage: bench/compare.sh FOLDER" >&2
  exit 64
fi
folder=$(cd "$folder" && pwd)
copies=${COPIES:-2000}
runs=${RUNS:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
cli=${KELVANE_CLI:-$repo/build/bin/kelvane-cli}

# --- tools -------------------------------------------------------------------
missing=""
command -v jhead >/dev/null || missing="$missing jhead"
command -v exiv2 >/dev/null || missing="$missing exiv2"
command -v exiftool >/dev/null || missing="$missing libimage-exiftool-perl"
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "installing:$missing" >&2
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if [ ! -x "$cli" ]; then
  echo "building kelvane-cli" >&2
  cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$repo/build" --target kelvane-cli -j2 >/dev/null
fi

# --- the photo folders ---------------------------------------------------------
scratch=${KELVANE_BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/kelvane-compare-XXXXXX")}
mkdir -p "$scratch"
trap 'rm -rf "$scratch/template" "$scratch/stripped" "$scratch/withxmp" "$scratch/originals" "$scratch/work" "$scratch/out" "$scratch/copy"; [ -n "${KELVANE_BENCH_DIR:-}" ] || rm -rf "$scratch"' EXIT

# Only photos every tool can work on: jhead stops a whole run at the first
# file it can't read, and the time functions need a taken time.
photos=()
while IFS= read -r photo; do
  complaint=$(jhead "$photo" 2>&1 >/dev/null) || continue
  [ -z "$complaint" ] || continue
  [ -n "$(exiftool -s3 -DateTimeOriginal "$photo" 2>/dev/null)" ] || continue
  photos+=("$photo")
done < <(find "$folder" -type f -iname '*.jpg' | sort)
if [ "${#photos[@]}" -eq 0 ]; then
  echo "no photo below $folder that jhead reads and that has a taken time" >&2
  exit 1
fi
rm -rf "$scratch/originals" "$scratch/template" "$scratch/stripped" "$scratch/withxmp"
mkdir -p "$scratch/originals/plain" "$scratch/originals/stripped" "$scratch/originals/xmp" "$scratch/template" \
  "$scratch/stripped" "$scratch/withxmp"
i=0
for photo in "${photos[@]}"; do
  i=$((i + 1))
  cp "$photo" "$scratch/originals/plain/$(printf '%03d' "$i")_$(basename "$photo")"
done
chmod u+w "$scratch"/originals/plain/*
cp "$scratch"/originals/plain/* "$scratch/originals/stripped/"
exiftool -q -q -overwrite_original -all= "$scratch/originals/stripped" >/dev/null 2>&1 || true
# The same photos with an XMP packet holding their dates, as photo managers write it.
cp "$scratch"/originals/plain/* "$scratch/originals/xmp/"
exiftool -q -q -overwrite_original '-XMP-xmp:CreateDate<DateTimeOriginal' '-XMP-xmp:ModifyDate<DateTimeOriginal' \
  '-XMP-photoshop:DateCreated<DateTimeOriginal' '-XMP-exif:DateTimeOriginal<DateTimeOriginal' \
  "$scratch/originals/xmp" >/dev/null 2>&1 || true

rounds=$(((copies + ${#photos[@]} - 1) / ${#photos[@]}))
for r in $(seq 1 "$rounds"); do
  for f in "$scratch"/originals/plain/*; do cp "$f" "$scratch/template/r$(printf '%03d' "$r")_$(basename "$f")"; done
  for f in "$scratch"/originals/stripped/*; do cp "$f" "$scratch/stripped/r$(printf '%03d' "$r")_$(basename "$f")"; done
  for f in "$scratch"/originals/xmp/*; do cp "$f" "$scratch/withxmp/r$(printf '%03d' "$r")_$(basename "$f")"; done
done
count=$(find "$scratch/template" -type f | wc -l)

# The restore source: the first photo with a taken time, outside the folders.
source_photo=""
for f in "$scratch"/originals/plain/*; do
  if [ -n "$(exiftool -s3 -DateTimeOriginal "$f" 2>/dev/null)" ]; then source_photo=$f; break; fi
done

# An empty settings file: every option at its default, the user's own file
# left out of it.
settings="$scratch/qmre0118.ini"
: >"$settings"
# The journals of the runs go to the scratch folder too.
export XDG_STATE_HOME="$scratch/state"

# --- the comparisons -----------------------------------------------------------
# Each operation: the tools timed (kelvane-cli first, then the one its
# target names) and the folder copied for them.
operations="shift shift-nj xmpshift filetime copyright copyright-nj csv prefix create restore wipe cat cp cpsync"
tools_of() {
  case $1 in
    shift | filetime) echo "kelvane jhead" ;;
    xmpshift) echo "kelvane exiftool" ;;
    shift-nj | copyright-nj) echo "kelvane" ;;
    copyright) echo "kelvane exiv2" ;;
    csv | prefix) echo "kelvane exiftool" ;;
    create | restore) echo "kelvane jhead" ;;
    wipe) echo "kelvane shred" ;;
    cat) echo "cat" ;;
    cp) echo "cp" ;;
    cpsync) echo "cpsync" ;;
  esac
}
template_of() {
  case $1 in
    create | restore) echo "$scratch/stripped" ;;
    xmpshift) echo "$scratch/withxmp" ;;
    *) echo "$scratch/template" ;;
  esac
}

# Runs one tool's command for an operation on the folder $work.
run_tool() {
  local operation=$1 tool=$2
  local files=("$work"/*)
  case "$operation/$tool" in
    shift/kelvane) "$cli" --settings "$settings" --quiet shift-time --time +02:00:00 "$work" ;;
    shift/jhead) jhead -q -ta+2:00 "${files[@]}" ;;
    shift-nj/kelvane) "$cli" --settings "$settings" --quiet --no-journal shift-time --time +02:00:00 "$work" ;;
    xmpshift/kelvane) "$cli" --settings "$settings" --quiet shift-time --time +02:00:00 "$work" ;;
    xmpshift/exiftool)
      exiftool -q -q -overwrite_original '-AllDates+=2' '-XMP-xmp:CreateDate+=2' '-XMP-xmp:ModifyDate+=2' \
        '-XMP-photoshop:DateCreated+=2' '-XMP-exif:DateTimeOriginal+=2' "$work" ;;
    filetime/kelvane) "$cli" --settings "$settings" --quiet file-time "$work" ;;
    filetime/jhead) jhead -q -ft "${files[@]}" ;;
    copyright/kelvane)
      "$cli" --settings "$settings" --quiet copyright --photographer "Jane Doe" --photographer-year 2024 "$work" ;;
    copyright-nj/kelvane)
      "$cli" --settings "$settings" --quiet --no-journal copyright --photographer "Jane Doe" --photographer-year 2024 \
        "$work" ;;
    copyright/exiv2)
      exiv2 -q -M"set Exif.Image.Copyright Ascii Copyright(C) 2024 Jane Doe - All Rights Reserved." mo "${files[@]}" ;;
    csv/kelvane) "$cli" --settings "$settings" --quiet --yes export --format csv --to "$scratch/out/meta.csv" "$work" ;;
    csv/exiftool) exiftool -q -q -csv "$work" >"$scratch/out/meta.csv" ;;
    prefix/kelvane) "$cli" --settings "$settings" --quiet prefix --sequence "$work" ;;
    prefix/exiftool) exiftool -q -q -fileOrder DateTimeOriginal '-FileName=%1.4C_%f.%e' "$work" ;;
    create/kelvane) "$cli" --settings "$settings" --quiet create "$work" ;;
    create/jhead) jhead -q -mkexif "${files[@]}" ;;
    restore/kelvane) "$cli" --settings "$settings" --quiet restore --source "$source_photo" "$work" ;;
    restore/jhead) jhead -q -te "$source_photo" "${files[@]}" ;;
    wipe/kelvane) "$cli" --settings "$settings" --quiet --yes wipe "$work" ;;
    wipe/shred) shred -n0 -z -u "${files[@]}" ;;
    cat/cat) cat "${files[@]}" >/dev/null ;;
    cp/cp) cp -r "$work" "$scratch/copy" ;;
    cpsync/cpsync) cp -r "$work" "$scratch/copy" && sync ;;
  esac
}

label_of() {
  case $1 in
    shift) echo "date shift (+2 h)" ;;
    shift-nj) echo "  without journal" ;;
    copyright-nj) echo "  without journal" ;;
    xmpshift) echo "date shift with XMP" ;;
    filetime) echo "file times" ;;
    copyright) echo "copyright" ;;
    csv) echo "export to CSV" ;;
    prefix) echo "time-sequence prefix" ;;
    create) echo "create" ;;
    restore) echo "restore" ;;
    wipe) echo "wipe" ;;
    cat) echo "floor: cat" ;;
    cp) echo "floor: cp -r" ;;
    cpsync) echo "floor: cp -r + sync" ;;
  esac
}
other_label_of() {
  case $1 in
    shift) echo "jhead -ta" ;;
    xmpshift) echo "exiftool -AllDates+=" ;;
    filetime) echo "jhead -ft" ;;
    copyright) echo "exiv2 -M" ;;
    csv) echo "exiftool -csv" ;;
    prefix) echo "exiftool -fileOrder" ;;
    create) echo "jhead -mkexif" ;;
    restore) echo "jhead -te" ;;
    wipe) echo "shred -n0 -z -u" ;;
  esac
}
# The least ratio other/kelvane the target asks for; empty for none.
target_of() {
  case $1 in
    shift | xmpshift) echo 20 ;;
    filetime) echo 1.5 ;;
    create | restore) echo 1 ;;
    copyright) echo 1.5 ;;
    csv) echo 100 ;;
    prefix) echo 50 ;;
  esac
}

now_us() { echo $(($(date +%s%N) / 1000)); }

results="$scratch/results.txt"
: >"$results"
work="$scratch/work"
echo "timing $count photos, $runs rounds" >&2
for round in $(seq 1 "$runs"); do
  for operation in $operations; do
    tools=$(tools_of "$operation")
    # Alternate who goes first from round to round.
    if [ $((round % 2)) -eq 0 ]; then tools=$(echo "$tools" | tr ' ' '\n' | tac | tr '\n' ' '); fi
    for tool in $tools; do
      rm -rf "$work" "$scratch/out" "$scratch/copy"
      cp -r "$(template_of "$operation")" "$work"
      mkdir -p "$scratch/out"
      # Every tool starts with the copy on the disk: otherwise the first
      # one to flush a file pays for writing out the whole fresh copy.
      sync
      status=0
      start=$(now_us)
      run_tool "$operation" "$tool" >/dev/null 2>&1 || status=$?
      end=$(now_us)
      # kelvane-cli: 0 or 1 (some files failed) mean the run went through.
      if [ "$tool" = kelvane ] && [ "$status" -gt 1 ]; then
        echo "$operation $tool failed" >>"$results"
      else
        echo "$operation $tool $((end - start))" >>"$results"
      fi
    done
  done
  echo "  round $round done" >&2
done

# --- report ----------------------------------------------------------------
median_of() {  # operation tool -> median microseconds, or "failed"
  if grep -q "^$1 $2 failed$" "$results"; then echo failed; return; fi
  grep "^$1 $2 " "$results" | awk '{print $3}' | sort -n | awk '{v[NR]=$1} END {
    if (NR == 0) { print "failed"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

per_photo() {  # median microseconds -> ms per photo
  if [ "$1" = failed ]; then echo failed; else awk -v m="$1" -v n="$count" 'BEGIN { printf "%.4f", m / n / 1000 }'; fi
}

echo
echo "kelvane-cli compared: $count photos (${#photos[@]} from $folder), median of $runs runs, ms per photo"
printf '%-22s %12s   %-20s %10s %9s  %s\n' "operation" "kelvane-cli" "other" "other" "ratio" "target"
for operation in $operations; do
  label=$(label_of "$operation")
  case $operation in
    cat | cp | cpsync)
      m=$(median_of "$operation" "$operation")
      printf '%-22s %12s\n' "$label" "$(per_photo "$m")"
      continue
      ;;
    shift-nj | copyright-nj)
      with=$(median_of "${operation%-nj}" kelvane)
      without=$(median_of "$operation" kelvane)
      if [ "$with" != failed ] && [ "$without" != failed ]; then
        awk -v label="$label" -v w="$with" -v o="$without" -v n="$count" 'BEGIN {
          cost = (w - o) / o * 100
          printf "%-22s %12.4f   journal costs %+.1f%%  %s\n", label, o / n / 1000, cost,
            (cost <= 10 ? "(<= 10%: met)" : "(<= 10%: MISSED)") }'
      fi
      continue
      ;;
  esac
  other_tool=$(tools_of "$operation" | awk '{print $2}')
  k=$(median_of "$operation" kelvane)
  o=$(median_of "$operation" "$other_tool")
  target=$(target_of "$operation")
  if [ "$k" = failed ] || [ "$o" = failed ]; then
    printf '%-22s %12s   %-20s %10s\n' "$label" "$(per_photo "$k")" "$(other_label_of "$operation")" "$(per_photo "$o")"
    continue
  fi
  awk -v label="$label" -v k="$k" -v o="$o" -v n="$count" -v other="$(other_label_of "$operation")" \
    -v target="$target" 'BEGIN {
      ratio = o / k
      verdict = ""
      if (target != "") verdict = (target == 1 ? "no slower: " : ">= " target "x: ") (ratio >= target ? "met" : "MISSED")
      printf "%-22s %12.4f   %-20s %10.4f %8.1fx  %s\n", label, k / n / 1000, other, o / n / 1000, ratio, verdict
    }'
done
