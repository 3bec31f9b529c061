#!/usr/bin/env bash
# Flattens every PDF of a folder (default tests/corpus) with Corvel and with Ghostscript's
# pdfwrite at PDF 1.3 (the peer), and compares each output with its original plate by plate.
# Corvel is judged like with like (--cmyk-groups: Ghostscript's ICC conversions with the profiles
# Corvel converts with, groups blending in CMYK as Corvel's do; --deep: 16-bit transparency
# buffers); pdfwrite against Ghostscript's own ICC rendering.
# Writes out/sweep/ and prints one line per page.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
folder=${1:-tests/corpus}
out=out/sweep
mkdir -p "$out"
printf '%-36s %4s %6s | %-7s %7s %8s %6s | %-7s %7s %8s %6s\n' file page kB corvel maxdiff ms kB pdfwrite maxdiff ms kB
kb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1024 }'; }
for input in "$folder"/*.pdf; do
  name=$(basename "$input" .pdf)
  start=$(date +%s%N)
  "$build/cli/corvel" flatten "$input" -o "$out/$name-corvel.pdf" --resolution 300 2> "$out/$name-corvel.log"
  corvelMs=$(( ($(date +%s%N) - start) / 1000000 ))
  start=$(date +%s%N)
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -dCompatibilityLevel=1.3 -r300 \
     -sColorConversionStrategy=CMYK -dProcessColorModel=/DeviceCMYK \
     -sOutputFile="$out/$name-gs.pdf" "$input" > "$out/$name-gs.log" 2>&1
  gsMs=$(( ($(date +%s%N) - start) / 1000000 ))
  pages=$(qpdf --show-npages "$input")
  for ((page = 1; page <= pages; ++page)); do
    corvel=$("$build/tools/oracle/corvel-oracle" "$input" "$out/$name-corvel.pdf" --page "$page" --cmyk-groups --deep --resolution 150)
    peer=$("$build/tools/oracle/corvel-oracle" "$input" "$out/$name-gs.pdf" --page "$page" --resolution 150)
    verdict() { grep -q DIFFERS <<< "$1" && echo differs || echo same; }
    maxdiff() { grep -o '([ 0-9]*/255)' <<< "$1" | sed 's/[( ]*\([0-9]*\)\/255)/\1/' | sort -n | tail -1; }
    printf '%-36s %4d %6s | %-7s %7s %8d %6s | %-7s %7s %8d %6s\n' "${name:0:36}" "$page" "$(kb "$input")" \
      "$(verdict "$corvel")" "$(maxdiff "$corvel")" "$corvelMs" "$(kb "$out/$name-corvel.pdf")" \
      "$(verdict "$peer")" "$(maxdiff "$peer")" "$gsMs" "$(kb "$out/$name-gs.pdf")"
  done
done
