#!/bin/bash
# Drives the real editor window as a person would, under a virtual X server: tools from
# the Draw bar, a benzene ring, a bond from one of its vertices, H2O written with the
# lower-index template, a move and a resize, undo and redo, save, reopen and export.
# Screenshots of each step land in the output folder. Exits non-zero on the first step
# whose result is not there, or when the editor complains about its painting on stderr.
#
# usage: drive_editor.sh VALENDRA_BINARY OUTPUT_FOLDER
# E2E_PAUSE_SCALE stretches every wait (a sanitized build on a busy machine needs more).
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
for tool in Xvfb xdotool import convert compare; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

# The editor window is ended by a signal, so leaks are not looked for in it; and the X
# keyboard library's own strndup reads past what strict string checks allow.
EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$VALENDRA_SETTINGS" "$OUT"/*.png "$OUT"/drawing.vld "$OUT"/picture.*
SCALE=${E2E_PAUSE_SCALE:-1}

. "$(dirname "$0")/xserver.sh"
start_x_server "$OUT"

fail() {
  echo "FAILED: $*"
  shot failure
  cat "$OUT/editor.log"
  exit 1
}
shot() { import -window root "$OUT/$1.png"; }
pause() { sleep "$(awk "BEGIN { print ${1:-0.6} * $SCALE }")"; }

start_editor() {
  ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" "$@" >"$OUT/editor.log" 2>&1 &
  APP=$!
  BAR=$(timeout 120 xdotool search --sync --name '^Draw bar$' | head -1)
  [ -n "$BAR" ] || fail "the Draw bar did not appear"
  MAIN=$(xdotool search --name ' - Valendra$' | head -1)
  [ -n "$MAIN" ] || fail "no main window"
  eval "$(xdotool getwindowgeometry --shell "$BAR")"
  BX=$X BY=$Y BH=$HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$MAIN")"
  MX=$X MY=$Y
  pause 1
}

# Dialog units to pixels, as the bar and the palettes are laid out.
dux() { echo $((($1 * 6 + 2) / 4)); }
duy() { echo $((($1 * 13 + 4) / 8)); }

click() { xdotool mousemove "$1" "$2"; pause 0.2; xdotool click 1; pause; }
# A button of the Draw bar by its x in dialog units.
bar_button() { click $((BX + $(dux "$1") + 18)) $((BY + 8)); }
# A palette button by the bar button's pixel offset and the button's place in dialog units.
palette_button() {
  click $((BX + $1 + $(dux "$2") + $(dux "$4") / 2)) $((BY + BH + $(duy "$3") + $(duy "$5") / 2))
}
# A point of the drawing area, from the main window's top-left corner.
view_point() { echo $((MX + $1)) $((MY + $2)); }
drag() {
  xdotool mousemove "$1" "$2"; pause 0.2
  xdotool mousedown 1; pause 0.2
  xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)); pause 0.2
  xdotool mousemove "$3" "$4"; pause 0.2
  xdotool mouseup 1; pause
}
key() { xdotool key --clearmodifiers "$@"; pause 0.3; }
# The pixels darker than mid-grey in a part (WxH+X+Y) of a screenshot.
dark_pixels() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 50% \
    -format "%[fx:int(w*h*(1-mean)+0.5)]" info:
}
# The box (WxH+X+Y, screen pixels) of the ink in a part of a screenshot.
ink_box() {
  local x=$3 y=$4
  convert "$1" -crop "$2+$x+$y" +repage -colorspace Gray -threshold 50% -negate -trim \
    -format "%w %h %[fx:page.x] %[fx:page.y]" info: |
    { read -r w h px py; echo "${w}x${h}+$((x + px))+$((y + py))"; }
}
# The editor may not complain about its painting on stderr.
check_editor_log() {
  if grep -q "QPainter" "$OUT/editor.log"; then fail "the editor's painting failed: $(grep -m1 QPainter "$OUT/editor.log")"; fi
}
info_count() {  # kind name, 1 for the top level or 2 for inside groups
  "$BIN" --info "$OUT/drawing.vld" | sed -n "s/^  $1 ([0-9]*): \([0-9]*\), \([0-9]*\)$/\\$2/p"
}

start_editor
shot 01_start

# Each palette of the Draw bar opened, with the tooltip of its first button showing.
for barx_offset in "32 51" "64 99" "96 147" "128 195" "160 243"; do
  read -r BARX OFFSET <<<"$barx_offset"
  bar_button "$BARX"
  xdotool mousemove $((BX + OFFSET + 9)) $((BY + BH + 9))
  pause 1.5
  shot "palette_$BARX"
done
# The tooltip of the Draw bar's Formula button.
xdotool mousemove $((BX + 12)) $((BY + 8))
pause 1.5
shot palette_formula_tip

# A Kekule benzene ring from the aromatic palette, centred at (400, 300) of the window.
bar_button 96
shot 02_aromatic_palette
palette_button 147 14 0 12 12
read -r CX CY <<<"$(view_point 400 300)"
click "$CX" "$CY"
shot 03_benzene

# A single bond from the ring's vertex at 30 degrees (300 units away: 17 px right, 10 up)
# to empty space.
bar_button 64
palette_button 99 0 0 12 12
click $((CX + 17)) $((CY - 10))
click $((CX + 120)) $((CY - 60))
shot 04_bond

# H2O: the formula tool, H, the lower-index template, 2, Right, O, Escape.
bar_button 0
read -r FX FY <<<"$(view_point 300 500)"
click "$FX" "$FY"
xdotool type --delay 80 H; pause 0.3
bar_button 32
palette_button 51 28 0 12 12
xdotool type --delay 80 2; pause 0.3
key Right
xdotool type --delay 80 O; pause 0.3
shot 05_h2o_editing
key Escape
shot 06_h2o
# What was typed showed while it was typed: where the finished formula has its ink, the
# screenshot taken while editing holds nearly the same dark pixels (the caret aside).
BOX=$(ink_box "$OUT/06_h2o.png" 160x70 $((FX - 30)) $((FY - 35)))
TEXT_DONE=$(dark_pixels "$OUT/06_h2o.png" "$BOX")
TEXT_TYPED=$(dark_pixels "$OUT/05_h2o_editing.png" "$BOX")
[ "$TEXT_DONE" -ge 30 ] || fail "H2O after Escape: only $TEXT_DONE dark pixels in $BOX"
[ $((TEXT_TYPED * 10)) -ge $((TEXT_DONE * 8)) ] && [ "$TEXT_TYPED" -le $((TEXT_DONE * 12 / 10 + 40)) ] ||
  fail "H2O while typed: $TEXT_TYPED dark pixels in $BOX, $TEXT_DONE after Escape"
convert "$OUT/05_h2o_editing.png" -crop "$BOX" +repage "$OUT/h2o_typed.png"
convert "$OUT/06_h2o.png" -crop "$BOX" +repage "$OUT/h2o_done.png"
DIFFERENT=$(compare -metric AE -fuzz 25% "$OUT/h2o_typed.png" "$OUT/h2o_done.png" null: 2>&1 |
  cut -d' ' -f1)
echo "H2O in $BOX: $TEXT_TYPED dark pixels while typed, $TEXT_DONE after Escape, $DIFFERENT differ"
[ "${DIFFERENT%.*}" -le $((TEXT_DONE / 3 + 40)) ] ||
  fail "H2O while typed differs from H2O after Escape in $DIFFERENT pixels of $BOX"

# Move the formula 150 px right, then draw an ellipse and pull its lower-right handle.
click $((CX + 300)) $((CY + 250))
drag $((FX + 6)) $((FY - 2)) $((FX + 156)) $((FY - 2))
shot 07_moved
bar_button 96
palette_button 147 59 26 12 11
read -r EX EY <<<"$(view_point 700 300)"
click "$EX" "$EY"
shot 08_ellipse
# The new circle's lower-right handle is 11 px right of and 10 px below the press.
drag $((EX + 11)) $((EY + 10)) $((EX + 60)) $((EY + 40))
shot 09_resized

# Undo the resize and redo it: the screen shows the circle as drawn, then as resized.
circle_box() { ink_box "$OUT/$1.png" 220x200 $((EX - 80)) $((EY - 80)); }
DRAWN=$(circle_box 08_ellipse) RESIZED=$(circle_box 09_resized)
[ "$DRAWN" != "$RESIZED" ] || fail "the resized circle looks as drawn ($DRAWN)"
shows_circle() {  # screenshot name, the circle's expected ink box; waits for the repaint
  local i
  for i in $(seq 1 50); do
    shot "$1"
    [ "$(circle_box "$1")" = "$2" ] && return 0
    sleep 0.2
  done
  fail "$1: the circle shows as $(circle_box "$1"), expected $2"
}
key ctrl+z
shows_circle 10_undone "$DRAWN"
key ctrl+r
shows_circle 11_redone "$RESIZED"
check_editor_log

# Save as drawing.vld through the file dialog.
key ctrl+s
pause 1.5
shot 12_save_dialog
xdotool type --delay 30 "$OUT/drawing.vld"; pause 0.3
key Return
pause 1.5
[ -s "$OUT/drawing.vld" ] || fail "the drawing was not saved"
shot 13_saved

kill $APP; wait $APP 2>/dev/null; APP=
check_editor_log

# The saved file holds what was drawn: the ring's six junctions and six bonds in its group,
# one more junction and one bond at the top level (the bond started on the ring's vertex),
# the formula and the ellipse.
[ "$(info_count dot 2)" = 6 ] || fail "ring junctions: $(info_count dot 2)"
[ "$(info_count bond 2)" = 6 ] || fail "ring bonds: $(info_count bond 2)"
[ "$(info_count dot 1)" = 1 ] || fail "junctions outside the ring: $(info_count dot 1)"
[ "$(info_count bond 1)" = 1 ] || fail "bonds outside the ring: $(info_count bond 1)"
[ "$(info_count formula 1)" = 1 ] || fail "formulas: $(info_count formula 1)"
[ "$(info_count ellipse 1)" = 1 ] || fail "ellipses: $(info_count ellipse 1)"
grep -q "H#idown 2# O" "$OUT/drawing.vld" || fail "the formula is not H#idown 2# O"

# Reopen it in the editor and look at it, then export the picture.
start_editor "$OUT/drawing.vld"
shot 14_reopened
kill $APP; wait $APP 2>/dev/null; APP=
check_editor_log
QT_QPA_PLATFORM=offscreen "$BIN" --export "$OUT/drawing.vld" "$OUT/picture.png" --dpi 150 || fail "export"
[ -s "$OUT/picture.png" ] || fail "no picture"
echo "PASSED: screenshots in $OUT"
