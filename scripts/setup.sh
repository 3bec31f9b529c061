#!/usr/bin/env bash
# Installs the Debian packages Corvel needs (a no-op when they are present), then configures and
# builds into ${BUILD_DIR:-build}. Extra arguments go to cmake's configure step. SETUP_FUZZ=1 also
# installs clang and its libFuzzer runtime (scripts/fuzz.sh); BUILD_TARGETS (split on spaces)
# builds only those targets.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake libboost-dev libgtest-dev libgmock-dev libbenchmark-dev
          libqpdf-dev qpdf zlib1g-dev ghostscript libtiff-dev libfreetype-dev fonts-urw-base35
          liblcms2-dev nlohmann-json3-dev locales-all
          libopenjp2-7-dev libjbig2dec0-dev libjpeg-dev
          libcli11-dev libpng-dev
          pkg-config ninja-build)
if [ "${SETUP_FUZZ:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" > /dev/null
read -ra targets <<< "${BUILD_TARGETS:-}"
cmake --build "$build_dir" -j"$(nproc)" ${targets[@]+--target "${targets[@]}"}
