# Sourced by the end-to-end scripts that drive the editor's windows: waits for what the
# screen and the window list show, and the editor started and stopped on a drawing whose
# origin is found on the screen. The script sets OUT (its output folder), BIN (the editor),
# EDITOR_ASAN_OPTIONS and VALENDRA_SETTINGS, keeps the editor's process id in APP and
# defines fail.

# Waits until a command succeeds, trying every 50 ms for at most 60 s (the deadline only
# stops a broken program from hanging the test). The deadline is in time, not in tries: a
# try that takes and reads a screenshot may itself take a third of a second.
wait_for() {
  local end=$((SECONDS + 60))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}
visible_windows() { xdotool search --onlyvisible --pid "$APP" 2>/dev/null | sort; }
window_gone() { ! visible_windows | grep -qx "$1"; }
# Fails for a window that is no tooltip, and for one already gone.
is_tooltip() { [[ $(xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null) == *TOOLTIP* ]]; }
# The first window, not a tooltip, that shows now and did not in the list BEFORE.
new_window() {  # BEFORE
  local w type
  for w in $(comm -13 <(echo "$1") <(visible_windows)); do
    # A window gone since the list (a tooltip the click hid) is no new window.
    type=$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null) || continue
    [[ $type == *TOOLTIP* ]] || { echo "$w"; return 0; }
  done
  return 1
}
# Ctrl+S on a drawing without a file: the file dialog that asks for one gets PATH.
# The caller's key, has_focus and fail do the work.
save_through_dialog() {  # PATH
  local before dialog
  before=$(visible_windows)
  key ctrl+s
  dialog=$(wait_for new_window "$before") || fail "no save dialog"
  wait_for has_focus "$dialog" || fail "the save dialog did not take the keyboard"
  xdotool type --delay 30 "$1"
  key Return
}
same_screen() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }
# A screenshot NAME taken now is (or is not) the screenshot REFERENCE, pixel for pixel.
screen_same_as() { import -window root "$OUT/$1.png" && same_screen "$2" "$OUT/$1.png"; }
screen_differs_from() { import -window root "$OUT/$1.png" && ! same_screen "$2" "$OUT/$1.png"; }

# An editor that has stopped will never show its bar: say so at once, with its output.
draw_bar_shown() {
  kill -0 "$APP" 2>/dev/null || fail "the editor stopped before its Draw bar appeared"
  xdotool search --all --onlyvisible --pid "$APP" --name '^(Draw bar|Kreslení)$' >/dev/null
}

# A screenshot that two takes in a row agree on: the windows have painted.
settled_shot() {  # NAME
  import -window root "$OUT/$1.png"
  local i
  for i in $(seq 200); do
    sleep 0.05
    import -window root "$OUT/$1-again.png"
    if same_screen "$OUT/$1.png" "$OUT/$1-again.png"; then
      rm -f "$OUT/$1-again.png"
      return 0
    fi
    mv "$OUT/$1-again.png" "$OUT/$1.png"
  done
  fail "the screen did not settle for $1"
}

# The settings file: a main window of 1000 x 750 at the corner, toolbar and status bar, in
# the interface language LANGUAGE_ID (1033 English, 1029 Czech).
settings() {  # LANGUAGE_ID
  printf '[Software]\nClasses\\Valendra\\settings=%s\nClasses\\Valendra\\settings2=%s\n' \
    "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1000 750 0 1" "$1" >"$VALENDRA_SETTINGS"
}
# Starts the editor, its output in editor-LOG_NAME.log, and waits for its Draw bar and main
# window (MAIN).
start_editor() {  # LOG_NAME [ARGUMENTS]
  local log=$OUT/editor-$1.log
  shift
  ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" "$@" >"$log" 2>&1 &
  APP=$!
  wait_for draw_bar_shown || fail "the Draw bar did not appear"
  MAIN=$(xdotool search --all --onlyvisible --pid "$APP" --name ' - Valendra$' | head -1)
  [ -n "$MAIN" ] || fail "no main window"
}
# Ends the editor with a signal. A drawing it had not saved leaves its recovery file, as
# after a crash, and the next start would open on the recovery question instead of the
# drawing; whether the file was written depends on how fast the machine ran the script (5 s
# without a change). The scripts that stop editors this way are not about recovery: the
# file goes with the editor.
stop_editor() {
  kill "$APP"
  wait "$APP" 2>/dev/null
  APP=
  rm -rf "${XDG_STATE_HOME:?}/valendra"
}

# Where the drawing's point (0, 0) is on the screen (OX, OY), from the screenshots of an
# empty drawing and of one whose leftmost and topmost ink is the box of an ellipse 100
# pixels right of and below the origin (make_drawing.py's menus drawing). The scroll bars
# that the drawing brings along lie right of and below 900 x 640.
find_origin() {  # EMPTY_SHOT DRAWING_SHOT
  local ink_x ink_y
  read -r ink_x ink_y <<<"$(compare "$1" "$2" -compose src -highlight-color black \
    -lowlight-color white - 2>/dev/null | convert - -crop 900x640+0+0 -trim \
    -format '%[fx:page.x] %[fx:page.y]' info:)"
  OX=$((ink_x - 100 + 1)) OY=$((ink_y - 100 + 1))
  echo "drawing origin on the screen: $OX,$OY (ink from $ink_x,$ink_y)"
}
# A drawing point on the screen at zoom 1: 15 units to the pixel.
sx() { echo $((OX + $1 / 15)); }
sy() { echo $((OY - $1 / 15)); }
