#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing,
# and the packages named as arguments.
set -euo pipefail
# clang and its runtime libraries build the fuzzer (scripts/fuzz.sh); the
# tests read the program's JSON output with nlohmann-json.
# strace kills the real program at every call of a rename
# (tests/kill-points.sh); groff lints the manual pages and bash-completion
# runs the completion (tests/command-line-docs.sh).
packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev nlohmann-json3-dev
          clang libclang-rt-14-dev strace groff-base bash-completion "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
