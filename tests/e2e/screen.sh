# Sourced by the end-to-end scripts that drive the editor's windows: waits for what the
# screen and the window list show. The script sets OUT (its output folder) and APP (the
# editor's process id) and defines fail.

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
