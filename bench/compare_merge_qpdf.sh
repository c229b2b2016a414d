#!/usr/bin/env bash
# Side by side: our merged run (one bookmark per input) against
# `qpdf --empty --pages ... -- out.pdf` on the same 200 inputs of 10 pages.
#   bench/compare_merge_qpdf.sh [build folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-3}
out=bench/out/merge
mkdir -p "$out"
if [ ! -f "$out/in/in199.pdf" ]; then
  "$build/bench/bench_MergePDFs" generate "$out/in" 200 10
fi
inputs=("$out"/in/*.pdf)
for run in $(seq "$runs"); do
  /usr/bin/time -f "ours  run $run: %e s wall, %U s user + %S s sys, peak RSS %M KB" \
    "$build/bench/bench_MergePDFs" merge "$out/in" "$out/ours.pdf"
  /usr/bin/time -f "qpdf  run $run: %e s wall, %U s user + %S s sys, peak RSS %M KB" \
    qpdf --empty --pages "${inputs[@]}" -- "$out/qpdf.pdf"
done
qpdf --check "$out/ours.pdf" | tail -1
echo "pages: ours $(qpdf --show-npages "$out/ours.pdf"), qpdf $(qpdf --show-npages "$out/qpdf.pdf")"
