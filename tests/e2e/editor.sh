# Sourced by the end-to-end scripts that drive one editor through its Draw bar and
# palettes: starting it, telling when it has handled the input sent, and clicking its
# buttons. The script sets OUT, BIN and EDITOR_ASAN_OPTIONS, defines fail, and sources
# screen.sh first; start_driven_editor sets APP, BAR and MAIN and their places, and the
# editor's output goes to EDITOR_LOG.

shot() { import -window root "$OUT/$1.png"; }

has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# A tooltip of the editor's shows just below the point X, Y.
tooltip_near() {  # X Y
  local w geometry X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(visible_windows); do
    is_tooltip "$w" || continue
    # A tooltip may go between the list and this question.
    geometry=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
    eval "$geometry"
    [ "$X" -ge $(($1 - 20)) ] && [ "$X" -le $(($1 + 40)) ] && [ "$Y" -ge "$2" ] &&
      [ "$Y" -le $(($2 + 40)) ] && return 0
  done
  return 1
}
no_tooltip() {
  local w
  for w in $(visible_windows); do
    is_tooltip "$w" && return 1
  done
  return 0
}
# Hovers at X, Y until the tooltip there shows, then takes the screenshot NAME.
tooltip_shot() {  # NAME X Y
  xdotool mousemove --sync "$2" "$3"
  wait_for tooltip_near "$2" "$3" || fail "$1: no tooltip at $2,$3"
  settled_shot "$1"
}
# The editor takes its input in order, so once the Draw bar's Formula button shows its
# tooltip for a hover sent now, every click and key sent before has been handled. The
# pointer then rests on the status bar, away from the drawing, and the tooltip goes.
input_handled() {
  xdotool mousemove --sync $((BX + 12)) $((BY + 8))
  wait_for tooltip_near $((BX + 12)) $((BY + 8)) || fail "the editor does not answer a hover"
  xdotool mousemove --sync $((MX + 450)) $((MY + MH - 8))
  wait_for no_tooltip || fail "the Formula tooltip did not go"
}

EDITOR_LOG=$OUT/editor-driven.log
start_driven_editor() {  # [ARGUMENTS]
  start_editor driven "$@"
  BAR=$(xdotool search --all --onlyvisible --pid "$APP" --name '^Draw bar$' | head -1)
  [ -n "$BAR" ] || fail "no English Draw bar"
  find_places
}
# The places of the Draw bar (BX, BY, BH) and of the main window (MX, MY, MH), once the
# editor has handled what was sent before.
find_places() {
  eval "$(xdotool getwindowgeometry --shell "$BAR")"
  BX=$X BY=$Y BH=$HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$MAIN")"
  MX=$X MY=$Y MH=$HEIGHT
  input_handled
}

# Dialog units to pixels, as the bar and the palettes are laid out.
dux() { echo $((($1 * 6 + 2) / 4)); }
duy() { echo $((($1 * 13 + 4) / 8)); }

click() { xdotool mousemove --sync "$1" "$2" click 1; }
# A button of the Draw bar by its x in dialog units.
bar_button() { click $((BX + $(dux "$1") + 18)) $((BY + 8)); }
# A Draw bar button that opens a palette; PALETTE is then the palette's window.
open_palette() {  # the button's x in dialog units
  local before
  before=$(visible_windows)
  bar_button "$1"
  PALETTE=$(wait_for new_window "$before") || fail "no palette from the Draw bar button at $1"
}
# A palette button by the bar button's pixel offset and the button's place in dialog units.
# The palette closes once it has handled the click.
palette_button() {
  click $((BX + $1 + $(dux "$2") + $(dux "$4") / 2)) $((BY + BH + $(duy "$3") + $(duy "$5") / 2))
  wait_for window_gone "$PALETTE" || fail "the palette did not close after its button"
}
# A point of the drawing area, from the main window's top-left corner.
view_point() { echo $((MX + $1)) $((MY + $2)); }
drag() {
  xdotool mousemove --sync "$1" "$2" mousedown 1
  xdotool mousemove --sync $((($1 + $3) / 2)) $((($2 + $4) / 2))
  xdotool mousemove --sync "$3" "$4" mouseup 1
}
key() { xdotool key --clearmodifiers "$@"; }
# The pixels darker than mid-grey in a part (WxH+X+Y) of a screenshot.
dark_pixels() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 50% \
    -format "%[fx:int(w*h*(1-mean)+0.5)]" info:
}
# The editor may not write anything to stderr but Qt's note on the runtime folder: the test
# build's own checks of the incremental paint, extents and snapshots report there.
check_editor_log() {
  if grep -v '^QStandardPaths' "$EDITOR_LOG" | grep -q .; then
    fail "the editor wrote to stderr: $(grep -v -m3 '^QStandardPaths' "$EDITOR_LOG")"
  fi
}
