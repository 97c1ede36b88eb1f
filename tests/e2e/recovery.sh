#!/bin/bash
# A drawing never saved survives the editor's death: draw a ring and an ellipse, wait for
# the recovery write (the recovery file then holds the drawing the window shows, the bytes
# a copy of the whole drawing gives, which are those Save writes), kill -9 the editor,
# start it again: the question appears, Recover brings the drawing back titled
# "noname (recovered)", and Save (Ctrl+S, a file dialog: it has no file) writes exactly
# those bytes. Then no recovery file is left, and the editor printed nothing on stderr.
#
# usage: recovery.sh VALENDRA_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xprop xclip import convert compare python3; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
# A recovery write 300 ms after the last change, not 5 s, and at most every 600 ms.
export VALENDRA_RECOVERY_DELAYS=300,600
rm -f "$OUT"/*.png "$OUT"/*.vld "$OUT"/*.bin "$OUT"/*.log
printf '[Software]\nClasses\\Valendra\\settings2=1033\n' >"$VALENDRA_SETTINGS"

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
. "$HERE/editor.sh"
start_x_server "$OUT"
FOLDER=$XDG_STATE_HOME/valendra/recovery

fail() {
  echo "FAILED: $*"
  shot failure
  cat "$EDITOR_LOG"
  exit 1
}
# The stream of a recovery file: everything after its header's empty line.
stream_of() {  # FILE
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.stdout.buffer.write(d[d.index(b"\n\n") + 2:])' "$1"
}
# What the editor's Copy (Ctrl+E) puts on the clipboard: the whole drawing as Save writes it.
copied() {  # OUTPUT
  key ctrl+e
  input_handled
  xclip -selection clipboard -t application/x-valendra-native -o >"$1" 2>/dev/null
}

start_driven_editor
# A benzene ring from the aromatic palette and an ellipse beside it.
open_palette 96
palette_button 147 14 0 12 12
click $(view_point 300 300)
input_handled
open_palette 96
palette_button 147 59 26 12 11
click $(view_point 600 300)
input_handled
settled_shot 01_drawn
OWN=$FOLDER/valendra-$APP-*.recovery
# The drawing as the window shows it; the recovery write comes in idle time after it.
copied "$OUT/before_kill.bin"
[ "$(stat -c %s "$OUT/before_kill.bin")" -gt 100 ] || fail "Copy gave no drawing"
written() {
  # shellcheck disable=SC2086
  [ -f $OWN ] && stream_of $OWN | cmp -s - "$OUT/before_kill.bin"
}
wait_for written || fail "no recovery file with the drawing in $FOLDER"
kill -9 "$APP"
wait "$APP" 2>/dev/null
APP=

# The next start asks; Recover is the answer the question offers first.
ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" >"$EDITOR_LOG" 2>&1 &
APP=$!
question() { xdotool search --all --onlyvisible --pid "$APP" --name '^Valendra$' | head -1; }
asked() {
  kill -0 "$APP" 2>/dev/null || fail "the editor stopped before it asked"
  [ -n "$(question)" ]
}
wait_for asked || fail "no recovery question at the start"
QUESTION=$(question)
settled_shot 02_question
wait_for timeout 10 xdotool windowfocus --sync "$QUESTION" 2>/dev/null ||
  fail "the question did not take the keyboard"
key Return
wait_for window_gone "$QUESTION" || fail "the question stayed after Recover"
wait_for draw_bar_shown || fail "the Draw bar did not appear"
MAIN=$(xdotool search --all --onlyvisible --pid "$APP" --name ' - Valendra$' | head -1)
[ "$(xdotool getwindowname "$MAIN")" = "noname (recovered) - Valendra" ] ||
  fail "the recovered drawing is titled '$(xdotool getwindowname "$MAIN")'"
BAR=$(xdotool search --all --onlyvisible --pid "$APP" --name '^Draw bar$' | head -1)
find_places
settled_shot 03_recovered
# The same ink as before the kill.
[ "$(dark_pixels "$OUT/03_recovered.png" 400x200+$((MX + 200))+$((MY + 200)))" -ge \
  $(($(dark_pixels "$OUT/01_drawn.png" 400x200+$((MX + 200))+$((MY + 200))) - 5)) ] ||
  fail "the recovered drawing shows less ink than the one drawn"

# Save: the drawing has no file, so the file dialog asks for one.
save_through_dialog "$OUT/recovered.vld"
titled() { [ "$(xdotool getwindowname "$MAIN" 2>/dev/null)" = "recovered.vld - Valendra" ]; }
wait_for titled || fail "the title does not name the saved file"
cmp "$OUT/recovered.vld" "$OUT/before_kill.bin" ||
  fail "the file saved after recovery differs from the drawing before the kill"
# Saved: neither the old editor's file nor this one's is left.
none_left() { [ -z "$(ls -A "$FOLDER")" ]; }
wait_for none_left || fail "recovery files left after the save: $(ls -A "$FOLDER")"
check_editor_log
kill "$APP"
wait "$APP" 2>/dev/null
APP=
echo "PASSED: screenshots in $OUT"
