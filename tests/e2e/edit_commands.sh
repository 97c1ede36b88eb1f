#!/bin/bash
# The editing commands as a person uses them, under a virtual X server: a drawing opened
# and saved at once; select all, Del and save (the empty drawing); undo all and save (the first
# file again, byte for byte); the two formulas and their bond grouped from the Edit menu,
# mirrored both ways from it, and nudged with the arrow keys. Every
# step is saved with Ctrl+S and the test waits for the new file; the file then says what
# the step did. Screenshots of each step land in the output folder.
#
# usage: edit_commands.sh VALENDRA_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool import convert compare python3 cmp; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$VALENDRA_SETTINGS" "$OUT"/*.png "$OUT"/*.vld

. "$HERE/xserver.sh"
start_x_server "$OUT"

fail() {
  echo "FAILED: $*"
  shot failure
  cat "$OUT/editor.log"
  exit 1
}
shot() { import -window root "$OUT/$1.png"; }
# Waits until the command succeeds, looking every tenth of a second, for at most a minute
# (a sanitized build on a busy machine is slow; the limit only keeps a broken run finite).
wait_until() {
  local i
  for i in $(seq 600); do "$@" && return 0; sleep 0.1; done
  return 1
}
key() { xdotool key --clearmodifiers "$@"; }
inode() { stat -c %i "$FILE" 2>/dev/null; }
file_replaced() { [ "$(inode)" != "$1" ] && [ -s "$FILE" ]; }
# Ctrl+S, then the wait for the safe writer's rename, which gives the file a new inode.
save() {
  local before
  before=$(inode)
  key ctrl+s
  wait_until file_replaced "$before" || fail "Ctrl+S wrote no new file ($1)"
  cp "$FILE" "$OUT/$1.vld"
  shot "$1"
}
formulas() { python3 "$HERE/vld_records.py" formulas "$FILE"; }
# The anchor of a formula in the saved file: "depth x y".
anchor_of() { formulas | awk -v t="$1" '$2 == t { print $1, $3, $4 }'; }
editor_windows() { xdotool search --onlyvisible --pid "$APP" 2>/dev/null | wc -l; }
more_windows_than() { [ "$(editor_windows)" -gt "$1" ]; }
# An item of the Edit menu by its mnemonic, once the menu has opened.
edit_menu() {
  local n
  n=$(editor_windows)
  key alt+e
  wait_until more_windows_than "$n" || fail "the Edit menu did not open"
  key "$1"
  wait_until test "$(editor_windows)" -le "$n" || fail "the Edit menu did not close"
}
# The dark pixels of the drawing area (below the Draw bar, left of the scroll bar) in a
# screenshot.
drawing_ink() {
  convert "$OUT/$1.png" -crop "$((MW - 40))x$((MH - 160))+$MX+$((MY + 90))" +repage \
    -colorspace Gray -threshold 50% -format "%[fx:int(w*h*(1-mean)+0.5)]" info:
}
near() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

FILE=$OUT/drawing.vld
python3 "$HERE/vld_records.py" write "$FILE"
cp "$FILE" "$OUT/start.vld"
ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" "$FILE" >"$OUT/editor.log" 2>&1 &
APP=$!
timeout 120 xdotool search --sync --name '^Draw bar$' >/dev/null || fail "the Draw bar did not appear"
MAIN=$(xdotool search --name '^drawing.vld - Valendra$' | head -1)
[ -n "$MAIN" ] || fail "no main window titled with the file"
xdotool windowactivate --sync "$MAIN" 2>/dev/null || xdotool windowfocus --sync "$MAIN"
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
MX=$X MY=$Y MW=$WIDTH MH=$HEIGHT

save 01_opened_and_saved
read -r D X1 Y1 <<<"$(anchor_of 'CH#idown_3#_')"
read -r D2 X2 Y2 <<<"$(anchor_of OH)"
[ "$D$D2" = 00 ] || fail "the formulas are not top-level at the start: $(formulas)"

key ctrl+a
key Delete
save 02_deleted
[ "$(stat -c %s "$FILE")" = 18 ] || fail "the emptied drawing has $(stat -c %s "$FILE") bytes"
printf '8Valendra\0\0\0\0\0\n\0\0\0' | cmp -s - "$FILE" || fail "the emptied drawing is not the empty stream"
[ "$(drawing_ink 02_deleted)" -eq 0 ] || fail "the emptied drawing still shows $(drawing_ink 02_deleted) dark pixels"

# Select All recorded a step of its own: two undos go back to the drawing as it opened.
key ctrl+z
key ctrl+z
save 03_undone
cmp -s "$OUT/01_opened_and_saved.vld" "$FILE" || fail "undo did not bring back the first file's bytes"
INK=$(drawing_ink 01_opened_and_saved)
[ "$INK" -gt 100 ] && [ "$(drawing_ink 03_undone)" -eq "$INK" ] ||
  fail "the drawing showed $INK dark pixels at first, $(drawing_ink 03_undone) after the undos"

key ctrl+a
edit_menu g
save 04_grouped
[ "$(anchor_of 'CH#idown_3#_')" = "1 $X1 $Y1" ] || fail "CH3 not in the group where it was: $(formulas)"
[ "$(anchor_of OH)" = "1 $X2 $Y2" ] || fail "OH not in the group where it was: $(formulas)"
"$BIN" --info "$FILE" | grep -q "^  group (9): 1, 0$" || fail "not one group: $("$BIN" --info "$FILE")"
"$BIN" --info "$FILE" | grep -q "^  bond (12): 0, 1$" || fail "the bond is not inside the group"

# The vertical mirror from the Edit menu: the formulas change sides, each at its height.
edit_menu i
save 05_mirrored_vertically
read -r D A1 B1 <<<"$(anchor_of 'CH#idown_3#_')"
read -r D A2 B2 <<<"$(anchor_of OH)"
near "$A1" "$X2" 150 && near "$A2" "$X1" 150 && [ "$B1" = "$Y1" ] && [ "$B2" = "$Y2" ] ||
  fail "vertical mirror: CH3 at $A1 $B1, OH at $A2 $B2 (were $X1 $Y1, $X2 $Y2)"
# The same ink, elsewhere: the picture changed, about as much of it is dark.
MIRRORED=$(drawing_ink 05_mirrored_vertically)
GROUPED=$(drawing_ink 04_grouped)
near "$MIRRORED" "$GROUPED" $((GROUPED / 10)) || fail "mirrored: $MIRRORED dark pixels, $GROUPED before"
compare -metric AE "$OUT/04_grouped.png" "$OUT/05_mirrored_vertically.png" null: 2>/dev/null &&
  fail "the mirror changed nothing on the screen"

# The horizontal mirror from the Edit menu: the heights change places.
edit_menu h
save 06_mirrored_horizontally
read -r D C1 E1 <<<"$(anchor_of 'CH#idown_3#_')"
read -r D C2 E2 <<<"$(anchor_of OH)"
[ "$C1 $C2" = "$A1 $A2" ] && near "$E1" "$Y2" 150 && near "$E2" "$Y1" 150 ||
  fail "horizontal mirror: CH3 at $C1 $E1, OH at $C2 $E2"

# Right twice, up once and Ctrl+Left: (+100, 0) twice, (0, +100), (-10, 0).
key Right
key Right
key Up
key ctrl+Left
save 07_nudged
[ "$(anchor_of 'CH#idown_3#_')" = "1 $((C1 + 190)) $((E1 + 100))" ] ||
  fail "nudged CH3 at $(anchor_of 'CH#idown_3#_'), expected $((C1 + 190)) $((E1 + 100))"
[ "$(anchor_of OH)" = "1 $((C2 + 190)) $((E2 + 100))" ] || fail "nudged OH at $(anchor_of OH)"

kill $APP; wait $APP 2>/dev/null; APP=
if grep -q "QPainter\|ERROR: AddressSanitizer\|runtime error" "$OUT/editor.log"; then
  fail "the editor complained: $(head -3 "$OUT/editor.log")"
fi
echo "PASSED: screenshots in $OUT"
