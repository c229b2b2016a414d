#!/usr/bin/env bash
# A DOCX of long ruled tables (some 180 pages at size 1) printed by our engine
# and by LibreOffice at sizes 1, 2 and 4, runs interleaved: the median wall
# time and peak memory of each, and the page counts, so that the growth of
# the time with the document's size shows.
# LibreOffice (libreoffice-writer-nogui) is installed by hand for this only.
#   bench/compare_long_tables.sh [build folder] [runs] [sizes]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-3}
sizes=${3:-"1 2 4"}
out=bench/out/tables
mkdir -p "$out"
# A profile of its own, so that another LibreOffice on the machine does not
# take the conversions over.
profile="file://$PWD/$out/lo-profile"

# One run: "<seconds> <peak KB>" of the command, its output thrown away.
measure() {
  /usr/bin/time -f "%e %M" -o "$out/time.txt" "$@" >/dev/null 2>&1 || echo "failed: $*" >&2
  cat "$out/time.txt"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf "%-6s %12s %12s %12s %12s %7s %7s\n" size "ours s" "LO s" "ours MB" "LO MB" "ours p" "LO p"
for size in $sizes; do
  doc="$out/tables-$size.docx"
  "$build/bench/bench_LongTables" generate "$doc" "$size" >/dev/null 2>&1
  # LibreOffice's first start in a fresh profile is not timed.
  soffice -env:UserInstallation="$profile" --headless --convert-to pdf --outdir "$out/lo" "$doc" >/dev/null 2>&1
  : >"$out/ours.txt"
  : >"$out/lo.txt"
  for run in $(seq "$runs"); do
    measure "$build/bench/bench_LongTables" print "$doc" "$out/ours-$size.pdf" >>"$out/ours.txt"
    measure soffice -env:UserInstallation="$profile" --headless --convert-to pdf --outdir "$out/lo" "$doc" \
      >>"$out/lo.txt"
  done
  printf "%-6s %12s %12s %12s %12s %7s %7s\n" "${size}x" \
    "$(cut -d' ' -f1 "$out/ours.txt" | median)" "$(cut -d' ' -f1 "$out/lo.txt" | median)" \
    "$(cut -d' ' -f2 "$out/ours.txt" | median | awk '{ printf "%.0f", $1 / 1024 }')" \
    "$(cut -d' ' -f2 "$out/lo.txt" | median | awk '{ printf "%.0f", $1 / 1024 }')" \
    "$(qpdf --show-npages "$out/ours-$size.pdf")" "$(qpdf --show-npages "$out/lo/tables-$size.pdf")"
done
