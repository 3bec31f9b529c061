#!/usr/bin/env bash
# Builds Corvel (installing dependencies when missing) and runs it on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh > /dev/null
"${BUILD_DIR:-build}/cli/corvel" example "$@"
