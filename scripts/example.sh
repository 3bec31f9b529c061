#!/usr/bin/env bash
# Builds Corvel (installing dependencies when missing), then:
#   scripts/example.sh [case ...]  flattens the bundled catalogue of transparency cases (or the
#                                  cases named), rebuilds each for outline view, and writes per
#                                  case out/<case>-original.pdf, -flattened.pdf, -outline.pdf
#                                  and the plate-by-plate Ghostscript comparison in out/report.txt;
#   scripts/example.sh in.pdf      flattens a PDF file into out/<name>-flattened.pdf and compares
#                                  its pages with the original's, plate by plate, like with like
#                                  (Ghostscript converting colour through the same ICC profiles
#                                  and blending groups in CMYK, as Corvel does by default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh > /dev/null
build=${BUILD_DIR:-build}
mkdir -p out
if [ $# -eq 1 ] && [[ "$1" == *.pdf ]]; then
  name=$(basename "$1" .pdf)
  "$build/cli/corvel" flatten "$1" -o "out/$name-flattened.pdf" --report "out/$name-report.json"
  pages=$(qpdf --show-npages "$1")
  for ((page = 1; page <= pages; ++page)); do
    echo "page $page:"
    "$build/tools/oracle/corvel-oracle" "$1" "out/$name-flattened.pdf" --page "$page" --resolution 150 --cmyk-groups || true
  done | tee "out/$name-oracle.txt"
else
  "$build/tools/catalogue/corvel-catalogue" --out out "$@"
fi
