#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (engine, command
# line and desktop program; the GUI tests need no display).
#   scripts/test.sh                     release build in build/
#   BUILD_DIR=build-asan SANITIZE=1 scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
