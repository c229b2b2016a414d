#!/usr/bin/env bash
# Side by side: our text printing against LibreOffice's headless PDF export of
# the same files, and plain text against the CUPS filter texttopdf (A4 from a
# minimal PPD, 72-point margins). Runs are interleaved (ours, LibreOffice,
# texttopdf, then again) so that a busy machine slows all alike; the medians
# of time and peak memory are reported.
#   bench/compare_text_libreoffice.sh [runs] [build]    (default 5, build)
# The references are installed by hand for this only:
#   apt-get install libreoffice-writer-nogui cups-filters poppler-utils time
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
bench=${2:-build}/bench/bench_TextToPDF
out=bench/out/text
profile=${LO_PROFILE:-/tmp/lo-bench-text}
rm -rf "$out/times"
mkdir -p "$out/ours" "$out/lo" "$out/lo-small" "$out/texttopdf" "$out/times"
"$bench" generate "$out"

# texttopdf takes its paper from a PPD; without one it prints on Letter.
ppd="$out/texttopdf/a4.ppd"
cat > "$ppd" <<'PPD'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "A4.PPD"
*Manufacturer: "Bench"
*Product: "(Bench)"
*ModelName: "Bench A4"
*ShortNickName: "Bench A4"
*NickName: "Bench A4"
*OpenUI *PageSize/Media Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
PPD

# measure LABEL COMMAND...: appends "seconds peak-KB" of one run to LABEL's file.
measure() {
  local label=$1
  shift
  if ! /usr/bin/time -o "$out/times/last" -f "%e %M" "$@" >/dev/null 2>&1; then
    echo "$label: FAILED" >&2
    return
  fi
  cat "$out/times/last" >> "$out/times/$label"
}

texttopdf() {
  PPD="$ppd" /usr/lib/cups/filter/texttopdf 1 bench bench 1 \
    "page-left=72 page-right=72 page-top=72 page-bottom=72" "$1" > "$2" 2>/dev/null
}
export -f texttopdf
export ppd

soffice_pdf=(soffice -env:UserInstallation="file://$profile" --headless --convert-to pdf --outdir)

# One LibreOffice start first, so that its profile is made outside the runs.
"${soffice_pdf[@]}" "$out/lo" "$out/small/note-001.txt" >/dev/null 2>&1 || true

for ((run = 1; run <= runs; ++run)); do
  echo "run $run of $runs" >&2
  for name in plain-1MB plain-10MB; do
    measure "ours-$name" "$bench" convert "$out/$name.txt" "$out/ours/$name.pdf"
    measure "lo-$name" "${soffice_pdf[@]}" "$out/lo" "$out/$name.txt"
    measure "texttopdf-$name" bash -c 'texttopdf "$0" "$1"' "$out/$name.txt" "$out/texttopdf/$name.pdf"
  done
  measure "ours-large-rtf" "$bench" convert "$out/large.rtf" "$out/ours/large.pdf"
  measure "lo-large-rtf" "${soffice_pdf[@]}" "$out/lo" "$out/large.rtf"
  measure "ours-200-merged" "$bench" merge "$out/small" "$out/ours/small.pdf"
  measure "lo-200-one-start" "${soffice_pdf[@]}" "$out/lo-small" "$out"/small/*.txt
  measure "texttopdf-200-starts" bash -c \
    'for f in "$0"/*.txt; do texttopdf "$f" "$1/$(basename "$f" .txt).pdf"; done' \
    "$out/small" "$out/texttopdf"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
pages() { [ -f "$1" ] && pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }' || echo "-"; }

printf "%-22s %9s %9s %7s  %s\n" "input and tool" "median s" "peak MB" "pages" "time / LibreOffice's"
row() {
  local label=$1 pdf=$2 reference=${3:-}
  [ -s "$out/times/$label" ] || { printf "%-22s %9s\n" "$label" "failed"; return; }
  local seconds peak ratio="" 
  seconds=$(cut -d' ' -f1 "$out/times/$label" | median)
  peak=$(cut -d' ' -f2 "$out/times/$label" | median | awk '{ printf "%.0f", $1 / 1024 }')
  if [ -n "$reference" ] && [ -s "$out/times/$reference" ]; then
    ratio=$(cut -d' ' -f1 "$out/times/$reference" | median | awk -v s="$seconds" '{ printf "%.3f", s / $1 }')
  fi
  printf "%-22s %9s %9s %7s  %s\n" "$label" "$seconds" "$peak" "$(pages "$pdf")" "$ratio"
}
for name in plain-1MB plain-10MB; do
  row "ours-$name" "$out/ours/$name.pdf" "lo-$name"
  row "lo-$name" "$out/lo/$name.pdf"
  row "texttopdf-$name" "$out/texttopdf/$name.pdf" "lo-$name"
done
row ours-large-rtf "$out/ours/large.pdf" lo-large-rtf
row lo-large-rtf "$out/lo/large.pdf"
row ours-200-merged "$out/ours/small.pdf" lo-200-one-start
row lo-200-one-start "$out/lo-small/note-200.pdf"
row texttopdf-200-starts "$out/texttopdf/note-200.pdf" lo-200-one-start
