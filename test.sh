#!/bin/bash
# Sets the machine up, builds everything and runs all tests under Wine.
#   ./test.sh [CTEST-ARGUMENTS...]     e.g. ./test.sh -R base_tests
# BUILD_DIR chooses another build tree (default: build/). The exit code is
# CTest's; no Wine or Xvfb process of the build tree is left behind.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")" || exit 1
build=${BUILD_DIR:-build}
wine_run=(bash cmake/wine-run.sh --build-dir "$build")

cleanup() {
    "${wine_run[@]}" --stop >/dev/null 2>&1
    "${wine_run[@]}" --stop-xvfb >/dev/null 2>&1
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash tools/setup.sh "$build" || exit 1
cmake --preset mingw -B "$build" || exit 1
cmake --build "$build" || exit 1
ctest --test-dir "$build" --output-on-failure -j2 "$@"
