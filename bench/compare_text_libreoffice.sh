#!/usr/bin/env bash
# Side by side: our text printing against LibreOffice's headless PDF export of
# the same files, and plain text against the CUPS filter texttopdf (A4 from a
# minimal PPD, 72-point margins). Both are installed by hand for this only:
#   apt-get install libreoffice-writer-nogui cups-filters poppler-utils time
set -euo pipefail
cd "$(dirname "$0")/.."
out=bench/out
mkdir -p "$out/lo" "$out/texttopdf"
build/bench/bench_TextToPDF "$out"
for f in "$out/plain-1MB.txt" "$out/large.rtf"; do
  /usr/bin/time -f "LibreOffice $(basename "$f"): %e s, peak RSS %M KB" \
    soffice --headless --convert-to pdf --outdir "$out/lo" "$f" >/dev/null
  pdfinfo "$out/lo/$(basename "${f%.*}").pdf" | grep Pages
done

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
# The filter talks on its error stream; the timing goes to a file of its own.
PPD="$ppd" /usr/bin/time -o "$out/texttopdf/time.txt" -f "texttopdf plain-1MB.txt: %e s, peak RSS %M KB" \
  /usr/lib/cups/filter/texttopdf 1 bench bench 1 \
  "page-left=72 page-right=72 page-top=72 page-bottom=72" "$out/plain-1MB.txt" \
  > "$out/texttopdf/plain-1MB.pdf" 2>/dev/null
cat "$out/texttopdf/time.txt"
pdfinfo "$out/texttopdf/plain-1MB.pdf" | grep -E "Pages|Page size"
