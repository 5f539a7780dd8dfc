#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the whole
# suite in build/, then the unit and integration tests once more under
# AddressSanitizer and UBSan in build-asan/ (scripts/sanitize.sh).
# Usage: scripts/test.sh [ctest arguments...]   e.g. scripts/test.sh -L unit
# With ctest arguments only that selection runs, in build/ only.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${RAVELIN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVELIN_WERROR=ON
cmake --build "$build"
(cd "$build" && ctest --output-on-failure --timeout 300 "$@")

if [ $# -eq 0 ]; then
  scripts/sanitize.sh
  # Fuzzing (fuzz/README.md): each target replays its seed corpus, then runs a fixed number of inputs.
  scripts/fuzz.sh --ci
fi
