#!/usr/bin/env bash
# Our DOCX, ODT and DOC readers against LibreOffice's headless PDF export.
# LibreOffice (libreoffice-writer-nogui) is installed by hand for this only.
# The documents: a generated report saved by LibreOffice in each format, the
# word-processing files found on this machine, each also saved as DOCX and
# DOC, and those of the folders named as arguments (a corpus of real files).
#   bench/compare_word_readers.sh [folder]...
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=bench/out/word
rm -rf "$out" && mkdir -p "$out/src"
# LibreOffice keeps a profile of its own there (as bench_WordReaders does).
profile="-env:UserInstallation=file://$(realpath "$out")/lo-profile"

python3 - "$out/src/report.html" <<'PY'
import sys
parts = ["<html><body>"]
for s in range(1, 13):
    parts.append(f"<h1>Section {s}: quarterly figures</h1>")
    for p in range(4):
        parts.append(f"<p>Paragraph {p} of section {s} with <b>bold words</b>, <i>italic words</i> and "
                     f"<font color='#c00000'>red words</font>, long enough to wrap over more than one line "
                     f"of the page in both programs so that line breaks are compared as well.</p>")
    parts.append("<ul>" + "".join(f"<li>item {i} of list {s}</li>" for i in range(3)) + "</ul>")
    parts.append("<table border=1>" + "".join(
        f"<tr><td>row {r} left</td><td>row {r} right {r * s}</td></tr>" for r in range(3)) + "</table>")
parts.append("</body></html>")
open(sys.argv[1], "w").write("\n".join(parts))
PY
for format in docx odt doc; do
  soffice "$profile" --headless --infilter="HTML (StarWriter)" --convert-to "$format" --outdir "$out/src" \
    "$out/src/report.html" >/dev/null 2>&1
done

files=("$out/src/report.docx" "$out/src/report.odt" "$out/src/report.doc")
found=()
while IFS= read -r f; do found+=("$f"); done < <(
  find /usr/share /usr/lib/libreoffice -type f \( -name '*.docx' -o -name '*.odt' -o -name '*.ott' -o -name '*.doc' \) \
    2>/dev/null | sort)
files+=("${found[@]}")
# Every OpenDocument found is also saved by LibreOffice as DOCX and DOC, so
# that those readers meet real files too.
# Each is converted from a copy numbered by its place in the list, so that
# files of one name in different folders stay apart.
mkdir -p "$out/src/saved"
n=0
for f in "${found[@]}"; do
  case "$f" in *.odt|*.ott) ;; *) continue ;; esac
  n=$((n + 1))
  name="$n-$(basename "${f%.*}")"
  cp "$f" "$out/src/saved/$name.${f##*.}"
  for format in docx doc; do
    soffice "$profile" --headless --convert-to "$format" --outdir "$out/src/saved" "$out/src/saved/$name.${f##*.}" \
      >/dev/null 2>&1 || true
    [ -f "$out/src/saved/$name.$format" ] && files+=("$out/src/saved/$name.$format")
  done
done
for folder in "$@"; do
  while IFS= read -r f; do files+=("$f"); done < <(
    find "$folder" -type f \( -name '*.docx' -o -name '*.doc' -o -name '*.odt' -o -name '*.rtf' \) | sort)
done
"$build/bench/bench_WordReaders" "$out" "${files[@]}"
