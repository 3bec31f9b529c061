#!/usr/bin/env bash
# Builds Corvel (installing dependencies when missing), flattens the bundled example, writes the
# original and the flattened page as PDF under out/, and compares them plate by plate with
# Ghostscript's separation renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh > /dev/null
build=${BUILD_DIR:-build}
mkdir -p out
"$build/cli/corvel" example --out out "$@"
echo
echo "Plate-by-plate comparison (Ghostscript tiffsep, 72 ppi):"
"$build/tools/oracle/corvel-oracle" out/example-original.pdf out/example-flattened.pdf --resolution 72
