#!/usr/bin/env bash
# Installs what is missing, then configures and builds Zorva.
#   scripts/build.sh                    release build in build/
#   BUILD_DIR=build-asan SANITIZE=1 scripts/build.sh
#                                       AddressSanitizer + UBSan debug build
#   BUILD_DIR=build-tsan TSAN=1 scripts/build.sh
#                                       ThreadSanitizer build of the engine,
#                                       zorva-render and their tests (no GUI)
#   WERROR=1 scripts/build.sh           any of these with warnings as errors
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${BUILD_DIR:-build}
sanitize=${SANITIZE:-0} tsan=${TSAN:-0}
werror=OFF
if [[ "${WERROR:-0}" == 1 ]]; then werror=ON; fi
if [[ "$sanitize" == 1 && "$tsan" == 1 ]]; then
  echo "build.sh: SANITIZE=1 and TSAN=1 cannot be combined" >&2
  exit 2
fi

args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_BUILD_GUI=ON -DZORVA_SANITIZE=OFF -DZORVA_TSAN=OFF)
run=()
if [[ "$sanitize" == 1 ]]; then
  args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVA_SANITIZE=ON -DZORVA_TSAN=OFF -DZORVA_BUILD_BENCH=OFF -DZORVA_BUILD_GUI=ON)
elif [[ "$tsan" == 1 ]]; then
  # Optimised with debug information: ThreadSanitizer slows the tests down
  # several times, and its reports still name the lines.
  args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVA_TSAN=ON -DZORVA_SANITIZE=OFF -DZORVA_BUILD_BENCH=OFF
    -DZORVA_BUILD_GUI=OFF)
  # The build runs the test program to list its tests.
  run=(scripts/tsan-run.sh)
fi
cmake -S . -B "$build_dir" "${args[@]}" -DZORVA_WERROR="$werror" >/dev/null
"${run[@]}" cmake --build "$build_dir" -j "$(nproc)"
