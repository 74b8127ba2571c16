#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Opens, flushes and renames per photo of each kelvane-cli function, counted
# with strace -c on a folder of COPIES (default 200) copies of the photos
# below FOLDER; the journal is kept, as in a normal run.
#
#   bench/system-calls.sh [FOLDER]
#
# KELVANE_CLI names the program (default build/bin/kelvane-cli).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-${KELVANE_SAMPLES:-$repo/../shared/samples}}
cli=${KELVANE_CLI:-$repo/build/bin/kelvane-cli}
copies=${COPIES:-200}
command -v strace >/dev/null || { echo "strace is needed (apt-get install strace)" >&2; exit 1; }
[ -x "$cli" ] || { echo "no $cli: build it first" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-calls-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/plain" "$scratch/stripped" "$scratch/home"
mapfile -t photos < <(find "$folder" -path '*/broken' -prune -o -type f -iname '*.jpg' -print | sort)
for i in $(seq 1 "$copies"); do
  cp "${photos[$(((i - 1) % ${#photos[@]}))]}" "$scratch/plain/$(printf '%05d' "$i").jpg"
done
cp "$scratch"/plain/* "$scratch/stripped/"
exiftool -q -q -overwrite_original -all= "$scratch/stripped" >/dev/null 2>&1 || true
source_photo=${photos[0]}
: >"$scratch/settings.ini"

printf '%-12s %8s %8s %8s %8s\n' function photos opens flushes renames
for job in "file-time" "shift-time --days 1" "prefix --add X_" "copyright --photographer Jo --photographer-year 2024" \
  "describe --text Lake" "create" "restore --source $source_photo" "export --format csv --to $scratch/out.csv"; do
  template=plain
  case $job in create* | restore*) template=stripped ;; esac
  rm -rf "$scratch/work" "$scratch/out.csv"
  cp -r "$scratch/$template" "$scratch/work"
  # shellcheck disable=SC2086
  HOME="$scratch/home" strace -f -c -o "$scratch/calls" \
    -e trace=open,openat,fsync,fdatasync,syncfs,rename,renameat,renameat2 \
    "$cli" --settings "$scratch/settings.ini" --quiet --yes $job "$scratch/work" >/dev/null 2>&1 || true
  awk -v job="${job%% *}" -v n="$copies" '
    $NF ~ /^(open|openat)$/ { opens += $4 }
    $NF ~ /^(fsync|fdatasync|syncfs)$/ { flushes += $4 }
    $NF ~ /^rename/ { renames += $4 }
    END { printf "%-12s %8d %8.2f %8.2f %8.2f\n", job, n, opens / n, flushes / n, renames / n }' "$scratch/calls"
done
