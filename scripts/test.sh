#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [ctest arguments...]   e.g. scripts/test.sh -L unit
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${RAVELIN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 300 "$@"

# Fuzzing (fuzz/README.md): each target replays its seed corpus, then runs a fixed number of inputs.
cd "$OLDPWD" && scripts/fuzz.sh --ci
