#!/usr/bin/env bash
# Cross-builds Morvelle for 64-bit Windows with MinGW-w64 and runs, under
# Wine, the tests, an end-to-end batch rename with Windows paths and the
# window on a virtual screen (Xvfb, openbox, xdotool). Installs what it
# needs when missing. Screenshots of the windows land in
# build-windows/screenshots.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh g++-mingw-w64-x86-64 wine64 googletest fonts-wine \
  xvfb openbox xdotool x11-utils imagemagick

build="$PWD/build-windows"
wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
# No Mono or Gecko installer prompts; a Western locale gives the ANSI code
# page 1252, which the encoding tests expect.
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
# Wine looks for a missing name by reading the whole folder, which makes
# the test of a trend with ten thousand data files take minutes: 1000.
export MORVELLE_MANY_FILES=1000
unset LC_ALL LC_CTYPE
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

echo "Windows build: the program with its Win32 window, its console twin" \
  "morvelle.com, and the tests."
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DMORVELLE_WITH_WINDOW=ON \
  -DMORVELLE_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
# Test discovery already runs the test program, so Wine's prefix comes first.
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1
# Windows has MS Sans Serif, the window's face; Debian's Wine keeps its
# copy in its data folder, where the prefix does not look.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -f "$fonts/sserife.fon" ] || cp /usr/share/wine/fonts/* "$fonts/"
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2

# ---- End to end: the program renames a trend in a Unix folder that Wine
# shows as Z:\..., started with an exact Windows command line.
e2e="$build/e2e"
rm -rf "$e2e"
mkdir -p "$e2e/trend" "$e2e/expected"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# put FILE OFFSET WIDTH TEXT: TEXT at OFFSET, NUL-padded to WIDTH.
put() {
  { printf '%s' "$4"; head -c $(($3 - ${#4})) /dev/zero; } |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
int16() { printf "\\x$(printf %02x "$3")\\x00" |
  dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# A version 5 trend (entries of 288 bytes: Path 144 at 0, Tag 80 at 160;
# data headers of 272 bytes: Tag 80 at 144) with random bytes elsewhere.
hst="$e2e/trend/Trend1.HST"
head -c $((176 + 3 * 288)) /dev/urandom >"$hst"
int16 "$hst" 138 5
int16 "$hst" 150 2
int16 "$hst" 154 1
for i in 0 1 2; do
  put "$hst" $((176 + i * 288)) 144 "C:\\Ostrel\\Data\\Trend1.00$i"
  put "$hst" $((176 + i * 288 + 160)) 80 "Trend1"
done
cp "$hst" "$e2e/expected/Trend1A.HST"
for i in 0 1; do
  put "$e2e/expected/Trend1A.HST" $((176 + i * 288)) 144 \
    "C:\\Ostrel\\Data\\Trend1A.00$i"
  put "$e2e/expected/Trend1A.HST" $((176 + i * 288 + 160)) 80 "Trend1A"
done
for i in 0 1; do
  head -c 400 /dev/urandom >"$e2e/trend/Trend1.00$i"
  put "$e2e/trend/Trend1.00$i" 144 80 "Trend1"
  cp "$e2e/trend/Trend1.00$i" "$e2e/expected/Trend1A.00$i"
  put "$e2e/expected/Trend1A.00$i" 144 80 "Trend1A"
done
cp -r "$e2e/trend" "$e2e/before"

# launch ARGS [PROGRAM]: PROGRAM (morvelle.exe) with the command line ARGS.
launch() { printf '%s' "\"$(winpath "$build/${2:-morvelle.exe}")\" $1" |
  "$wine" "$build/morvelle_launch.exe"; }
fail() { echo "end-to-end: $*" >&2; exit 1; }

for program in morvelle.exe morvelle.com; do
  status=0
  launch "\"$(winpath "$hst")\", \"Trend1A\"" "$program" >"$e2e/out" 2>&1 ||
    status=$?
  [ "$status" -eq 2 ] ||
    fail "two values to $program: exit status $status, expected 2"
  grep -q "^Try 'morvelle --help' for more information." "$e2e/out" ||
    fail "$program printed no pointer to --help"
  diff -r "$e2e/before" "$e2e/trend" >/dev/null ||
    fail "two values changed the trend"
done

status=0
launch "\"$(winpath "$hst")\", \"Trend1A\", \"C:\\Ostrel\\Data\\Trend1A\"" \
  >"$e2e/out" 2>&1 || status=$?
cat "$e2e/out"
[ "$status" -eq 0 ] || fail "rename: exit status $status, expected 0"
diff -r "$e2e/expected" "$e2e/trend" ||
  fail "the renamed trend differs from what was expected"

# The PE header's subsystem: 2 is a window program, 3 a console program.
subsystem() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tu2 -j$((pe + 92)) -N2 "$1" | tr -d ' '
}
[ "$(subsystem "$build/morvelle.exe")" = 2 ] ||
  fail "morvelle.exe is not a window program"
[ "$(subsystem "$build/morvelle.com")" = 3 ] ||
  fail "morvelle.com is not a console program"
# Linked statically: nothing but Windows' own DLLs.
for program in morvelle.exe morvelle.com; do
  if x86_64-w64-mingw32-objdump -p "$build/$program" |
    grep -iE 'DLL Name: (lib|mingw)'; then
    fail "$program needs MinGW's DLLs"
  fi
done
echo "end-to-end: 4 passed, 0 failed"

# Bounded, so that a window left waiting fails the check instead of hanging it.
timeout 1800 ./scripts/check-windows-window.sh "$build"
