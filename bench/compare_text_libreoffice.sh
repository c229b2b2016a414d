#!/usr/bin/env bash
# Side by side: our text printing against LibreOffice's headless PDF export of
# the same files. LibreOffice is installed by hand for this only.
set -euo pipefail
cd "$(dirname "$0")/.."
out=bench/out
mkdir -p "$out/lo"
build/bench/bench_TextToPDF "$out"
for f in "$out/plain-1MB.txt" "$out/large.rtf"; do
  /usr/bin/time -f "LibreOffice $(basename "$f"): %e s, peak RSS %M KB" \
    soffice --headless --convert-to pdf --outdir "$out/lo" "$f" >/dev/null
  pdfinfo "$out/lo/$(basename "${f%.*}").pdf" | grep Pages
done
