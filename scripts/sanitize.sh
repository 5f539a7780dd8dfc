#!/usr/bin/env bash
# Builds a second tree with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs the unit and integration tests in it. Any sanitizer
# report fails the run, also one from a child process (ravelin-console, q3sim)
# whose exit status no test looks at: every report goes to a file and the
# files are checked at the end. scripts/test.sh runs this after the normal
# tests. Usage: scripts/sanitize.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

build=${RAVELIN_ASAN_BUILD_DIR:-build-asan}
mkdir -p "$build"
build=$(cd "$build" && pwd)
reports=$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"

# halt_on_error and exitcode: the first report ends the process with a
# failure. LeakSanitizer runs too; scripts/lsan.supp names the only leaks
# let through and says why.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=0:log_path=$reports/asan:log_exe_name=1"
export LSAN_OPTIONS="suppressions=$repo/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan:log_exe_name=1"

# -O1 keeps stack traces exact and compiles much faster than -O2; the
# benchmarks are never run here.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DRAVELIN_SANITIZE=ON -DRAVELIN_WERROR=ON -DRAVELIN_BUILD_BENCH=OFF
cmake --build "$build"

status=0
(cd "$build" && ctest --output-on-failure --timeout 600 -L 'unit|integration' "$@") || status=$?

if compgen -G "$reports/*" >/dev/null; then
  echo "sanitize: sanitizer reports:" >&2
  for f in "$reports"/*; do
    echo "==== $f" >&2
    cat "$f" >&2
  done
  status=1
fi
exit $status
