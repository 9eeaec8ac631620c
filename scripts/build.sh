#!/usr/bin/env bash
# Installs what is missing, then configures and builds Zorva.
#   scripts/build.sh                    release build in build/
#   BUILD_DIR=build-asan SANITIZE=1 scripts/build.sh
#                                       AddressSanitizer + UBSan debug build
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${BUILD_DIR:-build}
args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_BUILD_GUI=ON)
if [[ "${SANITIZE:-0}" == 1 ]]; then
  args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVA_SANITIZE=ON -DZORVA_BUILD_BENCH=OFF -DZORVA_BUILD_GUI=ON)
fi
cmake -S . -B "$build_dir" "${args[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
