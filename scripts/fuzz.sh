#!/usr/bin/env bash
# Builds the libFuzzer target with clang in build-fuzz and runs it from the
# committed seeds for MORVELLE_FUZZ_SECONDS seconds (60 when unset; 0
# skips). New inputs it finds go to build-fuzz/corpus, a crashing one to
# build-fuzz/crash-*, and the run then fails. The mutations follow
# MORVELLE_FUZZ_SEED (1 when unset), so a run of the test suite is
# repeatable: a failure shows on every machine, not on one in ten. Set
# another seed, or "random", to look further.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${MORVELLE_FUZZ_SECONDS:-60}
seed=${MORVELLE_FUZZ_SEED:-1}
[ "$seed" = random ] && seed=0  # libFuzzer picks one
if [ "$seconds" -eq 0 ]; then
  echo "Fuzzing skipped (MORVELLE_FUZZ_SECONDS=0)"
  exit 0
fi
if ! command -v clang++ >/dev/null; then
  echo "Fuzzing skipped: clang++ is not installed"
  exit 0
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DMORVELLE_FUZZ=ON -DMORVELLE_WITH_WINDOW=OFF >/dev/null
cmake --build build-fuzz -j2 --target morvelle_fuzz
mkdir -p build-fuzz/corpus
echo "Fuzzing for ${seconds} s, seed ${seed}"
build-fuzz/tests/morvelle_fuzz -max_total_time="$seconds" -seed="$seed" -timeout=10 \
  -rss_limit_mb=2048 -max_len=8192 -dict=tests/fuzz/rename.dict \
  -print_final_stats=1 -artifact_prefix=build-fuzz/ \
  build-fuzz/corpus tests/fuzz/corpus 2>build-fuzz/fuzz.log ||
  { tail -n 60 build-fuzz/fuzz.log; exit 1; }
grep -E '^(#[0-9]+ +DONE|Done|stat::number_of_executed_units|stat::peak_rss_mb)' \
  build-fuzz/fuzz.log || true
