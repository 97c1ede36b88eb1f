#!/bin/bash
# The editor's processor time while the pointer rests over a large drawing: the cursor
# feedback's timer keeps running every 10 ms, and at rest it should cost next to nothing.
# Starts the editor under a virtual X server on a drawing of N rings (2000 unless given),
# puts the pointer over the drawing, lets the start-up settle, then reads the process's
# user and system time (/proc/PID/stat) over SECONDS seconds (10 unless given) and prints
# it as a share of one core.
#
# usage: cursor_idle_cpu.sh VALENDRA_BINARY [N] [SECONDS]
set -u
BIN=$(readlink -f "$1")
N=${2:-2000}
SECONDS_MEASURED=${3:-10}
HERE=$(dirname "$(readlink -f "$0")")
WORK=$(mktemp -d)
trap 'kill $APP $XVFB 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
python3 "$HERE/../tests/e2e/make_drawing.py" rings "$N" "$WORK/rings.vld"
# No reset when the last client leaves: the editor could connect during one and be refused.
Xvfb -displayfd 3 -noreset -screen 0 1280x900x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XVFB=$!
for i in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$WORK/display") VALENDRA_SETTINGS=$WORK/settings.ini QT_QPA_PLATFORM=xcb
export XDG_STATE_HOME=$WORK/state
ASAN_OPTIONS=detect_leaks=0 "$BIN" "$WORK/rings.vld" >/dev/null 2>&1 &
APP=$!
for i in $(seq 600); do xdotool search --onlyvisible --name '^Draw bar$' >/dev/null 2>&1 && break; sleep 0.1; done
# Over the rings, inside the drawing area; one move so that the feedback starts.
xdotool mousemove 300 300 mousemove 301 301
ticks() { awk '{ print $14 + $15 }' "/proc/$APP/stat"; }
# Let the start-up's paints and timers finish: wait until a second passes with no
# processor time used beyond a tenth of it.
for i in $(seq 120); do
  a=$(ticks); sleep 1; b=$(ticks)
  [ $((b - a)) -le $(($(getconf CLK_TCK) / 10)) ] && break
done
a=$(ticks)
sleep "$SECONDS_MEASURED"
b=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((b - a)) -v hz="$hz" -v s="$SECONDS_MEASURED" -v n="$N" \
  'BEGIN { printf "rings %d: %.2f s of processor time in %d s at rest = %.2f%% of one core\n", n, t / hz, s, 100 * t / hz / s }'
