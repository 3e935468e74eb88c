#!/bin/bash
# check-documents.sh - builds the document generator natively with clang
# (AddressSanitizer and UndefinedBehaviorSanitizer) and DocgenDump.cpp, writes
# every document in every format for the sample printers (an ordinary, a
# stopped and a hostile one), and checks each file with tools that are not
# ours: qpdf --check and pdfinfo for the PDFs, pdftotext for the printer's
# name, location and state and the document's title, CUPS's raster reader
# (PwgCheck.cpp against libcups) for the PWG raster, iconv for the text.
# Fails on a missing tool, a warning of the compiler, a sanitizer report or
# any check.
#
# Usage: check-documents.sh <source root> <work directory>
# Environment: CLANGXX (default clang++).
set -uo pipefail

ROOT="${1:?source root}"
WORK="${2:?work directory}"
CXX="${CLANGXX:-clang++}"
HERE="$ROOT/tests/docgen"

fail() { echo "CHECK FAILED: $*" >&2; exit 1; }

for tool in "$CXX" qpdf pdftotext pdfinfo iconv; do
    command -v "$tool" >/dev/null ||
        fail "$tool not found (tools/setup.sh installs clang, qpdf, poppler-utils and libcups2-dev)"
done
mkdir -p "$WORK" || fail "cannot create $WORK"
cd "$WORK" || fail "cannot enter $WORK"
rm -rf out && mkdir out || fail "cannot make $WORK/out"

FLAGS=(-std=c++17 -g -O1 -Wall -Wextra -Werror -I"$ROOT" -I"$HERE")
echo "== building docgen_dump with $("$CXX" --version | head -n 1)"
"$CXX" "${FLAGS[@]}" -fsanitize=address,undefined -fno-sanitize-recover=all \
    "$ROOT"/docgen/*.cpp "$ROOT/ipp/IppMessage.cpp" "$ROOT/ipp/IppPrinter.cpp" \
    "$HERE/DocgenDump.cpp" -o docgen_dump || fail "docgen_dump does not build"
"$CXX" -std=c++17 -O1 -Wall -Wextra -Werror "$HERE/PwgCheck.cpp" -o pwg_check -lcups ||
    fail "pwg_check does not build (libcups2-dev: cups/raster.h and libcups)"

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./docgen_dump out || fail "docgen_dump failed"

pdfs=0 rasters=0 texts=0 failures=0
bad() { echo "  $file: $*" >&2; failures=$((failures + 1)); }
while IFS=$'\t' read -r -a f; do
    file="${f[0]}" format="${f[1]}" pages="${f[2]}" type="${f[3]}"
    xdpi="${f[4]}" ydpi="${f[5]}" twosided="${f[6]}" back="${f[7]}"
    expected=("${f[@]:8}")
    path="out/$file"
    size=$(stat -c %s "$path")
    case "$format" in
    pdf)
        pdfs=$((pdfs + 1))
        [ "$size" -lt $((1024 * 1024)) ] || bad "$size octets"
        out=$(qpdf --check "$path" 2>&1) || bad "qpdf --check: $out"
        grep -q "No syntax or stream encoding errors found" <<<"$out" || bad "qpdf: $out"
        n=$(pdfinfo "$path" 2>/dev/null | sed -n 's/^Pages: *//p')
        [ "$n" = "$pages" ] || bad "pdfinfo says ${n:-nothing} pages, expected $pages"
        text=$(pdftotext -enc UTF-8 "$path" - 2>&1) || bad "pdftotext: $text"
        ;;
    pwg)
        rasters=$((rasters + 1))
        [ "$size" -lt $((64 * 1024 * 1024)) ] || bad "$size octets"
        out=$(./pwg_check "$path" "$pages" "$type" "$xdpi" "$ydpi" "$twosided" "$back" 2>&1) ||
            bad "$out"
        text=""
        expected=()
        ;;
    txt)
        texts=$((texts + 1))
        [ "$size" -lt $((256 * 1024)) ] || bad "$size octets"
        iconv -f UTF-8 -t UTF-8 "$path" >/dev/null 2>&1 || bad "not UTF-8"
        # Every line ends in CR LF (form feeds stand alone between pages).
        if tr -d '\f' <"$path" | grep -qv $'\r$'; then bad "a line without CR LF"; fi
        if [[ "$file" == stopped-* ]] && LC_ALL=C grep -q $'[\x80-\xFF]' "$path"; then
            bad "not ASCII"
        fi
        text=$(cat "$path")
        ;;
    esac
    for e in "${expected[@]}"; do
        grep -qF -- "$e" <<<"$text" || bad "\"$e\" not found"
    done
done <out/checks.txt

echo "== $pdfs PDFs (qpdf, pdfinfo, pdftotext), $rasters PWG rasters (CUPS's reader)," \
     "$texts texts checked; $failures failures"
# Every kind for every sample, once in each of the three formats.
each=$(( $(wc -l <out/checks.txt) / 3 ))
[ "$each" -ge 42 ] && [ "$pdfs" -eq "$each" ] && [ "$rasters" -eq "$each" ] && [ "$texts" -eq "$each" ] ||
  fail "not every document was checked"
[ "$failures" -eq 0 ] || fail "$failures failures"
echo "== documents passed"
