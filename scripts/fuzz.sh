#!/usr/bin/env bash
# Fuzzes one harness of tests/fuzz with libFuzzer: scripts/fuzz.sh [reader|planar-map] [seconds]
# (default reader for 1800 s), one job, from the committed seeds. New inputs go to
# ${FUZZ_OUT:-/tmp/corvel-fuzz}/<harness>/corpus and crashes, leaks and hangs to .../findings,
# outside the repository; a finding replays with `<build folder>/tests/fuzz/fuzz_<harness> FILE`.
#
# The planar map builds with clang (edge coverage, ASan, UBSan) into build-fuzz. The reader
# needs qpdf, whose headers clang rejects in C++20, so it builds with GCC (ASan, UBSan and
# comparison tracing, linked to clang's libFuzzer runtime) into build-fuzz-gcc and fuzzes with
# the value profile as its feedback.
set -euo pipefail
cd "$(dirname "$0")/.."
harness=${1:-reader}
seconds=${2:-1800}
case "$harness" in
  reader)
    target=fuzz_reader compiler=g++ build_dir=build-fuzz-gcc extra=(-use_value_profile=1)
    seeds=(tests/fuzz/corpus/reader tests/corpus) ;;
  planar-map)
    target=fuzz_planar_map compiler=clang++ build_dir=build-fuzz extra=()
    seeds=(tests/fuzz/corpus/planar-map) ;;
  *) echo "usage: scripts/fuzz.sh [reader|planar-map] [seconds]" >&2; exit 2 ;;
esac
CXX=$compiler SETUP_FUZZ=1 BUILD_DIR="$build_dir" BUILD_TARGETS="$target" scripts/setup.sh \
  -DCORVEL_FUZZ=ON -DCORVEL_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
out=${FUZZ_OUT:-/tmp/corvel-fuzz}/$harness
mkdir -p "$out/corpus" "$out/findings"
# The first folder receives new inputs; the seeds are only read. An input that takes over 30 s
# is reported as a hang: a niced fuzzer on a busy machine runs a heavy page (calculator functions
# sampled under the sanitizers) for several seconds.
"$build_dir/tests/fuzz/$target" "$out/corpus" "${seeds[@]}" -max_total_time="$seconds" -timeout=30 \
  -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$out/findings/" -print_final_stats=1 "${extra[@]}"
