# Sourced by the end-to-end scripts: a virtual X server of the test's own, stopped with the
# program under test (whose process id the script keeps in APP) when the script exits.

# Starts Xvfb and points DISPLAY at it. Xvfb picks a free display number itself and writes
# it to a file in the output folder. It must not reset when its last client leaves: the
# scripts poll with short-lived xdotool and import clients, and a program that connects
# while the server resets is refused ("could not connect to display") and aborts.
start_x_server() {  # OUTPUT_FOLDER
  local display_file=$1/display
  # The editors of a run keep their recovery files in a folder of the run's own: a file
  # left by another run (or by the user) would otherwise be offered at their start.
  export XDG_STATE_HOME=$1/state
  rm -rf "$XDG_STATE_HOME"
  rm -f "$display_file"
  Xvfb -displayfd 3 -noreset -screen 0 1280x900x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  XVFB=$!
  APP=
  trap stop_x_server EXIT
  for i in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  [ -s "$display_file" ] || { echo "FAILED: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -1 "$display_file")
  for i in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
}

stop_x_server() {
  [ -n "$APP" ] && kill $APP 2>/dev/null
  kill $XVFB 2>/dev/null
  wait 2>/dev/null
}
