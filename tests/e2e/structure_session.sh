# Sourced by the end-to-end scripts of structures (structure.sh, structure_in.sh) after they
# set BIN, OUT and HERE: the tools they need, a session bus of their own (the script runs
# again inside one), a clean output folder, a virtual X server with the English settings,
# and the checks they share. LOG names the editor run whose output fail shows.

for tool in Xvfb xdotool xclip import python3 gdbus dbus-run-session; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done
# A session bus of the test's own, which starts the accessibility bus when the editor asks.
if [ -z "${STRUCTURE_ON_BUS:-}" ]; then
  STRUCTURE_ON_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

rm -rf "${OUT:?}"/*
export XDG_RUNTIME_DIR=$OUT/runtime HOME=$OUT/home
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
export VALENDRA_SETTINGS=$OUT/settings.ini QT_QPA_PLATFORM=xcb
EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
# The window speaks to the accessibility bus though no screen reader asked it to.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

. "$HERE/xserver.sh"
. "$HERE/screen.sh"
start_x_server "$OUT"
settings 1033

LOG=none
fail() {
  echo "FAILED: $*"
  import -window root "$OUT/failure.png" 2>/dev/null
  [ -f "$OUT/editor-$LOG.log" ] && cat "$OUT/editor-$LOG.log"
  exit 1
}
alive() { kill -0 "$APP" 2>/dev/null || fail "the editor stopped"; }
# The window's labels as the accessibility bus reports them, one a line, in names.txt.
names() { python3 "$HERE/accessible_names.py" >"$OUT/names.txt" 2>/dev/null; }
field_says() { alive; names && grep -qx "$1" "$OUT/names.txt"; }
key() { alive; xdotool key --clearmodifiers "$@"; }
# Nothing on stderr but Qt's note on the runtime folder.
quiet_log() {
  if grep -v '^QStandardPaths' "$OUT/editor-$LOG.log" | grep -q .; then
    fail "the editor wrote to stderr: $(grep -v -m3 '^QStandardPaths' "$OUT/editor-$LOG.log")"
  fi
}
