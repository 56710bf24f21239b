#!/usr/bin/env bash
# The Win32 window under Wine on a virtual screen, driven as a user would:
#   scripts/check-windows-window.sh BUILD
# BUILD is the Windows build folder of ./test-windows.sh, whose Wine prefix
# it uses. Renames a trend through the window (typed values, Alt+S),
# checks the renamed files byte for byte, the window's client size, the
# help window beside it (right, or left where the right has no room),
# Alt+C closing both, FileSet in the registry, the Many trends window
# renaming and undoing from the keyboard, an interrupted run warned of and
# recovered in the Many trends window that "Many trends.cmd" opens, and the
# client size at 144 dots per inch. Screenshots go to
# BUILD/screenshots.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
gui="$build/gui"
shots="$build/screenshots"
rm -rf "$gui"
mkdir -p "$gui" "$shots"

fail() { echo "window: $*" >&2; exit 1; }

# A screen of our own, wide enough for both windows side by side, and a
# window manager, without which windows get no focus.
exec 3>"$gui/display"
Xvfb -displayfd 3 -screen 0 1600x900x24 -nolisten tcp 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$gui/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$gui/display")"
openbox >/dev/null 2>&1 &
openbox=$!
trap 'kill $openbox $xvfb 2>/dev/null || true' EXIT
# Wine's processes of earlier runs know no display: a fresh start.
/usr/lib/wine/wineserver -k 2>/dev/null || true

# find_window TITLE: the window's id, waiting up to 30 s for it.
find_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
# geometry ID: X Y WIDTH HEIGHT of the window's client area.
geometry() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 }'
}
shot() { import -window root "$shots/$1.png"; }

# The synthetic trend of the batch end-to-end test and what it becomes.
cp -r "$build/e2e/before" "$gui/trend"
hst="Z:${gui//\//\\}\\trend\\Trend1.HST"
renamed="${hst%Trend1.HST}Trend1A.HST"

# No File Set remembered from an earlier run.
"$wine" reg delete 'HKCU\Software\Morvelle' /f >/dev/null 2>&1 || true
"$wine" "$build/morvelle.exe" >"$gui/out" 2>&1 &
program=$!
main=$(find_window "Ostrel Morvelle") || fail "no main window"
read -r x y width height <<<"$(geometry "$main")"
[ "$width $height" = "847 248" ] ||
  fail "client area $width x $height, expected 847 x 248"

# The File Set box has the focus at start; the New boxes are clicked.
xdotool windowactivate --sync "$main" key End shift+Home
xdotool type --delay 5 "$hst"
xdotool mousemove --window "$main" 640 98 click --repeat 3 1
xdotool type --delay 5 'Trend1A'
xdotool mousemove --window "$main" 640 154 click --repeat 3 1
xdotool type --delay 5 'C:\Ostrel\Data\Trend1A'
shot main-window-typed
xdotool key alt+s
done_box=$(find_window "Morvelle") || fail "no \"Done\" box after Alt+S"
shot done
xdotool windowactivate --sync "$done_box" key Return
diff -r "$build/e2e/expected" "$gui/trend" ||
  fail "the renamed trend differs from what was expected"

# Browse to the renamed trend: the open-file dialog takes a typed path.
xdotool windowactivate --sync "$main" key alt+b
dialog=$(find_window "Open") || fail "no open-file dialog after Alt+B"
xdotool windowactivate --sync "$dialog" key End shift+Home
xdotool type --delay 5 "$renamed"
xdotool key Return
for _ in $(seq 50); do gone Open && break; sleep 0.1; done
gone Open || fail "the open-file dialog did not take the typed path"
sleep 0.5
shot main-window

# help_beside SIDE: Alt+H opens Help on SIDE (right or left) of the main
# window, top edges level.
help_beside() {
  xdotool windowactivate --sync "$main" key alt+h
  local help hx hy hw hh
  help=$(find_window "Help") || fail "no help window after Alt+H"
  sleep 0.5
  read -r x y width height <<<"$(geometry "$main")"
  read -r hx hy hw hh <<<"$(geometry "$help")"
  [ "$hw $hh" = "439 328" ] || fail "help client area $hw x $hh"
  case $1 in
    right) [ "$hx" -ge $((x + width)) ] || fail "help not right of main" ;;
    left) [ $((hx + hw)) -le "$x" ] || fail "help not left of main" ;;
  esac
  [ "$hy" -eq "$y" ] || fail "help at y $hy, main at $y"
  echo "$help"
}
help=$(help_beside right)
shot help-right
xdotool windowactivate --sync "$help" key alt+F4
for _ in $(seq 50); do gone Help && break; sleep 0.1; done
# Near the right edge of the screen there is no room on the right.
xdotool windowmove --sync "$main" 1000 100
help_beside left >/dev/null
shot help-left

xdotool windowactivate --sync "$main" key alt+c
for _ in $(seq 100); do
  gone "Ostrel Morvelle" && gone Help && break
  sleep 0.1
done
gone "Ostrel Morvelle" || fail "Alt+C left the main window open"
gone Help || fail "Alt+C left the help window open"
wait "$program" || fail "the program ended with status $?"
"$wine" reg query 'HKCU\Software\Morvelle\Morvelle\Settings' /v FileSet |
  tr -d '\r' | grep -qF "REG_SZ    $renamed" ||
  fail "FileSet is not in the registry"

# The Many trends window on a folder holding the same trend: every row
# selected, a find and replace in tag and path, Rename, then Undo last run,
# which must give back every byte.
cp -r "$build/e2e/before" "$gui/many"
"$wine" "$build/morvelle.exe" --many "Z:${gui//\//\\}\\many" >"$gui/out" 2>&1 &
program=$!
many=$(find_window "Morvelle - Many trends") || fail "no Many trends window"
sleep 1
xdotool windowactivate --sync "$many" key ctrl+a alt+i
xdotool type --delay 5 'Trend1'
xdotool key alt+w
xdotool type --delay 5 'Trend1B'
xdotool key alt+p
sleep 1
shot many-trends-window
xdotool key alt+r
summary=$(find_window "Morvelle") || fail "no summary after Rename"
shot many-trends-renamed
xdotool windowactivate --sync "$summary" key Return
[ -f "$gui/many/Trend1B.HST" ] && [ ! -f "$gui/many/Trend1.HST" ] ||
  fail "Rename in the Many trends window did not rename the trend"
sleep 1
xdotool windowactivate --sync "$many" key alt+u
summary=$(find_window "Morvelle") || fail "no summary after Undo last run"
xdotool windowactivate --sync "$summary" key Return
diff -r "$build/e2e/before" "$gui/many" ||
  fail "Undo last run did not give the trend back byte for byte"
xdotool windowactivate --sync "$many" key alt+F4
wait "$program" || fail "the Many trends window ended with status $?"

# A rename of the example trend killed part-way: Browse in the main window
# warns of it, and Recover (Alt+O) in the Many trends window puts it back
# byte for byte.
make_example="$build/tools/morvelle_make_example.exe"
interrupted="Z:${gui//\//\\}\\interrupted"
"$wine" "$make_example" "Z:${gui//\//\\}\\example" >/dev/null
"$wine" "$make_example" --interrupted "$interrupted" >/dev/null ||
  fail "could not interrupt a rename of the example trend"
"$wine" "$build/morvelle.exe" >"$gui/out" 2>&1 &
program=$!
main=$(find_window "Ostrel Morvelle") || fail "no main window"
xdotool windowactivate --sync "$main" key alt+b
dialog=$(find_window "Open") || fail "no open-file dialog after Alt+B"
xdotool windowactivate --sync "$dialog" key End shift+Home
xdotool type --delay 5 "$interrupted\\Trend1A.HST"
xdotool key Return
warning=$(find_window "Morvelle") || fail "no warning of the interrupted run"
sleep 0.5
shot main-window-interrupted
xdotool windowactivate --sync "$warning" key Return
xdotool windowactivate --sync "$main" key alt+c
wait "$program" || fail "the program ended with status $?"
# This time through "Many trends.cmd" beside the program, as the zip has
# it, with the folder dropped on it: cmd.exe runs it with the folder as
# its argument, and it returns once it has started the window.
sed 's/\r*$/\r/' <"$source/packaging/windows/Many trends.cmd" \
  >"$build/Many trends.cmd"
printf 'C:\\windows\\system32\\cmd.exe /c ""%s\\Many trends.cmd" "%s""' \
  "Z:${build//\//\\}" "$interrupted" | "$wine" "$build/morvelle_launch.exe" ||
  fail "Many trends.cmd ended with status $?"
many=$(find_window "Morvelle - Many trends") ||
  fail "no Many trends window from Many trends.cmd"
sleep 1
shot many-trends-interrupted
xdotool windowactivate --sync "$many" key alt+o
summary=$(find_window "Morvelle") || fail "no summary after Recover"
shot many-trends-recovered
xdotool windowactivate --sync "$summary" key Return
diff -r "$gui/example" "$gui/interrupted" ||
  fail "Recover did not give the trend back byte for byte"
sleep 1
xdotool windowactivate --sync "$many" key alt+F4
for _ in $(seq 50); do
  gone "Morvelle - Many trends" && break
  sleep 0.2
done
gone "Morvelle - Many trends" || fail "Alt+F4 left the Many trends window open"

# At 150% (144 dots per inch) the same twips are half as many pixels again.
desktop='HKCU\Control Panel\Desktop'
"$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
/usr/lib/wine/wineserver -k 2>/dev/null || true
"$wine" "$build/morvelle.exe" >"$gui/out" 2>&1 &
program=$!
main=$(find_window "Ostrel Morvelle") || fail "no main window at 144 dpi"
read -r x y width height <<<"$(geometry "$main")"
shot main-window-144dpi
xdotool windowactivate --sync "$main" key alt+c
wait "$program" || fail "the program ended with status $?"
"$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
[ "$width $height" = "1271 372" ] ||
  fail "client area at 144 dpi $width x $height, expected 1271 x 372"
echo "window: 4 passed, 0 failed"
