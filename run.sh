#!/usr/bin/env bash
# Builds Morvelle and starts it; any arguments are passed on (none opens the
# window, three values rename a trend).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target morvelle
exec ./build/morvelle "$@"
