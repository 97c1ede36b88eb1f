#!/bin/bash
# A long run of random use of the real editor under Xvfb: N actions drawn from the seed
# (Draw bar tools and their palettes, clicks, double clicks and drags on the paper, typing,
# keys, context menus, undo and redo, the clipboard, zoom and save). Dialogs that an action
# opens are closed again the way a user would, with Escape. The run stops at once when the
# editor dies, and fails on anything it writes to stderr (the sanitizers' reports, Qt's
# warnings). At the end the drawing saves, the file reads back to the same bytes, and
# undoing everything gives the first drawing's bytes again.
#
# usage: run.sh N SEED [VALENDRA_BINARY [OUTPUT_FOLDER]]
# Every action is logged to OUTPUT_FOLDER/actions.log; the same N and SEED give the same
# actions. MONKEY_SETTLE_EVERY=1 waits for the editor after every action (25 by default),
# which is slower but tells which action a failure followed.
set -u
N=${1:?usage: run.sh N SEED [VALENDRA_BINARY [OUTPUT_FOLDER]]}
SEED=${2:?usage: run.sh N SEED [VALENDRA_BINARY [OUTPUT_FOLDER]]}
HERE=$(dirname "$(readlink -f "$0")")
E2E=$HERE/../e2e
BIN=$(readlink -f "${3:-$HERE/../../build-asan/valendra}")
OUT=$(mkdir -p "${4:-/tmp/valendra-monkey}" && readlink -f "${4:-/tmp/valendra-monkey}")
for tool in Xvfb xdotool xprop xclip import python3; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done
[ -x "$BIN" ] || { echo "no editor at $BIN"; exit 2; }

# The sanitizers stop the editor at their first report; leaks are not looked for, since
# the run ends by killing it, nor the strict string checks, which libxkbcommon's reading of
# the X server's keymap fails.
EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$OUT"/*.png "$OUT"/*.vld "$OUT"/*.bin "$OUT"/*.log

. "$E2E/xserver.sh"
. "$E2E/screen.sh"
. "$E2E/editor.sh"
start_x_server "$OUT"
settings 1033

ACTION=0
fail() {
  echo "FAILED after action $ACTION of $N (seed $SEED): $*"
  import -window root "$OUT/failure.png" 2>/dev/null
  tail -5 "$OUT/actions.log"
  cat "$EDITOR_LOG"
  exit 1
}
alive() { kill -0 "$APP" 2>/dev/null || fail "the editor died"; }

# The first drawing: some rings, as the editor itself writes them.
python3 "$E2E/make_drawing.py" rings 6 "$OUT/generated.vld" || fail "no drawing"
"$BIN" --convert "$OUT/generated.vld" "$OUT/first.vld" || fail "the first drawing does not read"
cp "$OUT/first.vld" "$OUT/drawing.vld"

# The choices come from a generator of our own kept in this shell: $RANDOM read inside
# $(...) runs in a subshell, which bash reseeds and whose draws the next call never sees.
STATE=$SEED
pick() { # pick N: sets PICK to a number below N
  STATE=$(((STATE * 1103515245 + 12345) % 2147483648))
  PICK=$(((STATE / 65536) % $1))
}
# A point on the paper, away from the scroll bars (the window is 1000 x 750): PX, PY.
paper_point() {
  pick 860
  PX=$((MX + 20 + PICK))
  pick 560
  PY=$((MY + 70 + PICK))
}
log() { echo "$ACTION: $*" >>"$OUT/actions.log"; }

KEYS=(Escape Delete BackSpace Return Tab Left Right Up Down shift+Left shift+Right
  shift+Up shift+Down ctrl+Left ctrl+Right ctrl+Up ctrl+Down ctrl+a space Home End F6)
CLIPBOARD=(ctrl+c ctrl+x ctrl+v ctrl+e shift+Delete shift+Insert ctrl+Insert)
ZOOM=(ctrl+plus ctrl+minus ctrl+0 ctrl+equal)
LETTERS=abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-=
random_text() { # sets TEXT
  local n i
  pick 6
  n=$((1 + PICK))
  TEXT=
  for ((i = 0; i < n; i++)); do
    pick ${#LETTERS}
    TEXT+=${LETTERS:$PICK:1}
  done
}

one_action() {
  local r x y x2 y2 k
  pick 100
  r=$PICK
  if [ "$r" -lt 18 ]; then
    paper_point
    x=$PX y=$PY
    log "click $x $y"
    xdotool mousemove --sync "$x" "$y" click 1
  elif [ "$r" -lt 30 ]; then
    paper_point
    x=$PX y=$PY
    paper_point
    x2=$PX y2=$PY
    log "drag $x $y $x2 $y2"
    drag "$x" "$y" "$x2" "$y2"
  elif [ "$r" -lt 33 ]; then
    paper_point
    x=$PX y=$PY
    log "double click $x $y"
    xdotool mousemove --sync "$x" "$y" click --repeat 2 --delay 80 1
  elif [ "$r" -lt 43 ]; then
    # A button of the Draw bar (the formula button and five palettes), and often one of
    # the palette's buttons after it.
    pick 6
    k=$PICK
    log "draw bar button $k"
    bar_button $((k * 32))
    pick 4
    if [ "$k" -gt 0 ] && [ "$PICK" -gt 0 ]; then
      pick 160
      x=$((BX + k * 48 + 3 + PICK))
      pick 60
      y=$((BY + BH + 3 + PICK))
      log "palette point $x $y"
      xdotool mousemove --sync "$x" "$y" click 1
    fi
  elif [ "$r" -lt 50 ]; then
    random_text
    k=$TEXT
    log "type $k"
    xdotool type --delay 20 -- "$k"
  elif [ "$r" -lt 65 ]; then
    pick ${#KEYS[@]}
    k=${KEYS[$PICK]}
    log "key $k"
    key "$k"
  elif [ "$r" -lt 71 ]; then
    # A context menu, left with Escape or by one of its items.
    paper_point
    x=$PX y=$PY
    pick 8
    k=$PICK
    log "context menu $x $y item $k"
    xdotool mousemove --sync "$x" "$y" click 3
    if [ "$k" = 0 ]; then
      key Escape
    else
      # shellcheck disable=SC2046
      key $(printf 'Down %.0s' $(seq "$k")) Return
    fi
  elif [ "$r" -lt 83 ]; then
    pick 3
    k=$([ "$PICK" = 0 ] && echo ctrl+y || echo ctrl+z)
    log "key $k"
    key "$k"
  elif [ "$r" -lt 93 ]; then
    pick ${#CLIPBOARD[@]}
    k=${CLIPBOARD[$PICK]}
    log "key $k"
    key "$k"
  elif [ "$r" -lt 98 ]; then
    pick ${#ZOOM[@]}
    k=${ZOOM[$PICK]}
    log "key $k"
    key "$k"
  else
    log "save"
    key ctrl+s
  fi
}

# The editor's windows besides the main window and the Draw bar that are not tooltips: a
# dialog, a palette or a menu an action left open.
extra_windows() {
  local w
  for w in $(visible_windows); do
    [ "$w" = "$MAIN" ] || [ "$w" = "$BAR" ] || is_tooltip "$w" || echo "$w"
  done
}
# Closes what the actions left open, as a user would: Escape to each window, a click on
# the status bar for a palette that Escape does not close, Return for a message with a
# single button.
close_extra_windows() {
  local w tries
  for tries in 1 2 3 4 5 6; do
    alive
    w=$(extra_windows | head -1)
    [ -z "$w" ] && return 0
    log "close window $w ($(xdotool getwindowname "$w" 2>/dev/null))"
    xdotool windowfocus "$w" 2>/dev/null
    case $tries in
      1 | 2) key Escape ;;
      3 | 5) click $((MX + 450)) $((MY + MH - 8)) ;;  # a palette goes with a click elsewhere
      *) key Return ;;
    esac
    wait_briefly_for_gone "$w"
  done
  [ -z "$(extra_windows)" ]
}
# The editor has taken in everything sent once the Draw bar's Formula button shows its
# tooltip. A mode the actions left (the keyboard in the Draw bar, a tool holding the
# pointer) may keep the tooltip away: a click on the status bar and Escape end it.
answers_hover() {
  local tries
  for tries in 1 2 3; do
    alive
    xdotool mousemove --sync $((BX + 12)) $((BY + 8))
    if hover_answered; then
      xdotool mousemove --sync $((MX + 450)) $((MY + MH - 8))
      wait_for no_tooltip || fail "the Formula tooltip did not go"
      return 0
    fi
    log "no tooltip: click on the status bar, Escape"
    click $((MX + 450)) $((MY + MH - 8))
    key Escape
  done
  return 1
}
# A dialog may open only after the first look for one (a colour dialog is slow to come):
# settled is when the editor answers a hover and no window of it is left open after that.
settle() {
  local round
  for round in 1 2 3; do
    close_extra_windows || continue
    answers_hover && [ -z "$(extra_windows)" ] && return 0
  done
  [ -z "$(extra_windows)" ] || fail "windows the run cannot close: $(extra_windows)"
  fail "the editor does not answer a hover"
}
# The tooltip shows within 15 s (the deadline only bounds a mode that keeps it away).
hover_answered() {
  local end=$((SECONDS + 15))
  until tooltip_near $((BX + 12)) $((BY + 8)); do
    alive
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}
# A window may close a little after its key; the deadline only bounds a window that stays.
wait_briefly_for_gone() {
  local end=$((SECONDS + 5))
  until window_gone "$1"; do
    alive
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}
# The whole drawing as Copy (Ctrl+E) puts it on the clipboard: the bytes Save writes.
copy_all() {  # OUTPUT
  key ctrl+e
  settle
  xclip -selection clipboard -t application/x-valendra-native -o >"$1" 2>/dev/null
}

: >"$OUT/actions.log"
start_driven_editor "$OUT/drawing.vld"
# The first drawing as the window holds it (which finds, for instance, where its bonds end).
copy_all "$OUT/first.bin"
[ -s "$OUT/first.bin" ] || fail "Copy gave nothing"
STARTED=$SECONDS
for ACTION in $(seq "$N"); do
  alive
  one_action
  if [ $((ACTION % ${MONKEY_SETTLE_EVERY:-25})) = 0 ]; then
    settle
    # Pasting copies of copies doubles the drawing; a user whose drawing has grown past
    # a few megabytes starts over (select all, delete) now and then.
    if [ $((ACTION % 100)) = 0 ]; then
      copy_all "$OUT/size.bin"
      if [ "$(stat -c %s "$OUT/size.bin")" -gt 2000000 ]; then
        log "too big: select all, delete"
        key Escape ctrl+a Delete
      fi
    fi
  fi
done
settle
echo "$N actions in $((SECONDS - STARTED)) s"

# Whatever was being edited is left; the drawing saves to its file as the window shows it.
key Escape Escape
settle
copy_all "$OUT/last.bin"
[ -s "$OUT/last.bin" ] || fail "Copy gave nothing"
key ctrl+s
saved() { alive; cmp -s "$OUT/drawing.vld" "$OUT/last.bin"; }
wait_for saved || fail "the file saved is not the drawing the window shows"
"$BIN" --convert "$OUT/drawing.vld" "$OUT/reread.vld" || fail "the file saved does not read"
cmp "$OUT/drawing.vld" "$OUT/reread.vld" || fail "the file saved reads back differently"

# Undo everything: more undos than actions (one too many does nothing).
for k in $(seq $((N / 50 + 1))); do
  # shellcheck disable=SC2046
  key --delay 1 $(printf 'ctrl+z %.0s' $(seq 50))
  settle
done
copy_all "$OUT/undone.bin"
cmp "$OUT/undone.bin" "$OUT/first.bin" || fail "undoing everything does not give the first drawing"
check_editor_log
stop_editor
echo "PASSED: $N actions, seed $SEED"
