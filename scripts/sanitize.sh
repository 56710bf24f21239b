#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan and runs it; any report fails the
# test that caused it. MORVELLE_SANITIZE=0 skips.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${MORVELLE_SANITIZE:-1}" = 0 ]; then
  echo "Sanitizer build skipped (MORVELLE_SANITIZE=0)"
  exit 0
fi
cmake -S . -B build-asan -G Ninja -DMORVELLE_SANITIZE=ON >/dev/null
cmake --build build-asan -j2
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
# The kill points run the program under strace, where LeakSanitizer cannot
# work; the code they reach is the unit tests' own.
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j2 \
  -E KillPoints
