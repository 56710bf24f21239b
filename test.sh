#!/usr/bin/env bash
# Builds Morvelle and its tests, runs every test, then fuzzes the trend
# core for a minute (MORVELLE_FUZZ_SECONDS sets how long; 0 skips).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
# The benchmark is built, not run: it measures, and takes minutes.
cmake -S . -B build -G Ninja -DMORVELLE_BUILD_BENCH=ON >/dev/null
cmake --build build -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
./scripts/fuzz.sh
