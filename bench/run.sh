#!/usr/bin/env bash
# Builds Morvelle optimised, with the benchmark, and runs it (a few minutes;
# it needs about 1 GiB of free space in the temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMORVELLE_BUILD_BENCH=ON -DMORVELLE_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2
exec ./build-bench/bench/morvelle_bench
