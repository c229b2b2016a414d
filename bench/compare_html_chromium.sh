#!/usr/bin/env bash
# Side by side: our web-document printing against Chromium's headless
# print-to-pdf of the same 50 files, one browser start per file as a
# command-line conversion needs. Both print A4 with 72-point margins: the
# files' @page rule gives Chromium the paper and margins our bench passes to
# the converter. chromium and pdfinfo (poppler-utils) are installed by hand,
# for this benchmark only; the project's setup does not install them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=bench/out/html
"$build/bench/bench_HTMLToPDF" "$out"

mkdir -p "$out/chromium"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
start=$(date +%s.%N)
count=0
for f in "$out"/doc*.html; do
  name=$(basename "${f%.html}")
  chromium --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --no-pdf-header-footer --print-to-pdf-no-header \
    --user-data-dir="$profile" --print-to-pdf="$out/chromium/$name.pdf" "file://$PWD/$f" \
    >/dev/null 2>&1
  count=$((count + 1))
done
end=$(date +%s.%N)
pages=0
for f in "$out"/chromium/*.pdf; do
  pages=$((pages + $(pdfinfo "$f" | awk '/^Pages:/ {print $2}')))
done
awk -v s="$start" -v e="$end" -v n="$count" -v p="$pages" \
  'BEGIN { printf "chromium: %d documents, %d pages, total %.2f s, %.3f s/document\n", n, p, e - s, (e - s) / n }'
