#!/bin/bash
# Drives the real editor window as a person would, under a virtual X server: tools from
# the Draw bar, a benzene ring, a bond from one of its vertices, H2O written with the
# lower-index template, a move and a resize, undo and redo, save, reopen and export.
# Screenshots of each step land in the output folder. Exits non-zero on the first step
# whose result is not there, or when the editor writes anything of its own to stderr.
#
# usage: drive_editor.sh VALENDRA_BINARY OUTPUT_FOLDER
# Every wait is for something the screen or the window list shows (a palette, a tooltip,
# the keyboard focus, ink where the drawing should have it), each with a deadline.
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xprop import convert compare; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

# The editor window is ended by a signal, so leaks are not looked for in it; and the X
# keyboard library's own strndup reads past what strict string checks allow.
EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$OUT"/*.png "$OUT"/drawing.vld "$OUT"/picture.*
# English, whatever the machine's language; everything else as on a first start.
printf '[Software]\nClasses\\Valendra\\settings2=1033\n' >"$VALENDRA_SETTINGS"

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
. "$HERE/editor.sh"
start_x_server "$OUT"

fail() {
  echo "FAILED: $*"
  shot failure
  cat "$EDITOR_LOG"
  exit 1
}
# The box (WxH+X+Y, screen pixels) of the ink in a part of a screenshot.
ink_box() {
  local x=$3 y=$4
  convert "$1" -crop "$2+$x+$y" +repage -colorspace Gray -threshold 50% -negate -trim \
    -format "%w %h %[fx:page.x] %[fx:page.y]" info: |
    { read -r w h px py; echo "${w}x${h}+$((x + px))+$((y + py))"; }
}
info_count() {  # kind name, 1 for the top level or 2 for inside groups
  "$BIN" --info "$OUT/drawing.vld" | sed -n "s/^  $1 ([0-9]*): \([0-9]*\), \([0-9]*\)$/\\$2/p"
}

start_driven_editor
settled_shot 01_start

# Each palette of the Draw bar opened, with the tooltip of its first button showing.
for barx_offset in "32 51" "64 99" "96 147" "128 195" "160 243"; do
  read -r BARX OFFSET <<<"$barx_offset"
  open_palette "$BARX"
  tooltip_shot "palette_$BARX" $((BX + OFFSET + 9)) $((BY + BH + 9))
done
# The tooltip of the Draw bar's Formula button.
tooltip_shot palette_formula_tip $((BX + 12)) $((BY + 8))

# Ink where the drawing should have it: dark pixels in a box of a fresh screenshot.
ink_at_least() {  # MINIMUM BOX
  shot now
  [ "$(dark_pixels "$OUT/now.png" "$2")" -ge "$1" ]
}

# A Kekule benzene ring from the aromatic palette, centred at (400, 300) of the window.
open_palette 96
settled_shot 02_aromatic_palette
palette_button 147 14 0 12 12
read -r CX CY <<<"$(view_point 400 300)"
RING_BOX=80x80+$((CX - 40))+$((CY - 40))
[ "$(dark_pixels "$OUT/02_aromatic_palette.png" "$RING_BOX")" -lt 20 ] ||
  fail "ink where the ring is to go, before it is placed"
click "$CX" "$CY"
wait_for ink_at_least 150 "$RING_BOX" || fail "no benzene ring at $CX,$CY"
input_handled
settled_shot 03_benzene

# A single bond from the ring's vertex at 30 degrees (300 units away: 17 px right, 10 up)
# to empty space: a line of some hundred dark pixels right of and above the vertex.
open_palette 64
palette_button 99 0 0 12 12
BOND_BOX=100x48+$((CX + 19))+$((CY - 58))
RING_INK=$(dark_pixels "$OUT/03_benzene.png" "$BOND_BOX")
click $((CX + 17)) $((CY - 10))
click $((CX + 120)) $((CY - 60))
wait_for ink_at_least $((RING_INK + 80)) "$BOND_BOX" || fail "no bond from the ring's vertex"
input_handled
settled_shot 04_bond

# H2O: the formula tool, H, the lower-index template, 2, Right, O. Typing reaches the
# formula once the click on the paper has given the main window the keyboard back.
bar_button 0
input_handled
has_focus "$BAR" || fail "the Formula button did not take the focus"
read -r FX FY <<<"$(view_point 300 500)"
click "$FX" "$FY"
wait_for has_focus "$MAIN" || fail "the click on the paper did not give the keyboard back"
xdotool type --delay 80 H
open_palette 32
palette_button 51 28 0 12 12
wait_for has_focus "$MAIN" || fail "the index template did not give the keyboard back"
xdotool type --delay 80 2
key Right
# The formula's frame, the ink of the formula being edited, grows to the right by the O.
formula_box() {  # SCREENSHOT
  ink_box "$1" 160x70 $((FX - 30)) $((FY - 35))
}
right_edge() {  # BOX
  local w h x y
  IFS='x+' read -r w h x y <<<"$1"
  echo $((x + w))
}
input_handled
settled_shot before_o
BEFORE_O_BOX=$(formula_box "$OUT/before_o.png")
[[ $BEFORE_O_BOX != 1x1+* ]] || fail "no formula being edited at $FX,$FY"
BEFORE_O=$(right_edge "$BEFORE_O_BOX")
xdotool type --delay 80 O
grown_by_o() {
  shot now
  [ "$(right_edge "$(formula_box "$OUT/now.png")")" -ge $((BEFORE_O + 4)) ]
}
wait_for grown_by_o || fail "the O typed did not show (the formula ends at $BEFORE_O)"
settled_shot 05_h2o_editing
EDITING_BOX=$(formula_box "$OUT/05_h2o_editing.png")
# Escape ends the editing: the frame goes and leaves the formula's own ink.
key Escape
frame_gone() {
  shot now
  [ "$(formula_box "$OUT/now.png")" != "$EDITING_BOX" ]
}
wait_for frame_gone || fail "Escape did not end the editing"
settled_shot 06_h2o
# What was typed showed while it was typed: where the finished formula has its ink, the
# screenshot taken while editing holds nearly the same dark pixels (the caret aside).
BOX=$(formula_box "$OUT/06_h2o.png")
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

# Move the formula 150 px right: its ink leaves the box it had.
click $((CX + 300)) $((CY + 250))
drag $((FX + 6)) $((FY - 2)) $((FX + 156)) $((FY - 2))
moved_away() { shot now && [ "$(dark_pixels "$OUT/now.png" "$BOX")" -lt 10 ]; }
wait_for moved_away || fail "the formula did not move out of $BOX"
input_handled
settled_shot 07_moved
# An ellipse, then its lower-right handle pulled.
open_palette 96
palette_button 147 59 26 12 11
read -r EX EY <<<"$(view_point 700 300)"
circle_box() { ink_box "$OUT/$1.png" 220x200 $((EX - 80)) $((EY - 80)); }
click "$EX" "$EY"
wait_for ink_at_least 60 160x160+$((EX - 80))+$((EY - 80)) || fail "no ellipse at $EX,$EY"
input_handled
settled_shot 08_ellipse
DRAWN=$(circle_box 08_ellipse)
# The new circle's lower-right handle is 11 px right of and 10 px below the press.
drag $((EX + 11)) $((EY + 10)) $((EX + 60)) $((EY + 40))
input_handled
settled_shot 09_resized
RESIZED=$(circle_box 09_resized)
[ "$DRAWN" != "$RESIZED" ] || fail "the resized circle looks as drawn ($DRAWN)"

# Undo the resize and redo it: the screen shows the circle as drawn, then as resized.
circle_is() { shot "$1" && [ "$(circle_box "$1")" = "$2" ]; }
key ctrl+z
wait_for circle_is 10_undone "$DRAWN" ||
  fail "undone: the circle shows as $(circle_box 10_undone), expected $DRAWN"
key ctrl+r
wait_for circle_is 11_redone "$RESIZED" ||
  fail "redone: the circle shows as $(circle_box 11_redone), expected $RESIZED"
check_editor_log

# Save as drawing.vld through the file dialog; the title then names the file.
BEFORE_DIALOG=$(visible_windows)
key ctrl+s
DIALOG=$(wait_for new_window "$BEFORE_DIALOG") || fail "no save dialog"
wait_for has_focus "$DIALOG" || fail "the save dialog did not take the keyboard"
settled_shot 12_save_dialog
xdotool type --delay 30 "$OUT/drawing.vld"
key Return
titled() { [ "$(xdotool getwindowname "$MAIN" 2>/dev/null)" = "drawing.vld - Valendra" ]; }
wait_for titled || fail "the title does not name the saved file"
wait_for window_gone "$DIALOG" || fail "the save dialog stayed"
[ -s "$OUT/drawing.vld" ] || fail "the drawing was not saved"
settled_shot 13_saved
rm -f "$OUT/now.png"

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
start_driven_editor "$OUT/drawing.vld"
settled_shot 14_reopened
kill $APP; wait $APP 2>/dev/null; APP=
check_editor_log
QT_QPA_PLATFORM=offscreen "$BIN" --export "$OUT/drawing.vld" "$OUT/picture.png" --dpi 150 || fail "export"
[ -s "$OUT/picture.png" ] || fail "no picture"
echo "PASSED: screenshots in $OUT"
