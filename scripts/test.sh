#!/usr/bin/env bash
# Builds Corvel (installing dependencies when missing) and runs the whole test suite, then lists
# the slowest tests. Arguments go to cmake's configure step; CTEST_ARGS (split on spaces) to
# ctest, e.g. CTEST_ARGS="-LE render" to leave out the tests that render with Ghostscript.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh "$@"
build_dir=${BUILD_DIR:-build}
read -ra ctest_args <<< "${CTEST_ARGS:-}"
status=0
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "${ctest_args[@]}" || status=$?
scripts/slowest-tests.sh "$build_dir" || echo "(no list of the slowest tests)"
exit "$status"
