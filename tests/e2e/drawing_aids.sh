#!/bin/bash
# The drawing aids as a chemist uses them, under a virtual X server, with every aid turned on
# in the settings file: aspirin's skeleton built from a Kekule benzene ring by clicks alone
# (the bond tool clicked on two neighbouring vertices adds a standard bond at each), the
# drawing saved and checked (each new bond 300 units long at a multiple of 30 degrees),
# then labels typed over the two new junctions ("COOH" and "OCOCH3", whose 3 goes into a
# lower index as it is typed), saved again and checked (the labels' markup, the junctions
# replaced, the bonds still pointing the same way, each label one undo step). Screenshots
# of each step land in the output folder.
#
# usage: drawing_aids.sh VALENDRA_BINARY OUTPUT_FOLDER
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
rm -f "$OUT"/*.png "$OUT"/*.vld
printf '[Software]\nClasses\\Valendra\\settings2=1033\n\n[DrawingAids]\n' >"$VALENDRA_SETTINGS"
for aid in StandardBonds ClickAddsBond FuseRings KeepTools TypingMakesLabels; do
  echo "$aid=1" >>"$VALENDRA_SETTINGS"
done

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
FILE=$OUT/aspirin.vld
bonds() { python3 "$HERE/vld_records.py" bonds "$FILE"; }
formulas() { python3 "$HERE/vld_records.py" formulas "$FILE"; }
inode() { stat -c %i "$FILE" 2>/dev/null; }
file_replaced() { [ "$(inode)" != "$1" ] && [ -s "$FILE" ]; }
save() {  # NAME
  local before
  before=$(inode)
  if [ -z "$before" ]; then
    save_through_dialog "$FILE"
  else
    key ctrl+s
  fi
  wait_for file_replaced "$before" || fail "no file written ($1)"
  cp "$FILE" "$OUT/$1.vld"
  settled_shot "$1"
}
# The bonds outside the ring's group, each "length angle" of its drawn ends, and whether
# each is 300 long (to the unit the rounding of the ends allows) at a multiple of 30 degrees
# (to TOLERANCE degrees).
top_bonds() { bonds | awk '$1 == 0'; }
check_bond_geometry() {  # TOLERANCE_DEGREES CHECK_LENGTH
  top_bonds | awk -v tol="$1" -v len="$2" '
    { dx = $4 - $2; dy = $5 - $3; d = sqrt(dx * dx + dy * dy)
      a = atan2(dy, dx) * 180 / 3.14159265358979; if (a < 0) a += 360
      off = a - 30 * int(a / 30 + 0.5); if (off < 0) off = -off
      printf "%.2f %.2f\n", d, a
      if (off > tol || (len && (d < 299 || d > 301))) bad = 1 }
    END { exit bad }'
}

start_driven_editor
settled_shot 01_start

# A Kekule benzene ring centred at (400, 300) of the window; Keep Tools keeps the ring tool,
# so Esc gives it up.
open_palette 96
palette_button 147 14 0 12 12
read -r CX CY <<<"$(view_point 400 300)"
click "$CX" "$CY"
key Escape
input_handled
settled_shot 02_benzene

# The single bond tool; a click on the vertex at 30 degrees (17 px right of the centre, 10
# up) and one on the top vertex (20 px up) add a bond each, outward from the ring.
open_palette 64
palette_button 99 0 0 12 12
click $((CX + 17)) $((CY - 10))
click "$CX" $((CY - 20))
key Escape
input_handled
save 03_two_bonds
[ "$(top_bonds | wc -l)" = 2 ] || fail "not two new bonds: $(bonds)"
GEOMETRY=$(check_bond_geometry 0.2 1) || fail "new bonds not standard: $GEOMETRY"
echo "new bonds (length, angle): $GEOMETRY"
"$BIN" --info "$FILE" | grep -q "^  dot (8): 2, 6$" || fail "junctions: $("$BIN" --info "$FILE")"

# Labels typed over the new junctions with the select tool: 300 units are 20 px at 100 %.
xdotool mousemove --sync $((CX + 35)) $((CY - 20))
xdotool type --delay 40 COOH
key Return
xdotool mousemove --sync "$CX" $((CY - 40))
xdotool type --delay 40 OCOCH3
key Return
input_handled
save 04_labels
LABELS=$(formulas | awk '{ print $1, $2 }' | sort | tr '\n' ';')
[ "$LABELS" = "0 COOH;0 OCOCH#idown_3#_;" ] || fail "labels: $(formulas)"
"$BIN" --info "$FILE" | grep -q "^  dot (8): 0, 6$" || fail "junctions left: $("$BIN" --info "$FILE")"
[ "$(top_bonds | wc -l)" = 2 ] || fail "the bonds did not stay: $(bonds)"
# A bond is drawn to its label's letter frame, along the line to where the junction was.
GEOMETRY=$(check_bond_geometry 1 0) || fail "bonds to the labels turned: $GEOMETRY"

# Each label is one step: two undos give the junctions back.
key ctrl+z
key ctrl+z
input_handled
save 05_undone
[ -z "$(formulas)" ] || fail "labels after two undos: $(formulas)"
# The drawing as before the labels (what was selected then aside: Esc deselected it after).
objects() { "$BIN" --info "$1" | grep -v '^selection count'; }
[ "$(objects "$FILE")" = "$(objects "$OUT/03_two_bonds.vld")" ] &&
  [ "$(bonds)" = "$(python3 "$HERE/vld_records.py" bonds "$OUT/03_two_bonds.vld")" ] ||
  fail "two undos did not give the drawing before the labels: $(objects "$FILE")"

check_editor_log
echo "drawing aids: aspirin built by clicks and typing, bonds standard, labels indexed"
