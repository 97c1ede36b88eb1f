#!/bin/bash
# Edits a drawing in place inside the reference container, under a virtual X server, as a
# person would: a double click on the drawing's picture puts the editor's frame into the
# container's window (checked with xwininfo and the window's process), the screen shows
# toolbar 4 in the container's toolbar and the drawing in the hatched frame, a bond is drawn
# with the Draw bar, Esc gives the drawing back, and the container shows the new picture
# while the file holds the bond. A second editing is resized with the frame's handle and
# ended by the container's "deactivate" line. Starts with windows that cannot be used fail
# with a message and leave the file alone. Every wait is for a condition (a line of the
# container's trace, a window, a change on the screen); the deadlines only keep a broken
# program from hanging the test. Nothing may be printed on stderr.
#
# usage: in_place.sh VALENDRA_BINARY CONTAINER_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
CONTAINER=$(readlink -f "$2")
OUT=$(mkdir -p "$3" && readlink -f "$3")
for tool in Xvfb xdotool import convert xwininfo xprop; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

# The programs end normally, but the X keyboard library's own strndup reads past what
# strict string checks allow, and Qt's and fontconfig's caches live until exit.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$OUT/runtime
rm -rf "$XDG_RUNTIME_DIR" "$OUT"/*.png "$OUT"/*.log "$OUT"/drawing.* "$VALENDRA_SETTINGS"
mkdir -m 700 "$XDG_RUNTIME_DIR"

. "$(dirname "$0")/xserver.sh"
start_x_server "$OUT"

TRACE=$OUT/trace.log
ERR=$OUT/stderr.log
fail() {
  echo "FAILED: $*"
  import -window root "$OUT/failure.png" 2>/dev/null
  echo "-- trace"; cat "$TRACE" 2>/dev/null
  echo "-- stderr"; cat "$ERR" 2>/dev/null
  exit 1
}
# wait_for SECONDS COMMAND...: runs the command until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}
traced() { grep -q -- "$1" "$TRACE"; }
traced_count() { [ "$(grep -c -- "$1" "$TRACE")" -ge "$2" ]; }
shot() { import -window root "$OUT/$1.png"; }
# Black pixels (on a grey scale, darker than half) of a region of a screenshot.
dark() {  # PNG W H X Y
  convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace Gray -threshold 50% \
    -format '%[fx:round(w*h*(1-mean))]' info:
}
# The absolute place and size of a window: sets WX WY WW WH.
geometry() {
  local info
  info=$(xwininfo -id "$1") || return 1
  WX=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  WY=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WW=$(sed -n 's/.*Width: *//p' <<<"$info")
  WH=$(sed -n 's/.*Height: *//p' <<<"$info")
}
# The only child of a window, or nothing.
only_child() {
  xwininfo -children -id "$1" | awk '/^ *1 child:/ { getline; print $1 }'
}
pid_of_window() { xprop -id "$1" _NET_WM_PID | sed -n 's/.* = //p'; }
editor_windows() { xdotool search --onlyvisible --pid "$EPID" 2>/dev/null | wc -l; }

# The drawing: one ellipse of 2 x 1 inches, and its picture as the editor would write it.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
  $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
one='\x00\x00\x00\x00\x00\x00\xf0\x3f'
{
  printf '8Valendra\0'
  printf "$(le32 0)"
  printf "$(le32 11)$(le32 0)$one"
  printf "$(le32 300)$(le32 $((-300 & 0xFFFFFFFF)))$(le32 3180)$(le32 $((-1740 & 0xFFFFFFFF)))"
  printf "$(le32 300)$(le32 $((-300 & 0xFFFFFFFF)))$(le32 0)"
  printf "$(le32 10)"
} >"$OUT/drawing.vld"
QT_QPA_PLATFORM=offscreen "$BIN" --export "$OUT/drawing.vld" "$OUT/drawing.vld.svg" 2>/dev/null ||
  fail "the first picture was not exported"
cp "$OUT/drawing.vld" "$OUT/drawing.orig"
cp "$OUT/drawing.vld.svg" "$OUT/drawing.svg.orig"

# Starts that cannot put the frame anywhere: a message, a non-zero exit, the file as it was.
check_refused() {  # EXPECTED_MESSAGE ARGS...
  local expected=$1
  shift
  "$BIN" --embedding "$OUT/drawing.vld" --in-place "$@" </dev/null >"$OUT/refused.out" \
    2>"$OUT/refused.err" && fail "--in-place $* was accepted"
  grep -q -- "$expected" "$OUT/refused.err" || fail "--in-place $*: $(cat "$OUT/refused.err")"
  [ ! -s "$OUT/refused.out" ] || fail "--in-place $* said: $(cat "$OUT/refused.out")"
  cmp -s "$OUT/drawing.vld" "$OUT/drawing.orig" || fail "--in-place $* changed the drawing"
  cmp -s "$OUT/drawing.vld.svg" "$OUT/drawing.svg.orig" || fail "--in-place $* changed the picture"
}
check_refused "window 0x1ffffff0 does not exist" 0x1ffffff0
check_refused "'12ab' is not a window id" 12ab
ROOT_ID=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
check_refused "window 0x1ffffff0 does not exist" "$ROOT_ID" 0x1ffffff0

# The container with the drawing's picture.
"$CONTAINER" --trace --editor "$BIN" "$OUT/drawing.vld" >"$TRACE" 2>"$ERR" &
APP=$!
wait_for 60 traced '^picture ' || fail "the container showed no picture"
read -r PX PY PW PH <<<"$(sed -n 's/^picture //p' "$TRACE" | head -1)"
shot 01_container
DARK_BEFORE=$(dark "$OUT/01_container.png" "$PW" "$PH" "$PX" "$PY")
[ "$DARK_BEFORE" -gt 100 ] || fail "the picture shows no drawing ($DARK_BEFORE dark pixels)"

# A double click on the picture starts the editing in place.
xdotool mousemove $((PX + PW / 2)) $((PY + PH / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 60 traced '^editor: activated$' || fail "the editor did not say it is active"
read -r SITE BAR_AREA <<<"$(sed -n 's/^site \(0x[0-9a-f]*\) toolbar area \(0x[0-9a-f]*\)$/\1 \2/p' "$TRACE")"
EPID=$(sed -n 's/^editor started //p' "$TRACE")
[ -n "$SITE" ] && [ -n "$EPID" ] || fail "the trace names no site or no editor"

# The editor's windows live inside the container's: the frame in the site, the bars in
# the toolbar area, each made by the editor's process.
xwininfo -tree -id "$SITE" >"$OUT/site-tree.txt"
FRAME=$(only_child "$SITE")
[ -n "$FRAME" ] || fail "nothing inside the site: $(cat "$OUT/site-tree.txt")"
[ "$(pid_of_window "$FRAME")" = "$EPID" ] || fail "the window in the site is not the editor's"
BARS=$(only_child "$BAR_AREA")
[ -n "$BARS" ] && [ "$(pid_of_window "$BARS")" = "$EPID" ] ||
  fail "the editor's toolbar is not in the container's toolbar area"
xwininfo -root -tree >"$OUT/tree-in-place.txt"

BAR=$(wait_for 60 xdotool search --onlyvisible --name '^Draw bar$' && xdotool search --onlyvisible --name '^Draw bar$' | head -1)
[ -n "$BAR" ] || fail "the Draw bar did not appear"
geometry "$BAR" || fail "no Draw bar geometry"
BX=$WX BY=$WY BH=$WH
geometry "$FRAME" || fail "no frame geometry"
FX=$WX FY=$WY FW=$WW FH=$WH
geometry "$BARS" || fail "no toolbar geometry"
TX=$WX TY=$WY TW=$WW TH=$WH
# Toolbar 4 and the menus are drawn in the toolbar area, and the frame shows its handles
# and the drawing (the ellipse) inside its hatched border.
wait_for 30 bash -c "import -window root '$OUT/02_in_place.png' &&
  [ \$(convert '$OUT/02_in_place.png' -crop ${TW}x${TH}+${TX}+${TY} +repage -colorspace Gray \
      -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:) -gt 150 ] &&
  [ \$(convert '$OUT/02_in_place.png' -crop $((FW - 40))x$((FH - 40))+$((FX + 20))+$((FY + 20)) \
      +repage -colorspace Gray -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:) -gt 100 ]" ||
  fail "toolbar 4 or the drawing is not on the screen"
TOOLBAR_DARK=$(dark "$OUT/01_container.png" "$TW" "$TH" "$TX" "$TY")
[ "$TOOLBAR_DARK" -lt 20 ] || fail "the toolbar area was not empty before ($TOOLBAR_DARK)"
# The eight handles are solid squares of 7 pixels at the corners and in the middles.
for corner in "0 0" "$((FW - 7)) 0" "0 $((FH - 7))" "$((FW - 7)) $((FH - 7))" \
  "$(((FW - 7) / 2)) 0" "0 $(((FH - 7) / 2))" "$(((FW - 7) / 2)) $((FH - 7))" \
  "$((FW - 7)) $(((FH - 7) / 2))"; do
  read -r hx hy <<<"$corner"
  [ "$(dark "$OUT/02_in_place.png" 7 7 $((FX + hx)) $((FY + hy)))" = 49 ] ||
    fail "no handle at $hx,$hy of the frame"
done
# Between the handles the border is hatched: dark and light pixels both.
HATCH=$(dark "$OUT/02_in_place.png" 60 7 $((FX + 30)) "$FY")
[ "$HATCH" -gt 20 ] && [ "$HATCH" -lt 400 ] || fail "the border is not hatched ($HATCH)"

# A single bond from the bonds palette, drawn in the empty lower right of the frame.
dux() { echo $((($1 * 6 + 2) / 4)); }
WINDOWS=$(editor_windows)
xdotool mousemove $((BX + $(dux 64) + 18)) $((BY + 8)) click 1
wait_for 30 bash -c "[ \$(xdotool search --onlyvisible --pid $EPID 2>/dev/null | wc -l) -gt $WINDOWS ]" ||
  fail "the bonds palette did not open"
xdotool mousemove $((BX + 99 + 9)) $((BY + BH + 10)) click 1
wait_for 30 bash -c "[ \$(xdotool search --onlyvisible --pid $EPID 2>/dev/null | wc -l) -eq $WINDOWS ]" ||
  fail "the bonds palette did not close"
VIEW_DARK=$(dark "$OUT/02_in_place.png" $((FW / 2 - 20)) $((FH / 2 - 30)) $((FX + FW / 2)) $((FY + FH / 2)))
A_X=$((FX + FW / 2 + 20)) A_Y=$((FY + FH - 50))
B_X=$((FX + FW - 60)) B_Y=$((FY + FH / 2 + 10))
xdotool mousemove $A_X $A_Y click 1
xdotool mousemove $B_X $B_Y click 1
xdotool mousemove $((FX + 40)) $((FY + FH - 40))
wait_for 30 bash -c "import -window root '$OUT/03_bond.png' &&
  [ \$(convert '$OUT/03_bond.png' -crop $((FW / 2 - 20))x$((FH / 2 - 30))+$((FX + FW / 2))+$((FY + FH / 2)) \
      +repage -colorspace Gray -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:) -gt $((VIEW_DARK + 40)) ]" ||
  fail "the bond was not drawn"

# Esc gives the drawing back: the file and its picture are written, the editor leaves the
# container's window and ends, and the container shows the new picture.
xdotool key Escape
wait_for 60 traced '^editor: deactivated$' || fail "the editor did not say it was deactivated"
wait_for 60 traced '^editor finished 0$' || fail "the editor did not end with status 0"
wait_for 60 traced_count '^picture ' 2 || fail "the container did not show the picture again"
! kill -0 "$EPID" 2>/dev/null || fail "the editor still runs"
xwininfo -id "$SITE" >/dev/null 2>&1 && fail "the site is still there"
[ -z "$(only_child "$BAR_AREA" 2>/dev/null)" ] || fail "the editor's toolbar stayed"
info=$("$BIN" --info "$OUT/drawing.vld")
grep -q '^  bond (12): 1, 0$' <<<"$info" || fail "the file holds no bond: $info"
grep -q '^  ellipse (11): 1, 0$' <<<"$info" || fail "the file lost the ellipse: $info"
grep -q '<line' "$OUT/drawing.vld.svg" || fail "the picture has no bond"
read -r PX PY PW PH <<<"$(sed -n 's/^picture //p' "$TRACE" | sed -n 2p)"
shot 04_given_back
DARK_AFTER=$(dark "$OUT/04_given_back.png" "$PW" "$PH" "$PX" "$PY")
[ "$DARK_AFTER" -gt $((DARK_BEFORE + 40)) ] ||
  fail "the container's picture shows no bond ($DARK_BEFORE -> $DARK_AFTER dark pixels)"

# A second editing: the lower right handle makes the frame 60 x 40 pixels larger, the
# container hears the new size and gives its site that size; a click on the page beside
# the drawing asks the editor to finish.
xdotool mousemove $((PX + PW / 2)) $((PY + PH / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 60 traced_count '^editor: activated$' 2 || fail "the second editing did not start"
SITE=$(sed -n 's/^site \(0x[0-9a-f]*\) toolbar area.*/\1/p' "$TRACE" | tail -1)
wait_for 30 bash -c "[ -n \"\$(xwininfo -children -id $SITE | awk '/^ *1 child:/')\" ]" ||
  fail "the second frame is not in the site"
FRAME=$(only_child "$SITE")
geometry "$FRAME" || fail "no frame geometry"
FX=$WX FY=$WY FW=$WW FH=$WH
xdotool mousemove $((FX + FW - 3)) $((FY + FH - 3)) mousedown 1
xdotool mousemove $((FX + FW + 27)) $((FY + FH + 17))
xdotool mousemove $((FX + FW + 57)) $((FY + FH + 37)) mouseup 1
wait_for 30 traced "^editor: size $((FW + 60)) $((FH + 40))$" ||
  fail "the container was not told the new size $((FW + 60)) x $((FH + 40))"
wait_for 30 bash -c "xwininfo -id $SITE | grep -q 'Width: $((FW + 60))' &&
  xwininfo -id $SITE | grep -q 'Height: $((FH + 40))'" || fail "the site did not take the new size"
shot 05_resized
xdotool mousemove $((FX - 28)) $((FY + 20)) click 1
wait_for 60 traced '^sent deactivate$' || fail "the container did not ask for the drawing"
wait_for 60 traced_count '^editor finished 0$' 2 || fail "the editor did not end after deactivate"
wait_for 60 traced_count '^picture ' 3 || fail "the container did not show the picture again"
"$BIN" --info "$OUT/drawing.vld" | grep -q '^  bond (12): 1, 0$' || fail "the bond was lost"
shot 06_done

kill $APP
wait $APP 2>/dev/null
APP=
[ ! -s "$ERR" ] || fail "unexpected lines on stderr"
echo "PASSED: screenshots in $OUT"
