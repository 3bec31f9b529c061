#!/usr/bin/env bash
# Prints the slowest tests of the last ctest run in a build folder, slowest first, to show where
# the suite's time goes. Usage: scripts/slowest-tests.sh [build folder] [how many]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-${BUILD_DIR:-build}}
count=${2:-10}
log="$build_dir/Testing/Temporary/LastTest.log"
if [ ! -f "$log" ]; then
  echo "no ctest log at $log" >&2
  exit 1
fi
echo "Slowest $count tests of the last run in $build_dir:"
# The log has, per test, "N/M Test: <name>" and later "Test time =   1.23 sec". (sed, not head,
# takes the first lines: it reads to the end, so sort never meets a closed pipe under pipefail.)
awk '/^[0-9]+\/[0-9]+ Test: / { sub(/^[0-9]+\/[0-9]+ Test: /, ""); name = $0 }
     /^Test time = / { printf "%9.2f s  %s\n", $4, name }' "$log" | sort -rn | sed -n "1,${count}p"
