#!/usr/bin/env bash
# Builds Morvelle and starts it; any arguments are passed on (none opens the
# window, three values rename a trend).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
# The window is a program of its own, which morvelle hands over to.
cmake --build build -j2 --target morvelle morvelle_window
exec ./build/morvelle "$@"
