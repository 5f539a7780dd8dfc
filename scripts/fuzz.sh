#!/usr/bin/env bash
# Builds and runs the libFuzzer targets of fuzz/ in their own build tree
# (clang, coverage, AddressSanitizer and UBSan).
#
#   scripts/fuzz.sh TARGET SECONDS   fuzz one target; new inputs go to
#                                    build-fuzz/work/TARGET, crashers to build-fuzz/artifacts
#   scripts/fuzz.sh --ci             build every target, replay each seed corpus,
#                                    then run each for a fixed number of inputs
#   scripts/fuzz.sh --list           the targets
#
# RAVELIN_FUZZ_BUILD_DIR (default build-fuzz), RAVELIN_FUZZ_RUNS (default
# 5000 per target in --ci) and RAVELIN_FUZZ_JOBS (default 2) adjust it.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${RAVELIN_FUZZ_BUILD_DIR:-build-fuzz}
runs=${RAVELIN_FUZZ_RUNS:-5000}
jobs=${RAVELIN_FUZZ_JOBS:-2}
# Limits for one input: memory the engine's own caps stay well inside, and
# a hang is any input running longer than 20 s.
limits=(-rss_limit_mb=3072 -malloc_limit_mb=2048 -timeout=20 -max_len=65536 -print_final_stats=1)

configure() {
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DRAVELIN_FUZZ=ON -DRAVELIN_BUILD_TESTS=OFF -DRAVELIN_BUILD_GUI=OFF "${launcher[@]}" >/dev/null
}

targets() { cat "$build/fuzz-targets.txt"; }

# The seed folders of a target: its corpus, and for the engine also the
# conformance scripts of tests/vbscript made whole (check.inc in place of
# the line that reads it), so the seeds follow the tests without copies.
seeds() { # target
  echo "fuzz/corpus/$1"
  if [ "$1" = vbscript ]; then
    local dir=$build/seeds/vbscript f
    mkdir -p "$dir"
    for f in tests/vbscript/*.vbs; do
      { cat tests/vbscript/check.inc; tail -n +3 "$f"; } >"$dir/$(basename "$f")"
    done
    echo "$dir"
  fi
}

build_targets() {
  local t names=()
  for t in "$@"; do names+=("fuzz_$t"); done
  cmake --build "$build" -j "$jobs" --target "${names[@]}"
}

run_one() { # target, extra libFuzzer arguments...
  local t=$1
  shift
  mkdir -p "$build/work/$t" "$build/artifacts"
  local dirs
  mapfile -t dirs < <(seeds "$t")
  "$build/bin/fuzz_$t" "${limits[@]}" -artifact_prefix="$build/artifacts/$t-" "$@" \
    "$build/work/$t" "${dirs[@]}"
}

case "${1:-}" in
--list)
  configure
  targets
  ;;
--ci)
  configure
  mapfile -t all < <(targets)
  build_targets "${all[@]}"
  for t in "${all[@]}"; do
    echo "fuzz: $t: replaying the seed corpus"
    mapfile -t dirs < <(seeds "$t")
    "$build/bin/fuzz_$t" "${limits[@]}" -runs=0 "${dirs[@]}"
    echo "fuzz: $t: $runs runs"
    run_one "$t" -runs="$runs" -seed=1 -max_total_time=90
  done
  echo "fuzz: every target passed"
  ;;
"" | -h | --help)
  sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
  ;;
*)
  target=$1
  seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
  configure
  if ! grep -qx "$target" "$build/fuzz-targets.txt"; then
    echo "fuzz: no target '$target'; there are: $(targets | tr '\n' ' ')" >&2
    exit 2
  fi
  build_targets "$target"
  run_one "$target" -max_total_time="$seconds"
  ;;
esac
