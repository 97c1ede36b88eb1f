#!/bin/bash
# The view's context menus in the real editor under a virtual X server, in English and in
# Czech: a right click on each kind of object and on empty paper, on a selection of several
# objects, and the keyboard's menu key with nothing and with one bond selected. Each menu
# must open where it was asked for (aligned by its top-left corner), be as tall as its
# number of items says, and close again; a screenshot of each lands in the output folder.
# Then, on a session bus of the script's own, another program's copy request puts the
# drawing on the clipboard. Waits are for conditions (a window appears or goes, a picture
# settles, the clipboard changes), each with a deadline.
#
# usage: context_menus.sh VALENDRA_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xwininfo xprop import convert compare python3 dbus-run-session dbus-send xclip; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done
# A session bus of the test's own, so that the copy request has somewhere to go.
if [ -z "${CONTEXT_MENUS_ON_BUS:-}" ]; then
  CONTEXT_MENUS_ON_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$OUT"/*.png "$OUT"/*.log "$OUT"/*.vld "$VALENDRA_SETTINGS"
python3 "$HERE/make_drawing.py" menus "$OUT/menus.vld" || { echo "FAILED: no drawing"; exit 1; }

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
start_x_server "$OUT"

fail() {
  echo "FAILED: $*"
  import -window root "$OUT/failure.png"
  cat "$OUT"/editor-*.log 2>/dev/null
  exit 1
}
shot() { import -window root "$OUT/$1.png"; }

# Where the drawing's point (0, 0) is on the screen: the ink that an empty drawing in the
# same window does not show.
settings 1033
start_editor empty
settled_shot empty
stop_editor
start_editor english "$OUT/menus.vld"
wait_for screen_differs_from drawing "$OUT/empty.png" || fail "the drawing never showed"
settled_shot drawing
find_origin "$OUT/empty.png" "$OUT/drawing.png"

MENU=
open_menu() {  # NAME then xdotool arguments that open it
  local name=$1 before
  shift
  before=$(visible_windows)
  "$@"
  MENU=$(wait_for new_window "$before") || fail "no menu for $name"
  eval "$(xdotool getwindowgeometry --shell "$MENU")"
  MX=$X MY=$Y MH=$HEIGHT
  settled_shot "$name"
}
close_menu() {
  xdotool key Escape
  wait_for window_gone "$MENU" || fail "the menu did not close"
}
right_click() { xdotool mousemove "$1" "$2" click 3; }
expect_at() {  # NAME X Y
  [ $((MX - $2)) -ge -1 ] && [ $((MX - $2)) -le 1 ] && [ $((MY - $3)) -ge -1 ] && [ $((MY - $3)) -le 1 ] ||
    fail "$1 opened at $MX,$MY, not at $2,$3"
}

run_menus() {  # LANGUAGE
  local L=$1
  declare -gA HEIGHT_OF
  # Empty paper, then each kind of object under the mouse.
  local cases="paper:10500:-6000 ellipse:2250:-2250 formula:4650:-2250 bond:9000:-1800
    ring:3000:-5400 charge:6225:-5325 junction:9000:-5400"
  for c in $cases; do
    IFS=: read -r name x y <<<"$c"
    open_menu "menu_${L}_$name" right_click "$(sx "$x")" "$(sy "$y")"
    expect_at "$name" "$(sx "$x")" "$(sy "$y")"
    HEIGHT_OF[$L.$name]=$MH
    close_menu
  done
  # Everything selected: the selection's menu.
  xdotool key ctrl+a
  open_menu "menu_${L}_several" right_click "$(sx 2250)" "$(sy -2250)"
  HEIGHT_OF[$L.several]=$MH
  close_menu
  # With everything selected the menu key opens the selection's menu at the first
  # object's lower-left corner, the ellipse's.
  open_menu "menu_${L}_key_several" xdotool key Menu
  expect_at "the selection's menu from the keyboard" "$(sx 1500)" "$(sy -3000)"
  [ "$MH" = "${HEIGHT_OF[$L.several]}" ] || fail "the keyboard's selection menu is not 298"
  close_menu
  # Esc ends the selection. The menu key with one bond selected opens the bond's menu at
  # its midpoint.
  xdotool key Escape
  open_menu "menu_${L}_bond_again" right_click "$(sx 9000)" "$(sy -1800)"
  close_menu
  open_menu "menu_${L}_key_bond" xdotool key Menu
  expect_at "the bond's menu from the keyboard" "$(sx 9000)" "$(sy -1800)"
  [ "$MH" = "${HEIGHT_OF[$L.bond]}" ] || fail "the keyboard's bond menu is not the bond's"
  close_menu
  # Esc ends the selection; Shift+F10 then opens Paste at the window's corner.
  xdotool key Escape
  open_menu "menu_${L}_key_paper" xdotool key shift+F10
  expect_at "the Paste menu from the keyboard" "$OX" "$OY"
  [ "$MH" = "${HEIGHT_OF[$L.paper]}" ] || fail "the keyboard's empty menu is not Paste"
  close_menu
  # By their items (and separators): Paste 1; the junction's 5 (1); the selection's 6 (2);
  # the formula's 7 (2); the bond's, the ellipse's and the charge's 8 (2); the group's 9 (3).
  local h_paper=${HEIGHT_OF[$L.paper]} h_dot=${HEIGHT_OF[$L.junction]} h_formula=${HEIGHT_OF[$L.formula]}
  [ "$h_paper" -lt "$h_dot" ] && [ "$h_dot" -lt "${HEIGHT_OF[$L.several]}" ] &&
    [ "${HEIGHT_OF[$L.several]}" -lt "$h_formula" ] &&
    [ "$h_formula" -lt "${HEIGHT_OF[$L.bond]}" ] && [ "${HEIGHT_OF[$L.bond]}" = "${HEIGHT_OF[$L.ellipse]}" ] &&
    [ "${HEIGHT_OF[$L.ellipse]}" = "${HEIGHT_OF[$L.charge]}" ] &&
    [ "${HEIGHT_OF[$L.bond]}" -lt "${HEIGHT_OF[$L.ring]}" ] ||
    fail "$L menu heights: paper $h_paper, junction $h_dot, formula $h_formula, bond ${HEIGHT_OF[$L.bond]}, ellipse ${HEIGHT_OF[$L.ellipse]}, charge ${HEIGHT_OF[$L.charge]}, several ${HEIGHT_OF[$L.several]}, ring ${HEIGHT_OF[$L.ring]}"
}

run_menus en

# The copy request of another program: the clipboard then offers the drawing's stream.
xclip -selection clipboard -i </dev/null
dbus-send --session --print-reply --dest="org.valendra.Editor.pid$APP" /org/valendra/Editor \
  org.valendra.Editor.Copy >"$OUT/copy-reply.txt" 2>&1 || fail "the copy request: $(cat "$OUT/copy-reply.txt")"
grep -q "boolean true" "$OUT/copy-reply.txt" || fail "the copy request answered $(cat "$OUT/copy-reply.txt")"
wait_for bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx application/x-valendra-native" ||
  fail "the clipboard does not offer the drawing"
xclip -selection clipboard -t application/x-valendra-native -o >"$OUT/copied.vld" 2>/dev/null
head -c 10 "$OUT/copied.vld" | grep -q '8Valendra' || fail "the clipboard's stream is no drawing"

# The lone junction (it draws nothing) dragged past the drawing's right edge and back, then
# the last move undone: the horizontal scroll bar follows the drawing's extents each time,
# and nothing else on the screen changes.
drag_junction() {  # FROM_X TO_X, drawing units at the junction's height
  local x step=$((($2 - $1) / 5))
  xdotool mousemove --sync "$(sx "$1")" "$(sy -5400)" mousedown 1
  for x in $(seq $(($1 + step)) "$step" "$2"); do
    xdotool mousemove --sync "$(sx "$x")" "$(sy -5400)"
  done
  xdotool mouseup 1
  # A click on empty paper ends the selection the drag made.
  xdotool mousemove --sync "$(sx 12000)" "$(sy -8000)" click 1
}
xdotool mousemove --sync "$(sx 12000)" "$(sy -8000)" click 1
settled_shot extents_before
drag_junction 9000 14250
wait_for screen_differs_from extents_out "$OUT/extents_before.png" ||
  fail "the screen did not change when the junction went past the edge"
settled_shot extents_out
convert "$OUT/extents_before.png" -crop 900x640+0+0 +repage "$OUT/extents_before_area.png"
convert "$OUT/extents_out.png" -crop 900x640+0+0 +repage "$OUT/extents_out_area.png"
same_screen "$OUT/extents_before_area.png" "$OUT/extents_out_area.png" ||
  fail "the drawing area changed when the invisible junction moved"
drag_junction 14250 9000
wait_for screen_same_as extents_back "$OUT/extents_before.png" ||
  fail "the scroll bar did not shrink back with the drawing"
# The undo brings the junction back selected, as it was when it moved.
xdotool key ctrl+z
xdotool mousemove --sync "$(sx 12500)" "$(sy -8000)" click 1
wait_for screen_same_as extents_undone "$OUT/extents_out.png" ||
  fail "the scroll bar did not follow the undo"
stop_editor

settings 1029
start_editor czech "$OUT/menus.vld"
settled_shot drawing_czech
run_menus cs
stop_editor

for log in "$OUT"/editor-*.log; do
  if grep -v -e '^QStandardPaths' "$log" | grep -q .; then fail "the editor complained: $(head -3 "$log")"; fi
done
echo "PASSED: screenshots in $OUT"
