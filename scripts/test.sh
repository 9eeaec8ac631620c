#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (engine, command
# line and desktop program; the GUI tests need no display).
#   scripts/test.sh                     release build in build/
#   BUILD_DIR=build-asan SANITIZE=1 scripts/test.sh
#   BUILD_DIR=build-tsan TSAN=1 scripts/test.sh
#                                       engine and zorva-render tests under
#                                       ThreadSanitizer, stopping at the
#                                       first report
#   WERROR=1 scripts/test.sh            any of these with warnings as errors
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
run=()
if [[ "${TSAN:-0}" == 1 ]]; then
  export TSAN_OPTIONS="halt_on_error=1${TSAN_OPTIONS:+ $TSAN_OPTIONS}"
  run=(scripts/tsan-run.sh)
fi
"${run[@]}" ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
