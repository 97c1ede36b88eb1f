#!/usr/bin/env bash
# Runs two builds of the program on the same drawings and compares what they write:
# --convert (the native stream) and --export as SVG and PNG byte for byte, and --export as
# PDF by its rendered page (a PDF embeds its creation time and names its font subsets
# differently from run to run, so its bytes differ even between two runs of one program).
#
#   compare_outputs.sh OLD_BINARY NEW_BINARY DRAWING...
#
# Prints one line per difference and a closing count; exits 1 when anything differs.
set -uo pipefail
old=$1
new=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

same=0
differ=0
report() {  # report NAME OLDFILE NEWFILE
  if cmp -s "$2" "$3"; then
    same=$((same + 1))
  else
    differ=$((differ + 1))
    echo "differs: $1"
  fi
}

for input in "$@"; do
  name=$(basename "$input" .vld)
  for side in old new; do
    bin=${!side}
    out="$work/$side-$name"
    "$bin" --convert "$input" "$out.vld" >"$out.convert.log" 2>&1
    echo "status $?" >>"$out.convert.log"
    for ext in svg png pdf; do
      "$bin" --export "$input" "$out.$ext" --dpi 150 2>&1 | grep -v XDG_RUNTIME_DIR >"$out.$ext.log"
      echo "status ${PIPESTATUS[0]}" >>"$out.$ext.log"
    done
    if [ -f "$out.pdf" ] && command -v pdftoppm >/dev/null; then
      pdftoppm -r 72 -png -singlefile "$out.pdf" "$out.pdfpage" 2>/dev/null
    fi
  done
  for kind in vld convert.log svg svg.log png png.log pdf.log pdfpage.png; do
    a="$work/old-$name.$kind"
    b="$work/new-$name.$kind"
    if [ -e "$a" ] || [ -e "$b" ]; then report "$name.$kind" "$a" "$b"; fi
  done
  rm -f "$work"/old-"$name".* "$work"/new-"$name".*
done
echo "$same same, $differ differ"
[ "$differ" -eq 0 ]
