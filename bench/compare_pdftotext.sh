#!/usr/bin/env bash
# Side by side: our PDF to plain text export against pdftotext on the same
# 500-page PDF (made by our own text printing). pdftotext comes from
# poppler-utils, installed by hand for this only.
#   bench/compare_pdftotext.sh [build] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
out=bench/out
mkdir -p "$out/pdftotext"
pdf="$out/report-500.pdf"
[ -f "$pdf" ] || "$build/bench/bench_PDFToText" generate "$pdf" 500
"$build/bench/bench_PDFToText" export "$pdf" "$out/pdftotext/ours" 1 "$runs"
best=""
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  pdftotext "$pdf" "$out/pdftotext/reference.txt"
  t=$(echo "$(date +%s.%N) - $start" | bc)
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
done
printf 'pdftotext: best of %d: %.3f s\n' "$runs" "$best"
