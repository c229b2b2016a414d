#!/usr/bin/env bash
# Side by side: our merged run (one bookmark per input) against
# `qpdf --empty --pages ... -- out.pdf` on the same inputs (200 PDFs of 10
# pages unless told otherwise). The runs alternate, ours then qpdf's, so
# that a load coming and going on the machine falls on both alike; the
# medians are reported, with each process's peak memory.
#   bench/compare_merge_qpdf.sh [build folder] [runs] [inputs] [pages]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
count=${3:-200}
pages=${4:-10}
out=bench/out/merge-${count}x${pages}
mkdir -p "$out"
last=$(printf '%s/in/in%03d.pdf' "$out" $((count - 1)))
if [ ! -f "$last" ]; then
  "$build/bench/bench_MergePDFs" generate "$out/in" "$count" "$pages"
fi
inputs=("$out"/in/*.pdf)
log="$out/runs.txt"
: >"$log"

# One line per run: who, wall seconds, peak RSS in KB, CPU seconds (user and
# system: less swayed by other work on the machine than the wall time), and
# for ours the merge's own time as the program reports it.
measure() {
  local who=$1
  shift
  local report="$out/$who.time" stdout="$out/$who.out"
  /usr/bin/time -f "%e %M %U %S" -o "$report" "$@" >"$stdout" 2>"$out/$who.err"
  local merge="-"
  if [ "$who" = ours ]; then
    merge=$(sed -n 's/.* \([0-9.]*\) s .*/\1/p' "$stdout")
  fi
  awk -v who="$who" -v merge="$merge" '{ print who, $1, $2, $3 + $4, merge }' "$report" >>"$log"
}

for run in $(seq "$runs"); do
  measure ours "$build/bench/bench_MergePDFs" merge "$out/in" "$out/ours.pdf"
  measure qpdf qpdf --empty --pages "${inputs[@]}" -- "$out/qpdf.pdf"
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_median() { awk -v who="$1" -v col="$2" '$1 == who { print $col }' "$log" | median; }

ours_wall=$(column_median ours 2)
qpdf_wall=$(column_median qpdf 2)
ours_peak=$(column_median ours 3)
qpdf_peak=$(column_median qpdf 3)
ours_cpu=$(column_median ours 4)
qpdf_cpu=$(column_median qpdf 4)
ours_merge=$(column_median ours 5)
echo "$count inputs of $pages pages, median of $runs interleaved runs each:"
awk -v ow="$ours_wall" -v oc="$ours_cpu" -v om="$ours_merge" -v op="$ours_peak" \
    -v qw="$qpdf_wall" -v qc="$qpdf_cpu" -v qp="$qpdf_peak" 'BEGIN {
  printf "  ours: %6.3f s wall, %6.3f s CPU, peak RSS %6.1f MiB (the merge itself: %.3f s wall)\n", ow, oc, op / 1024, om
  printf "  qpdf: %6.3f s wall, %6.3f s CPU, peak RSS %6.1f MiB\n", qw, qc, qp / 1024
  printf "  ours / qpdf: wall %.2f, CPU %.2f, peak memory %.2f\n", ow / qw, oc / qc, op / qp
}'
echo "  (every run: $log)"

qpdf --check "$out/ours.pdf" | tail -1
echo "pages: ours $(qpdf --show-npages "$out/ours.pdf"), qpdf $(qpdf --show-npages "$out/qpdf.pdf")"
