#!/bin/bash
# Three things a new user meets in the first hour, in the real editor under a virtual X
# server, checked by the saved files and the screen: a formula dragged with Ctrl held is
# copied (two formulas in the saved file, the copy where the drag ended); a label bonded to
# a ring, cut and pasted, comes back alone (one ring, one "COOH", no bond between them); and
# a drawing lying left of and above the origin can be scrolled until it shows. Waits are for
# conditions (a window, a file, a settled screen), each with a deadline; a dead editor stops
# the script at once.
#
# usage: first_hour.sh VALENDRA_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xprop import convert compare python3; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$OUT"/*.png "$OUT"/*.log "$OUT"/*.vld "$VALENDRA_SETTINGS"
for d in menus label far; do
  python3 "$HERE/make_drawing.py" $d "$OUT/$d.vld" || { echo "FAILED: no drawing $d"; exit 1; }
done

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
start_x_server "$OUT"

fail() {
  echo "FAILED: $*"
  import -window root "$OUT/failure.png"
  cat "$OUT"/editor-*.log 2>/dev/null
  exit 1
}
alive() { kill -0 "$APP" 2>/dev/null || fail "the editor stopped"; }

settings 1033
focus_main() { xdotool windowactivate --sync "$MAIN" 2>/dev/null || xdotool windowfocus --sync "$MAIN"; }
inode() { stat -c %i "$1" 2>/dev/null; }
file_replaced() { [ "$(inode "$1")" != "$2" ] && [ -s "$1" ]; }
save() {  # FILE
  local before
  before=$(inode "$1")
  alive
  xdotool key --clearmodifiers ctrl+s
  wait_for file_replaced "$1" "$before" || fail "Ctrl+S wrote no new $1"
}
info_line() { "$BIN" --info "$1" | grep "^  $2"; }
formulas() { python3 "$HERE/vld_records.py" formulas "$1"; }
# Dark pixels of a screenshot in the box X Y W H.
ink() {
  convert "$OUT/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 50% \
    -format "%[fx:int(w*h*(1-mean)+0.5)]" info:
}

# Where the drawing's point (0, 0) is on the screen.
start_editor empty
settled_shot empty
stop_editor
start_editor menus "$OUT/menus.vld"
focus_main
wait_for screen_differs_from drawing "$OUT/empty.png" || fail "the drawing never showed"
settled_shot menus
find_origin "$OUT/empty.png" "$OUT/menus.png"

# 1. Ctrl held, the formula "OH" (anchored at (4500, -2100)) dragged 100 pixels right and
# 50 down: two formulas, the copy 1500 units right of and 750 below the original.
xdotool mousemove --sync "$(sx 4650)" "$(sy -2250)"
xdotool keydown ctrl mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove --sync $(($(sx 4650) + 20 * step)) $(($(sy -2250) + 10 * step))
done
xdotool mouseup 1 keyup ctrl
save "$OUT/menus.vld"
settled_shot ctrl_drag
mapfile -t OH < <(formulas "$OUT/menus.vld" | awk '$2 == "OH" { print $1, $3, $4 }')
[ "${#OH[@]}" = 2 ] || fail "Ctrl+drag left ${#OH[@]} formulas OH: $(formulas "$OUT/menus.vld")"
printf '%s\n' "${OH[@]}" | grep -qx "0 4500 -2100" || fail "the original moved: ${OH[*]}"
printf '%s\n' "${OH[@]}" | grep -qx "0 6000 -2850" || fail "the copy is not where the drag ended: ${OH[*]}"
stop_editor

# 2. The label "COOH" bonded to a ring: clicked, cut and pasted. One ring, one label, and
# only the ring's own six bonds.
start_editor label "$OUT/label.vld"
focus_main
wait_for screen_differs_from label_shown "$OUT/empty.png" || fail "the label drawing never showed"
xdotool mousemove --sync "$(sx 4800)" "$(sy -5400)" click 1
xdotool key --clearmodifiers ctrl+x
xdotool key --clearmodifiers ctrl+v
save "$OUT/label.vld"
settled_shot cut_and_paste
[ "$(info_line "$OUT/label.vld" 'group (9)')" = "  group (9): 1, 0" ] ||
  fail "cut and paste of the label: $("$BIN" --info "$OUT/label.vld")"
[ "$(info_line "$OUT/label.vld" 'bond (12)')" = "  bond (12): 0, 6" ] ||
  fail "cut and paste of the label: $("$BIN" --info "$OUT/label.vld")"
[ "$(formulas "$OUT/label.vld" | awk '{ print $1, $2 }')" = "0 COOH" ] ||
  fail "cut and paste of the label: $(formulas "$OUT/label.vld")"
stop_editor

# 3. An ellipse 20000 units left of and 14000 above the origin, and one below it. Opened,
# the window shows the near one; with nothing selected the arrow keys scroll, Left and Up
# until the far one shows in the window's top-left corner, where there was no ink before:
# its left arc in the strip 40 pixels wide below the Draw bar.
start_editor far "$OUT/far.vld"
focus_main
wait_for screen_differs_from far_opened "$OUT/empty.png" || fail "the far drawing never showed"
settled_shot far_opened
[ "$(ink far_opened $((OX + 100)) $((OY + 100)) 101 101)" -gt 40 ] || fail "the near ellipse is not shown"
[ "$(ink far_opened "$OX" $((OY + 30)) 40 80)" = 0 ] || fail "ink in the corner before scrolling"
xdotool key --clearmodifiers --delay 2 --repeat 320 Left
xdotool key --clearmodifiers --delay 2 --repeat 240 Up
alive
far_shown() {
  import -window root "$OUT/far_scrolled.png" && [ "$(ink far_scrolled "$OX" $((OY + 30)) 40 80)" -gt 40 ]
}
wait_for far_shown || fail "scrolled left and up, the far ellipse never showed"
settled_shot far_scrolled
stop_editor

for log in "$OUT"/editor-*.log; do
  if grep -v -e '^QStandardPaths' "$log" | grep -q .; then fail "the editor complained: $(head -3 "$log")"; fi
done
echo "PASSED: screenshots in $OUT"
