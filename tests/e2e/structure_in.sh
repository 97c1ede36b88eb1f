#!/bin/bash
# Structures come into the real editor under a virtual X server. A SMILES that another
# program (xclip) holds on the clipboard as plain text is pasted with Ctrl+V: the status
# bar's field then gives its formula (read through the accessibility bus, as a screen reader
# hears the window); Ctrl+S saves it through the file dialog, and the saved drawing reads
# back as that molecule. A MOL file handed to the editor (as a file manager does) opens as
# an untitled drawing named after it. A drawn molecule, selected, is drawn afresh by Edit >
# Clean Structure and still reads as itself. The editor writes nothing to stderr. Every
# step waits for what it needs, never for a fixed time, and stops at once when the editor
# has died.
#
# usage: structure_in.sh VALENDRA_BINARY STRUCTURE_PROBE OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
PROBE=$(readlink -f "$2")
OUT=$(mkdir -p "$3" && readlink -f "$3")
HERE=$(dirname "$(readlink -f "$0")")
. "$HERE/structure_session.sh"
titled() { alive; [ "$(xdotool getwindowname "$MAIN" 2>/dev/null)" = "$1" ]; }
has_focus() { alive; [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Paste: aspirin as plain text, the way a browser or a notebook puts it there.
LOG=paste
start_editor paste
printf 'CC(=O)Oc1ccccc1C(=O)O' | xclip -selection clipboard -t UTF8_STRING
wait_for xdotool windowfocus --sync "$MAIN" || fail "the editor did not take the keyboard"
key ctrl+v
wait_for field_says 'C9H8O4  180.16' ||
  fail "after the paste the status bar does not say C9H8O4  180.16: $(tr '\n' '|' <"$OUT/names.txt")"
settled_shot pasted

save_through_dialog "$OUT/pasted.vld"
wait_for titled "pasted.vld - Valendra" || fail "the title does not name the saved file"
[ -s "$OUT/pasted.vld" ] || fail "the drawing was not saved"
stop_editor
quiet_log

aspirin=$(echo 'CC(=O)Oc1ccccc1C(=O)O' | "$PROBE" smiles)
ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" --convert "$OUT/pasted.vld" "$OUT/pasted.smi" \
  2>"$OUT/convert.log" || fail "the saved drawing does not convert: $(cat "$OUT/convert.log")"
got=$("$PROBE" smiles <"$OUT/pasted.smi") || fail "the saved drawing's SMILES does not parse"
[ "$got" = "$aspirin" ] || fail "the saved drawing reads as $got, not aspirin's $aspirin"

# A MOL file opens untitled, named after itself with .vld.
echo 'CN1C=NC2=C1C(=O)N(C(=O)N2C)C caffeine' >"$OUT/caffeine.smi"
ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" --convert "$OUT/caffeine.smi" "$OUT/caffeine.mol" \
  2>"$OUT/convert.log" || fail "no MOL file to open: $(cat "$OUT/convert.log")"
LOG=mol
start_editor mol "$OUT/caffeine.mol"
wait_for titled "caffeine.vld - Valendra" || fail "the window is not titled caffeine.vld"
wait_for field_says 'C8H10N4O2  194.19' ||
  fail "the status bar does not say C8H10N4O2  194.19: $(tr '\n' '|' <"$OUT/names.txt")"
settled_shot opened
stop_editor
quiet_log

# Clean Structure: aspirin as a user drew it (a ring template, its aromatic circle, two
# labels) selected and drawn afresh from the Edit menu; the status bar still says aspirin,
# the screen changed, and the saved drawing reads back as aspirin.
cp "$HERE/../chemistry/corpus/aspirin.vld" "$OUT/drawn.vld"
LOG=clean
start_editor clean "$OUT/drawn.vld"
wait_for field_says 'C9H8O4  180.16' || fail "the drawn aspirin does not say C9H8O4  180.16"
wait_for xdotool windowfocus --sync "$MAIN" || fail "the editor did not take the keyboard"
key ctrl+a
settled_shot selected
BEFORE_MENU=$(visible_windows)
key alt+e
MENU=$(wait_for new_window "$BEFORE_MENU") || fail "the Edit menu did not open"
key l
wait_for window_gone "$MENU" || fail "the Edit menu stayed open"
settled_shot cleaned
same_screen "$OUT/selected.png" "$OUT/cleaned.png" && fail "Clean Structure changed nothing on the screen"
wait_for field_says 'C9H8O4  180.16' || fail "after Clean Structure the status bar does not say aspirin"
key ctrl+s
before=$(md5sum <"$HERE/../chemistry/corpus/aspirin.vld")
saved() { alive; [ "$(md5sum <"$OUT/drawn.vld")" != "$before" ]; }
wait_for saved || fail "the cleaned drawing was not saved"
stop_editor
quiet_log
ASAN_OPTIONS=$EDITOR_ASAN_OPTIONS "$BIN" --convert "$OUT/drawn.vld" "$OUT/drawn.smi" \
  2>"$OUT/convert.log" || fail "the cleaned drawing does not convert: $(cat "$OUT/convert.log")"
got=$("$PROBE" smiles <"$OUT/drawn.smi") || fail "the cleaned drawing's SMILES does not parse"
[ "$got" = "$aspirin" ] || fail "the cleaned drawing reads as $got, not aspirin's $aspirin"
echo "structures in, end to end: passed"
