#!/bin/bash
# A drawing of aspirin leaves the real editor as a structure: opened under a virtual X
# server, its formula and mass show in the status bar (read through the accessibility bus,
# as a screen reader hears the window); Ctrl+E puts it on the clipboard, where another
# program (xclip) finds the two chemical formats beside the drawing's own, the SMILES is
# aspirin's and the MOL record reads back as aspirin. The editor writes nothing to stderr.
# Every step waits for what it needs, never for a fixed time, and stops at once when the
# editor has died.
#
# usage: structure.sh VALENDRA_BINARY STRUCTURE_PROBE CORPUS_FOLDER OUTPUT_FOLDER
set -u
BIN=$(readlink -f "$1")
PROBE=$(readlink -f "$2")
CORPUS=$(readlink -f "$3")
OUT=$(mkdir -p "$4" && readlink -f "$4")
HERE=$(dirname "$(readlink -f "$0")")
. "$HERE/structure_session.sh"
cp "$CORPUS/aspirin.vld" "$OUT/aspirin.vld"
targets() { alive; xclip -selection clipboard -t TARGETS -o 2>/dev/null >"$OUT/targets.txt"; }
offers_chemistry() {
  targets && grep -qx 'chemical/x-mdl-molfile' "$OUT/targets.txt" &&
    grep -qx 'chemical/x-daylight-smiles' "$OUT/targets.txt"
}

LOG=aspirin
start_editor aspirin "$OUT/aspirin.vld"
[ "$(xdotool getwindowname "$MAIN")" = "aspirin.vld - Valendra" ] || fail "no window shows aspirin.vld"

# The status bar's field, as the accessibility bus reports the window's labels.
wait_for field_says 'C9H8O4  180.16' ||
  fail "the status bar does not say C9H8O4  180.16: $(tr '\n' '|' <"$OUT/names.txt")"
import -window root "$OUT/aspirin.png"

# Copy: the clipboard offers the structure in both chemical formats.
wait_for xdotool windowfocus --sync "$MAIN" || fail "the editor did not take the keyboard"
xdotool key --window "$MAIN" ctrl+e
wait_for offers_chemistry || fail "the clipboard offers $(tr '\n' ' ' <"$OUT/targets.txt")"
grep -qx 'application/x-valendra-native' "$OUT/targets.txt" || fail "the drawing is not offered"
xclip -selection clipboard -t chemical/x-daylight-smiles -o >"$OUT/copied.smi" ||
  fail "no SMILES came"
xclip -selection clipboard -t chemical/x-mdl-molfile -o >"$OUT/copied.mol" || fail "no MOL came"
aspirin=$(echo 'CC(=O)Oc1ccccc1C(=O)O' | "$PROBE" smiles)
got=$("$PROBE" smiles <"$OUT/copied.smi") || fail "the SMILES does not parse: $(cat "$OUT/copied.smi")"
[ "$got" = "$aspirin" ] || fail "the SMILES is $got, not aspirin's $aspirin"
got=$("$PROBE" mol <"$OUT/copied.mol") || fail "the MOL record does not parse"
[ "$got" = "$aspirin" ] || fail "the MOL record reads as $got, not aspirin"

alive
stop_editor
quiet_log
echo "structure end to end: passed"
