#!/usr/bin/env bash
# Times `corvel flatten` and Ghostscript's pdfwrite (PDF 1.3, CMYK: the peer flattener) on the
# seeded stress pages (tools/testpages/StressPage.h), and checks that Corvel's output prints the
# same as the original (corvel-oracle --cmyk-groups --deep at 150 ppi: Ghostscript's 16-bit
# transparency buffers, as its 8-bit ones flip ColorDodge and ColorBurn over tints near full
# ink). Prints, per shape count, wall and CPU seconds, peak resident memory and output size of
# both, the ratio of wall times and the oracle's verdict. Writes out/stress/.
#   scripts/stress-pages.sh [N ...]            (default 300 1000 2000 10000)
#   CORVEL_ARGS="--balance 50" scripts/stress-pages.sh 2000
#   BUILD_DIR=build-x  LIMIT=1800 (seconds per run, then stopped)  SKIP_GS=1
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
limit=${LIMIT:-1800}
out=out/stress
mkdir -p "$out"
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(300 1000 2000 10000)

# Runs a command under /usr/bin/time; prints "wall cpu peakMB" (or "stopped" figures).
measure() {
  local log=$1; shift
  if timeout "$limit" /usr/bin/time -f '%e %U %S %M' -o "$log.time" "$@" > "$log" 2>&1; then
    awk '{ printf "%.1f %.1f %.0f", $1, $2 + $3, $4 / 1024 }' "$log.time"
  else
    echo "stopped - -"
  fi
}
kb() { [ -f "$1" ] && awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.0f", b / 1024 }' || echo -; }

printf '%6s | %8s %8s %7s %8s %-8s | %8s %8s %7s %8s | %7s\n' \
  N wall_s cpu_s peakMB outKB prints gs_wall gs_cpu gs_MB gs_outKB gs/corvel
for n in "${counts[@]}"; do
  page=$out/stress-$n.pdf
  "$build/tools/testpages/corvel-stress-page" "$n" "$page"
  rm -f "$out/stress-$n-corvel.pdf" "$out/stress-$n-gs.pdf"
  read -r cw cc cm <<< "$(measure "$out/stress-$n-corvel.log" "$build/cli/corvel" flatten "$page" \
    -o "$out/stress-$n-corvel.pdf" --jobs 1 --report "$out/stress-$n-report.json" ${CORVEL_ARGS:-})"
  verdict=-
  if [ -f "$out/stress-$n-corvel.pdf" ]; then
    "$build/tools/oracle/corvel-oracle" "$page" "$out/stress-$n-corvel.pdf" --cmyk-groups --deep \
      --resolution 150 > "$out/stress-$n-oracle.txt" 2>&1
    case $? in 0) verdict=same ;; 1) verdict=differs ;; *) verdict=trouble ;; esac
  fi
  gw=- gc=- gm=-
  if [ -z "${SKIP_GS:-}" ]; then
    read -r gw gc gm <<< "$(measure "$out/stress-$n-gs.log" gs -q -dSAFER -dBATCH -dNOPAUSE \
      -sDEVICE=pdfwrite -dCompatibilityLevel=1.3 -sColorConversionStrategy=CMYK \
      -dProcessColorModel=/DeviceCMYK -sOutputFile="$out/stress-$n-gs.pdf" "$page")"
  fi
  ratio=$(awk -v g="$gw" -v c="$cw" 'BEGIN { if (g + 0 > 0 && c + 0 > 0) printf "%.2f", g / c; else print "-" }')
  printf '%6d | %8s %8s %7s %8s %-8s | %8s %8s %7s %8s | %7s\n' "$n" "$cw" "$cc" "$cm" \
    "$(kb "$out/stress-$n-corvel.pdf")" "$verdict" "$gw" "$gc" "$gm" "$(kb "$out/stress-$n-gs.pdf")" "$ratio"
done
