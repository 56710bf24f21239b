#!/usr/bin/env bash
# The Win32 window under Wine on a virtual screen, driven as a user would:
#   scripts/check-windows-window.sh BUILD
# BUILD is the Windows build folder of ./test-windows.sh, whose Wine prefix
# it uses. Renames a trend through the window (typed values, Alt+S),
# checks the renamed files byte for byte, the window's client size under
# its menu bar, a history file typed into File Set read on Enter, Save
# never renaming another trend than the one shown, the help window beside
# it (right, or left where the right has no room), Tools > Many trends
# from the keyboard, Alt+C closing both, FileSet in the registry, the Many
# trends window asking before it renames, undoes or closes with edits,
# renaming and undoing from the keyboard with its report, an interrupted run
# warned of and recovered in the Many trends window that "Many trends.cmd"
# opens, and on a 1280 x 800 screen at 96 and 144 dots
# per inch the client size and Help kept off the main window, or at least
# off Save and Close, and the Many trends window on 200 trends whole, its
# labels and status line uncut; there, too, a run of 200 trends whose
# question and report stay on the screen. Screenshots go to BUILD/screenshots.
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

# screen WIDTHxHEIGHT: a screen of our own and a window manager, without
# which windows get no focus, in place of the one before. Wine's
# processes know the display they started on: a fresh start.
xvfb= openbox=
trap 'kill $openbox $xvfb 2>/dev/null || true' EXIT
screen() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then
    kill $openbox $xvfb 2>/dev/null || true
    wait $openbox $xvfb 2>/dev/null || true
  fi
  rm -f "$gui/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$gui/display" \
    2>/dev/null &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$gui/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$gui/display")"
  openbox >/dev/null 2>&1 &
  openbox=$!
}
# Wide enough for both windows side by side.
screen 1600x900

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
# geometry ID: X Y WIDTH HEIGHT of the window as X has it, on the screen:
# under Wine the client area with the menu bar, if any, the window
# manager's frame around it. (xdotool adds the frame to the position.)
geometry() {
  xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /Width/ { w = $2 } /Height/ { h = $2 }
    END { print x + 0, y + 0, w + 0, h + 0 }'
}
# frame ID: LEFT TOP RIGHT BOTTOM of the window and its frame.
frame() {
  local x y width height left right top bottom
  read -r x y width height <<<"$(geometry "$1")"
  IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
    sed 's/.*= //')
  echo "$((x - left)) $((y - top)) $((x + width + right)) $((y + height + bottom))"
}
# overlap RECT RECT: true when the two "LEFT TOP RIGHT BOTTOM" meet.
overlap() {
  local a b
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  [ "${a[0]}" -lt "${b[2]}" ] && [ "${b[0]}" -lt "${a[2]}" ] &&
    [ "${a[1]}" -lt "${b[3]}" ] && [ "${b[1]}" -lt "${a[3]}" ]
}
# inside RECT AREA: true when RECT lies within AREA.
inside() {
  local a b
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  [ "${a[0]}" -ge "${b[0]}" ] && [ "${a[1]}" -ge "${b[1]}" ] &&
    [ "${a[2]}" -le "${b[2]}" ] && [ "${a[3]}" -le "${b[3]}" ]
}
# probe TITLE: the client area and the controls of window TITLE, as
# Windows has them (tests/WindowsWindowProbe.cpp).
probe() { "$wine" "$build/morvelle_window_probe.exe" "$1" | tr -d '\r'; }
client_size() { probe "$1" | awk '$1 == "client" { print $2, $3 }'; }
# boxes_showing TITLE TEXT: how many edit boxes of TITLE hold just TEXT.
boxes_showing() {
  probe "$1" | TEXT="$2" awk '$1 == "Edit" {
    sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, ""); if ($0 == ENVIRON["TEXT"]) n++ }
    END { print n + 0 }'
}
# button TITLE CAPTION: LEFT TOP RIGHT BOTTOM of the button on the screen.
button() {
  probe "$1" | CAPTION="$2" awk '$1 == "Button" {
    rect = $2 " " $3 " " $4 " " $5; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "")
    if ($0 == ENVIRON["CAPTION"]) print rect }'
}
# message_says TEXT: the open message box's text holds TEXT.
message_says() { probe Morvelle | grep -qF "$1"; }
shot() { import -window root "$shots/$1.png"; }
# open_many FOLDER: the program started as the Many trends window on the
# Unix folder FOLDER, its process in $program and its window in $many.
open_many() {
  "$wine" "$build/morvelle.exe" --many "Z:${1//\//\\}" >"$gui/out" 2>&1 &
  program=$!
  many=$(find_window "Morvelle - Many trends") || fail "no Many trends window"
  sleep 2
}
# replace_everywhere WINDOW FIND WITH: in the Many trends window WINDOW,
# FIND replaced by WITH in the tag and the path of every row.
replace_everywhere() {
  xdotool windowactivate --sync "$1" key ctrl+a alt+i
  xdotool type --delay 5 "$2"
  xdotool key alt+w
  xdotool type --delay 5 "$3"
  xdotool key alt+p
}

# finished WHAT: the program in $program ended, within 30 s, with status 0.
# A window left open (a question no one answers) fails the check, not
# hangs it.
finished() {
  local status=0
  for _ in $(seq 150); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$program" 2>/dev/null; then
    shot "still-open"
    kill "$program" 2>/dev/null || true
    fail "$1 still running 30 s after it was closed"
  fi
  wait "$program" || status=$?
  [ "$status" -eq 0 ] || fail "$1 ended with status $status"
}
# close_many WINDOW: Alt+F4 to the Many trends window WINDOW, and Yes to
# the question of losing edits not yet run, when it asks.
close_many() {
  xdotool windowactivate --sync "$1" key alt+F4
  local question
  for _ in $(seq 10); do
    question=$(xdotool search --onlyvisible --name '^Morvelle$' 2>/dev/null |
      head -n 1) || true
    [ -n "$question" ] && break
    gone "Morvelle - Many trends" && break
    sleep 0.2
  done
  [ -z "$question" ] || xdotool windowactivate --sync "$question" key alt+y
  finished "the Many trends window"
}

# The synthetic trend of the batch end-to-end test and what it becomes.
cp -r "$build/e2e/before" "$gui/trend"
hst="Z:${gui//\//\\}\\trend\\Trend1.HST"
renamed="${hst%Trend1.HST}Trend1A.HST"

# No File Set remembered from an earlier run, nor the dpi of one cut off.
"$wine" reg delete 'HKCU\Software\Morvelle' /f >/dev/null 2>&1 || true
"$wine" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -k 2>/dev/null || true
"$wine" "$build/morvelle.exe" >"$gui/out" 2>&1 &
program=$!
main=$(find_window "Ostrel Morvelle") || fail "no main window"
size=$(client_size "Ostrel Morvelle")
[ "$size" = "847 248" ] || fail "client area $size, expected 847 248"
# X takes the menu bar for part of the window: a click in the client area
# goes that much lower.
read -r x y width height <<<"$(geometry "$main")"
menu=$((height - 248))
[ "$menu" -gt 0 ] || fail "no menu bar above the client area"
# type_over X Y TEXT: the box at X Y of the client area clicked and its
# text replaced by TEXT.
type_over() {
  xdotool windowactivate --sync "$main"
  xdotool mousemove --window "$main" "$1" $(($2 + menu)) click 1
  xdotool key End shift+Home
  xdotool type --delay 5 "$3"
}
type_file_set() { type_over 400 25 "$1"; }
# eventually COMMAND...: true once COMMAND is, within 10 s.
eventually() {
  for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done
  return 1
}
# The Original and New boxes show the tag and path of Trend1.
shows_trend1() {
  [ "$(boxes_showing "Ostrel Morvelle" Trend1)" = 2 ] &&
    [ "$(boxes_showing "Ostrel Morvelle" 'C:\Ostrel\Data\Trend1')" = 2 ]
}
# answer_message: Return to the message box that opens, and its text.
answer_message() {
  local box
  box=$(find_window "Morvelle") || return 1
  probe Morvelle
  xdotool windowactivate --sync "$box" key Return
  for _ in $(seq 50); do gone Morvelle && break; sleep 0.1; done
}

# A history file typed into File Set and Enter: its values are shown.
type_file_set "$hst"
xdotool key Return
eventually shows_trend1 ||
  fail "Enter in File Set did not show the typed trend's values"

# New values typed into the New boxes and Alt+S.
type_over 640 98 'Trend1A'
type_over 640 154 'C:\Ostrel\Data\Trend1A'
shot main-window-typed
xdotool key alt+s
done_box=$(find_window "Morvelle") || fail "no \"Done\" box after Alt+S"
shot done
xdotool windowactivate --sync "$done_box" key Return
diff -r "$build/e2e/expected" "$gui/trend" ||
  fail "the renamed trend differs from what was expected"

# A new tag typed for the trend shown, then another trend typed into File
# Set and Alt+S. Leaving the box reads the other trend first, so Save
# gives it its own values again ("Done"): neither trend takes the other's.
cp -r "$build/e2e/before" "$gui/other"
type_over 640 98 'Stolen'
type_file_set "Z:${gui//\//\\}\\other\\Trend1.HST"
xdotool key alt+s
answer_message | grep -q ' Done$' || fail "no \"Done\" after Alt+S"
eventually shows_trend1 ||
  fail "leaving File Set did not show the other trend's values"
diff -r "$build/e2e/before" "$gui/other" ||
  fail "Save gave the other trend the values typed for the one shown"
diff -r "$build/e2e/expected" "$gui/trend" ||
  fail "Save changed the trend no longer shown"

# File Set emptied by a cancelled Browse: Save is refused, nothing changes.
xdotool windowactivate --sync "$main" key alt+b
dialog=$(find_window "Open") || fail "no open-file dialog after Alt+B"
xdotool windowactivate --sync "$dialog" key Escape
for _ in $(seq 50); do gone Open && break; sleep 0.1; done
xdotool windowactivate --sync "$main" key alt+s
answer_message | grep -qF "File Set names another trend than the one shown" ||
  fail "Save with File Set edited was not refused"
diff -r "$build/e2e/before" "$gui/other" && diff -r "$build/e2e/expected" "$gui/trend" ||
  fail "a refused Save changed a trend"

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

# Tools > Many trends from the keyboard opens the Many trends window on
# the folder of File Set; Alt+F4 closes it alone.
xdotool windowactivate --sync "$main" key alt+t m
many=$(find_window "Morvelle - Many trends") ||
  fail "Alt+T, M opened no Many trends window"
sleep 1
shot many-trends-from-menu
folder="${renamed%\\Trend1A.HST}"
[ "$(boxes_showing "Morvelle - Many trends" "$folder")" = 1 ] ||
  [ "$(boxes_showing "Morvelle - Many trends" "$folder\\")" = 1 ] ||
  fail "Many trends did not open on the folder of File Set"
xdotool windowactivate --sync "$many" key alt+F4
for _ in $(seq 50); do gone "Morvelle - Many trends" && break; sleep 0.1; done
gone "Morvelle - Many trends" || fail "Alt+F4 left the Many trends window open"

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
finished "the program"
"$wine" reg query 'HKCU\Software\Morvelle\Morvelle\Settings' /v FileSet |
  tr -d '\r' | grep -qF "REG_SZ    $renamed" ||
  fail "FileSet is not in the registry"

# The Many trends window on a folder holding the same trend: every row
# selected, a find and replace in tag and path, Rename, then Undo last run,
# which must give back every byte.
cp -r "$build/e2e/before" "$gui/many"
open_many "$gui/many"
replace_everywhere "$many" Trend1 Trend1B
sleep 1
shot many-trends-window
# Closing with an edit not yet run asks first: No keeps the window.
xdotool key alt+F4
question=$(find_window "Morvelle") || fail "no question on closing with edits"
message_says "The edits of 1 trend have not been run." ||
  fail "the question on closing does not count the edits"
xdotool windowactivate --sync "$question" key alt+n
sleep 0.5
find_window "Morvelle - Many trends" >/dev/null ||
  fail "No to the question on closing closed the window"
# Rename asks first: No renames nothing, Yes runs and ends in the report.
xdotool windowactivate --sync "$many" key alt+r
question=$(find_window "Morvelle") || fail "no question before Rename"
message_says "Rename 1 trend in " || fail "the question names no count"
xdotool windowactivate --sync "$question" key alt+n
sleep 0.5
[ -f "$gui/many/Trend1.HST" ] || fail "No to Rename renamed the trend"
xdotool windowactivate --sync "$many" key alt+r
question=$(find_window "Morvelle") || fail "no question before Rename"
xdotool windowactivate --sync "$question" key alt+y
report=$(find_window "Morvelle - Rename") || fail "no report after Rename"
shot many-trends-renamed
xdotool windowactivate --sync "$report" key Escape
for _ in $(seq 50); do gone "Morvelle - Rename" && break; sleep 0.1; done
gone "Morvelle - Rename" || fail "Esc left the report open"
[ -f "$gui/many/Trend1B.HST" ] && [ ! -f "$gui/many/Trend1.HST" ] ||
  fail "Rename in the Many trends window did not rename the trend"
sleep 1
xdotool windowactivate --sync "$many" key alt+u
question=$(find_window "Morvelle") || fail "no question before Undo last run"
message_says "Undo last run: rename 1 trend in " ||
  fail "the question before Undo last run names no count"
xdotool windowactivate --sync "$question" key alt+y
report=$(find_window "Morvelle - Undo last run") ||
  fail "no report after Undo last run"
xdotool windowactivate --sync "$report" key Escape
diff -r "$build/e2e/before" "$gui/many" ||
  fail "Undo last run did not give the trend back byte for byte"
sleep 0.5
close_many "$many"

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
finished "the program"
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
report=$(find_window "Morvelle - Recover") || fail "no report after Recover"
shot many-trends-recovered
xdotool windowactivate --sync "$report" key Escape
diff -r "$gui/example" "$gui/interrupted" ||
  fail "Recover did not give the trend back byte for byte"
sleep 1
xdotool windowactivate --sync "$many" key alt+F4
for _ in $(seq 50); do
  gone "Morvelle - Many trends" && break
  sleep 0.2
done
gone "Morvelle - Many trends" || fail "Alt+F4 left the Many trends window open"

# A laptop's screen, 1280 x 800, where the two windows do not fit side by
# side: at 96 dots per inch Help goes below the main window; at 150% (144
# dots per inch), the same twips half as many pixels again, it fits
# nowhere and covers neither Save nor Close.
screen 1280x800
desktop='HKCU\Control Panel\Desktop'
# many_trends_at DPI: the Many trends window on a folder of 200 trends,
# the folder prefix replaced in every row: on the screen whole, no label
# cut (the status line above all), the drop-down as tall as the boxes
# beside it.
plant="Z:${gui//\//\\}\\plant"
"$wine" "$make_example" --plant 200 "$plant" >/dev/null
many_trends_at() {
  local title="Morvelle - Many trends" many
  "$wine" "$build/morvelle.exe" --many "$plant" >"$gui/out" 2>&1 &
  program=$!
  many=$(find_window "$title") || fail "no Many trends window at $1 dpi"
  status_says() { probe "$title" | grep -qF "$1"; }
  eventually status_says "200 trends, 0 changed" ||
    fail "the 200 trends not planned at $1 dpi"
  xdotool windowactivate --sync "$many" key ctrl+a alt+i
  xdotool type --delay 5 'C:\OldPlant\'
  xdotool key alt+w
  xdotool type --delay 5 'D:\NewPlant\'
  xdotool key alt+p
  eventually status_says "200 trends, 200 changed, 0 refused or in conflict" ||
    fail "the replace over 200 rows not planned at $1 dpi"
  probe "$title" >"$gui/many-$1"
  sleep 1
  shot "many-trends-1280x800-${1}dpi"
  ! grep '^cut ' "$gui/many-$1" || fail "labels cut at $1 dpi"
  inside "$(frame "$many")" "0 0 1280 800" ||
    fail "Many trends at $(frame "$many"), off the screen at $1 dpi"
  awk '$1 == "ComboBox" { top = $3; tall = $5 - $3 }
    $1 == "Edit" { edit[$3] = $5 - $3 }
    END { if (!(top in edit) || edit[top] != tall) {
      print "drop-down " tall " px tall, boxes beside it " edit[top]; exit 1 } }' \
    "$gui/many-$1" || fail "drop-down height at $1 dpi"
  close_many "$many"
}
# No File Set to read, with a warning, when Help takes the focus.
"$wine" reg delete 'HKCU\Software\Morvelle' /f >/dev/null 2>&1 || true
for dpi in 96 144; do
  "$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  "$wine" "$build/morvelle.exe" >"$gui/out" 2>&1 &
  program=$!
  main=$(find_window "Ostrel Morvelle") || fail "no main window at $dpi dpi"
  size=$(client_size "Ostrel Morvelle")
  expected=$([ "$dpi" = 96 ] && echo "847 248" || echo "1271 372")
  [ "$size" = "$expected" ] ||
    fail "client area at $dpi dpi $size, expected $expected"
  shot "main-window-1280x800-${dpi}dpi"
  xdotool windowactivate --sync "$main" key alt+h
  help=$(find_window "Help") || fail "no help window at $dpi dpi"
  sleep 0.5
  shot "help-1280x800-${dpi}dpi"
  help_frame=$(frame "$help")
  inside "$help_frame" "0 0 1280 800" || fail "help at $help_frame, off the screen"
  if [ "$dpi" = 96 ]; then
    ! overlap "$help_frame" "$(frame "$main")" ||
      fail "help at $help_frame covers the main window at $(frame "$main")"
  fi
  for caption in '&Save' '&Close'; do
    ! overlap "$help_frame" "$(button "Ostrel Morvelle" "$caption")" ||
      fail "help at $help_frame covers $caption at $dpi dpi"
  done
  xdotool windowactivate --sync "$main" key alt+c
  finished "the program"
  many_trends_at "$dpi"
  # A migration of 200 trends, the last one's data file cut short once
  # planned: the question and the report of the run stay on the screen.
  rm -rf "$gui/migration"
  mkdir "$gui/migration"
  for i in $(seq 10000 10199); do
    for f in "$build/e2e/before"/Trend1.*; do
      LC_ALL=C sed "s/Trend1/P$i/g" "$f" >"$gui/migration/P$i.${f##*.}"
    done
  done
  open_many "$gui/migration"
  replace_everywhere "$many" P1 Q1
  sleep 3
  xdotool key alt+r
  question=$(find_window "Morvelle") || fail "no question before Rename"
  message_says "Rename 200 trends in " || fail "the question names no count"
  inside "$(frame "$question")" "0 0 1280 800" ||
    fail "the question at $(frame "$question"), off the screen"
  shot "many-trends-question-1280x800-${dpi}dpi"
  # Cut short after the plan, a data file fails its trend in the run.
  printf short >"$gui/migration/P10199.001"
  xdotool windowactivate --sync "$question" key alt+y
  report=$(find_window "Morvelle - Rename") || fail "no report after Rename"
  sleep 1
  shot "many-trends-report-1280x800-${dpi}dpi"
  inside "$(frame "$report")" "0 0 1280 800" ||
    fail "the report at $(frame "$report"), off the screen at $dpi dpi"
  [ -f "$gui/migration/Q10198.HST" ] && [ -f "$gui/migration/P10199.HST" ] ||
    fail "the run of 200 trends did not rename 199 of them"
  xdotool windowactivate --sync "$report" key Escape
  sleep 1
  close_many "$many"
done
"$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
echo "window: 8 passed, 0 failed"
