#!/bin/bash
# Kills the editor (kill -9) at random moments while it saves a drawing of 10 000 objects
# and while it writes that drawing for recovery, RUNS times (half each): once a write has
# begun (its new file is there, or it is already done), at a random moment up to 0.3 s
# later. It looks at what every kill left before and after the next start:
#   - the drawing's file holds its old bytes or its new ones, never anything else;
#   - a recovery file left is a whole drawing, and the next start asks about it; Recover
#     brings back exactly the drawing the file holds (what a copy of it gives);
#   - after the next start no new file of a killed write of ours is left, beside the
#     drawing or in the recovery folder.
# A count of how many kills left such files shows that the kills did land in the writes.
#
# usage: kill_saves.sh VALENDRA_BINARY OUTPUT_FOLDER [RUNS [SEED]]
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
RUNS=${3:-100}
RANDOM=${4:-33}
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xprop xclip import python3; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
# Each block of 64 kB waits 15 ms before it is written: a drawing of 900 kB then takes a
# quarter of a second to write, long enough for a kill to land in it (without, the write
# of its bytes takes a few milliseconds after the stream was put together).
export VALENDRA_SAFE_FILE_PACE=15
export VALENDRA_SETTINGS=$OUT/settings.ini
export QT_QPA_PLATFORM=xcb
rm -f "$OUT"/*.vld "$OUT"/*.bin "$OUT"/*.log "$OUT"/*.png "$OUT"/.*.valendra-*
printf '[Software]\nClasses\\Valendra\\settings2=1033\n' >"$VALENDRA_SETTINGS"

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
start_x_server "$OUT"
FOLDER=$XDG_STATE_HOME/valendra/recovery
TARGET=$OUT/drawing.vld
ORIG=$OUT/original.vld
NUDGED=$OUT/nudged.vld

fail() {
  echo "FAILED (run ${RUN:-0}): $*"
  import -window root "$OUT/failure.png"
  cat "$OUT/editor.log"
  exit 1
}
key() { xdotool key --clearmodifiers "$@"; }
main_window() { xdotool search --all --onlyvisible --pid "$APP" --name ' - Valendra$' | head -1; }
main_window_name() { xdotool getwindowname "$(main_window)" 2>/dev/null; }
question() { xdotool search --all --onlyvisible --pid "$APP" --name '^Valendra$' | head -1; }
alive() { kill -0 "$APP" 2>/dev/null || fail "the editor stopped: $(tail -5 "$OUT/editor.log")"; }
# The editor shows its window with its title, or asks its recovery question first.
shows() { alive && [ -n "$(main_window)" ] && draw_bar_shown; }
asks() { alive && [ -n "$(question)" ]; }
stream_of() {  # RECOVERY_FILE
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.stdout.buffer.write(d[d.index(b"\n\n") + 2:])' "$1"
}
leftovers() {
  find "$OUT" "$FOLDER" -maxdepth 1 -name '.*.valendra-*' 2>/dev/null
}
dead_recovery_files() {
  local f pid
  for f in "$FOLDER"/valendra-*.recovery; do
    [ -f "$f" ] || continue
    pid=${f##*/valendra-}
    pid=${pid%%-*}
    kill -0 "$pid" 2>/dev/null || echo "$f"
  done
}
start() {  # [FILE]
  ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" "$@" >"$OUT/editor.log" 2>&1 &
  APP=$!
}
answer() {  # KEY: Return for Recover, alt+d for Discard
  wait_for asks || fail "no recovery question although a recovery file was left"
  local q
  q=$(question)
  wait_for timeout 10 xdotool windowfocus --sync "$q" 2>/dev/null ||
    fail "the question did not take the keyboard"
  key "$1"
  wait_for window_gone "$q" || fail "the question stayed"
}
ready() {
  wait_for shows || fail "the editor did not show its window"
  MAIN=$(main_window)
  wait_for timeout 10 xdotool windowfocus --sync "$MAIN" 2>/dev/null ||
    fail "the editor did not take the keyboard"
}
kill_editor() {
  kill -9 "$APP" 2>/dev/null
  wait "$APP" 2>/dev/null
  APP=
}
# Seconds, as a decimal, from 0 to MAX milliseconds.
random_ms() { printf '0.%03d' $((RANDOM % $1)); }
# Waits, looking every 10 ms, until a write of the editor's has begun: a new file of ours
# in FOLDER, or a write already done (the command given succeeds). The deadline only
# bounds an editor that never writes.
until_writing() {  # FOLDER COMMAND...
  local folder=$1 end=$((SECONDS + 60))
  shift
  until [ -n "$(find "$folder" -maxdepth 1 -name '.*.valendra-*' 2>/dev/null)" ] || "$@"; do
    alive
    [ "$SECONDS" -lt "$end" ] || fail "the editor did not write"
    sleep 0.01
  done
}

python3 "$HERE/make_drawing.py" rings 770 "$ORIG" || fail "no drawing"
[ "$("$BIN" --info "$ORIG" | sed -n 's/^  dot (8): 0, //p')" = 4620 ] || fail "not 10 010 objects"

# The new bytes of a save: the drawing all selected and moved one step right, saved.
cp "$ORIG" "$TARGET"
start "$TARGET"
ready
key ctrl+a Right ctrl+s
saved() { ! cmp -s "$TARGET" "$ORIG" && [ -z "$(leftovers)" ]; }
wait_for saved || fail "the save for the reference did not happen"
cp "$TARGET" "$NUDGED"
kill "$APP"
wait "$APP" 2>/dev/null
APP=

SAVE_LEFT=0
RECOVERY_LEFT=0
OFFERS=0
SECONDS_START=$SECONDS
for RUN in $(seq "$RUNS"); do
  # What the kill before left.
  cmp -s "$TARGET" "$ORIG" || cmp -s "$TARGET" "$NUDGED" ||
    fail "the drawing's file is neither its old nor its new bytes"
  for f in $(leftovers); do
    case $f in
      "$FOLDER"/*) RECOVERY_LEFT=$((RECOVERY_LEFT + 1)) ;;
      *) SAVE_LEFT=$((SAVE_LEFT + 1)) ;;
    esac
  done
  REC=$(dead_recovery_files)
  [ "$(echo "$REC" | grep -c .)" -le 1 ] || fail "more than one recovery file: $REC"
  if [ -n "$REC" ]; then
    stream_of "$REC" >"$OUT/stream.vld"
    [ "$(stat -c %s "$OUT/stream.vld")" = "$(stat -c %s "$ORIG")" ] ||
      fail "a recovery file holds $(stat -c %s "$OUT/stream.vld") bytes of drawing"
    "$BIN" --info "$OUT/stream.vld" >/dev/null || fail "a recovery file does not read"
  fi

  if [ "$RUN" -le $((RUNS / 2)) ]; then
    # A recovery write under way: every change is written at once.
    export VALENDRA_RECOVERY_DELAYS=0,0
    if [ -n "$REC" ]; then
      start
      answer Return
      OFFERS=$((OFFERS + 1))
      ready
      # The recovered drawing is read after the question, under a progress window once it
      # takes half a second, which takes the keyboard until it is done: the title tells.
      recovered() { main_window_name | grep -q ' (recovered) - Valendra$'; }
      wait_for recovered || fail "the recovered drawing is titled '$(main_window_name)'"
      # Recovered: the drawing the file held, as a copy of it gives.
      key ctrl+e
      copied() {
        xclip -selection clipboard -t application/x-valendra-native -o 2>/dev/null |
          cmp -s - "$OUT/stream.vld"
      }
      wait_for copied || fail "the recovered drawing is not the one the file held"
    else
      start "$TARGET"
      ready
    fi
    [ -z "$(leftovers)" ] || fail "left after the start: $(leftovers)"
    # The keys are all sent before the kill, so that none is left held down for the next
    # editor; the editor takes them in over the next second, a recovery write after each.
    touch "$OUT/sent"
    key ctrl+a Right Right Right
    written() { [ -n "$(find "$FOLDER" -name "valendra-$APP-*.recovery" -newer "$OUT/sent")" ]; }
    until_writing "$FOLDER" written
    sleep "$(random_ms 300)"
  else
    # A save under way.
    export VALENDRA_RECOVERY_DELAYS=
    cp "$ORIG" "$TARGET"
    start "$TARGET"
    if [ -n "$REC" ]; then
      answer alt+d
      OFFERS=$((OFFERS + 1))
    fi
    ready
    [ -z "$(leftovers)" ] || fail "left after the start: $(leftovers)"
    [ -z "$(dead_recovery_files)" ] || fail "Discard left the recovery file"
    key ctrl+a Right ctrl+s
    changed() { ! cmp -s "$TARGET" "$ORIG"; }
    until_writing "$OUT" changed
    sleep "$(random_ms 300)"
  fi
  kill_editor
done
echo "$RUNS kills in $((SECONDS - SECONDS_START)) s: the drawing's file always whole;" \
  "$SAVE_LEFT kills during a save and $RECOVERY_LEFT during a recovery write left a new" \
  "file behind, $OFFERS recovery files were offered at the next start"
[ "$SAVE_LEFT" -gt 0 ] || fail "no kill landed in a save: the test tried nothing"

# The last start: whatever the last kill left is cleaned away.
start "$TARGET"
REC=$(dead_recovery_files)
[ -z "$REC" ] || answer alt+d
ready
[ -z "$(leftovers)" ] || fail "left after the last start: $(leftovers)"
kill "$APP"
wait "$APP" 2>/dev/null
APP=
echo "PASSED"
