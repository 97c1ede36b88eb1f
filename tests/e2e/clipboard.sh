#!/bin/bash
# The real clipboard between two editor processes under a virtual X server: the first
# copies a drawing (Ctrl+E, then Ctrl+A and Ctrl+C), another program (xclip) sees the three
# formats, the SVG rendered by librsvg matches the editor's own PNG export, the PNG has
# the size of a 192-pixel-per-inch export; the second editor pastes (Ctrl+V) and saves
# (Ctrl+S), and its file holds the drawing, selected and moved. Every step waits for what
# it needs (a window, a clipboard owner, a file), never for a fixed time.
#
# usage: clipboard.sh VALENDRA_BINARY OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
OUT=$(mkdir -p "$2" && readlink -f "$2")
HERE=$(dirname "$(readlink -f "$0")")
for tool in Xvfb xdotool xclip rsvg-convert convert compare identify import; do
  command -v $tool >/dev/null || { echo "missing $tool"; exit 2; }
done

EDITOR_ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=0
export QT_QPA_PLATFORM=xcb
rm -rf "$OUT"/*
export XDG_RUNTIME_DIR=$OUT/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

. "$HERE/xserver.sh"
start_x_server "$OUT"
SECOND=
trap 'kill $SECOND 2>/dev/null; stop_x_server' EXIT

fail() {
  echo "FAILED: $*"
  import -window root "$OUT/failure.png" 2>/dev/null
  cat "$OUT"/editor*.log
  exit 1
}
# Runs a condition until it holds, at most about a minute (the deadline only stops a broken
# program from hanging the test).
wait_for() {
  local i
  for i in $(seq 600); do "$@" && return 0; sleep 0.1; done
  return 1
}
targets() { xclip -selection clipboard -t TARGETS -o 2>/dev/null; }
clip() { xclip -selection clipboard -t "$1" -o; }
native_is() { clip application/x-valendra-native 2>/dev/null | cmp -s - "$1"; }
native_differs_from() { ! clip application/x-valendra-native 2>/dev/null | cmp -s - "$1"; }

# An editor with its own settings, on FILE; sets WIN to its main window once the file is
# shown in the title.
start_editor() {  # NUMBER FILE
  VALENDRA_SETTINGS=$OUT/settings$1.ini ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS \
    "$BIN" "$2" >"$OUT/editor$1.log" 2>&1 &
  local pid=$!
  [ "$1" = 1 ] && APP=$pid || SECOND=$pid
  # Found once it is on the screen: a window still being mapped cannot take the focus.
  WIN=$(timeout 120 xdotool search --all --sync --onlyvisible --pid $pid \
    --name "^$(basename "$2") - Valendra\$" | head -1)
  [ -n "$WIN" ] || fail "editor $1 did not show $(basename "$2")"
  wait_for timeout 10 xdotool windowfocus --sync "$WIN" 2>/dev/null ||
    fail "editor $1 did not take the keyboard"
}
key() { xdotool key --clearmodifiers "$@"; }

# Native streams written byte by byte: two ellipses (kind 11: the common part alone).
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
  $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
one='\x00\x00\x00\x00\x00\x00\xf0\x3f'
ellipse() {  # SELECTED LEFT TOP RIGHT BOTTOM
  printf "$(le32 11)$(le32 $1)$one$(le32 $2)$(le32 $3)$(le32 $4)$(le32 $5)$(le32 $2)$(le32 $3)$(le32 0)"
}
stream() {  # SELECTION_COUNT DX DY SELECTED
  printf '8Valendra\0'
  printf "$(le32 $1)"
  ellipse $4 $((300 + $2)) $((-300 + $3)) $((3180 + $2)) $((-1740 + $3))
  ellipse $4 $((3600 + $2)) $((-600 + $3)) $((4600 + $2)) $((-2600 + $3))
  printf "$(le32 10)"
}
stream 0 0 0 0 >"$OUT/drawing.vld"
# What the second editor must save: both pasted, selected, 1000 right and 1000 down.
stream 2 1000 -1000 1 >"$OUT/expected.vld"

start_editor 1 "$OUT/drawing.vld"
# Ctrl+E: the whole drawing, exactly as Save wrote it.
printf 'none' | xclip -selection clipboard -i
key ctrl+e
wait_for native_is "$OUT/drawing.vld" || fail "Ctrl+E did not put the drawing on the clipboard"
targets >"$OUT/targets.txt"
for format in application/x-valendra-native image/svg+xml image/png; do
  grep -qx "$format" "$OUT/targets.txt" || fail "the clipboard does not offer $format"
done

# The SVG, drawn by a renderer that is not ours, looks as our own export does.
clip image/svg+xml >"$OUT/clip.svg" || fail "no SVG came"
rsvg-convert -b white "$OUT/clip.svg" -o "$OUT/clip_svg.png" || fail "librsvg cannot read the SVG"
QT_QPA_PLATFORM=offscreen "$BIN" --export "$OUT/drawing.vld" "$OUT/export96.png" --dpi 96 ||
  fail "the export failed"
size_svg=$(identify -format '%wx%h' "$OUT/clip_svg.png")
size_export=$(identify -format '%wx%h' "$OUT/export96.png")
[ "$size_svg" = "$size_export" ] || fail "the SVG is $size_svg, the export $size_export"
convert "$OUT/clip_svg.png" -flatten -colorspace Gray -threshold 60% "$OUT/svg_ink.png"
convert "$OUT/export96.png" -flatten -colorspace Gray -threshold 60% "$OUT/export_ink.png"
ink=$(convert "$OUT/export_ink.png" -negate -format '%[fx:int(w*h*mean+0.5)]' info:)
differ=$(compare -metric AE "$OUT/svg_ink.png" "$OUT/export_ink.png" null: 2>&1)
echo "SVG against the export: $differ of $ink ink pixels differ"
[ "$ink" -gt 100 ] || fail "the export has almost no ink ($ink)"
[ "$differ" -le $((ink / 8)) ] || fail "the SVG differs from the export in $differ pixels"

# The PNG decodes and has the size of a 192-pixel-per-inch export.
clip image/png >"$OUT/clip.png" || fail "no PNG came"
QT_QPA_PLATFORM=offscreen "$BIN" --export "$OUT/drawing.vld" "$OUT/export192.png" --dpi 192
[ "$(identify -format '%m %wx%h' "$OUT/clip.png")" = \
  "PNG $(identify -format '%wx%h' "$OUT/export192.png")" ] ||
  fail "the PNG is $(identify -format '%m %wx%h' "$OUT/clip.png" 2>&1)"
import -window root "$OUT/01_copied.png"

# Ctrl+A and Ctrl+C: the selection, which is everything now.
clip application/x-valendra-native >"$OUT/whole.bin"
key ctrl+a
key ctrl+c
wait_for native_differs_from "$OUT/whole.bin" || fail "Ctrl+C put nothing new on the clipboard"
clip application/x-valendra-native >"$OUT/selection.bin"

# The second editor pastes into an empty drawing of its own and saves it.
printf '8Valendra\0\0\0\0\0\n\0\0\0' >"$OUT/pasted.vld"
cp "$OUT/pasted.vld" "$OUT/empty.vld"
start_editor 2 "$OUT/pasted.vld"
key ctrl+v
key ctrl+s
wait_for bash -c "! cmp -s '$OUT/pasted.vld' '$OUT/empty.vld'" || fail "the second editor saved nothing"
import -window root "$OUT/02_pasted.png"

cmp "$OUT/pasted.vld" "$OUT/expected.vld" ||
  fail "the saved stream is not the copied drawing selected and moved by (1000, -1000)"
"$BIN" --info "$OUT/pasted.vld" >"$OUT/info.txt"
grep -q '^  ellipse (11): 2, 0$' "$OUT/info.txt" || fail "--info: $(cat "$OUT/info.txt")"

for n in 1 2; do
  if grep -v '^$' "$OUT/editor$n.log" | grep -q .; then fail "editor $n wrote on stderr"; fi
done
echo "clipboard end to end: passed"
