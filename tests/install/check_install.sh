#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks the desktop integration as the
# desktop's own tools see it: the desktop entry, the AppStream metainfo, the manual page,
# the icon sizes, the file types (by extension and by content) and the thumbnailer run
# exactly as its entry says.
#
#   check_install.sh BUILD_DIR WORK_DIR
set -euo pipefail
BUILD=$1
WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK"
DEST=$WORK/root
PREFIX=/usr/local
ROOT=$DEST$PREFIX

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR=$DEST cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log"

for f in bin/valendra bin/valendra-container share/applications/valendra.desktop \
  share/mime/packages/valendra.xml share/thumbnailers/valendra.thumbnailer \
  share/man/man1/valendra.1.gz share/man/man1/valendra-container.1.gz \
  share/icons/hicolor/scalable/apps/valendra.svg share/doc/valendra/copyright; do
  [ -e "$ROOT/$f" ] || fail "$f was not installed"
done
metainfo=$(ls "$ROOT"/share/metainfo/*.metainfo.xml)

# Every PNG size of the icon, each as large as its folder says.
for size in 16 22 24 32 48 64 128 256; do
  png=$ROOT/share/icons/hicolor/${size}x${size}/apps/valendra.png
  [ -f "$png" ] || fail "icon $size missing"
  [ "$(identify -format '%w %h' "$png")" = "$size $size" ] || fail "icon $size has the wrong size"
done

desktop-file-validate "$ROOT/share/applications/valendra.desktop" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q '^Exec=valendra %f$' "$ROOT/share/applications/valendra.desktop" || fail "Exec line"

# The manual page covers every switch that --help lists.
"$ROOT/bin/valendra" --help >"$WORK/help.txt"
zcat "$ROOT/share/man/man1/valendra.1.gz" | sed 's/\\-/-/g' >"$WORK/man.txt"
switches=$(grep -oE -- '--[a-z][a-z-]*' "$WORK/help.txt" | sort -u)
[ -n "$switches" ] || fail "no switches found in --help"
for s in $switches; do
  grep -q -- "$s" "$WORK/man.txt" || fail "the manual page does not mention $s"
done

# Drawings to recognise: a .vld with an ellipse of 2 x 1 inches, the same renamed to .bin
# and without extension, an older KvillDoc drawing, and text that merely ends in .bin.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
  $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
one='\x00\x00\x00\x00\x00\x00\xf0\x3f'  # the double 1.0
{
  printf '8Valendra\0'
  printf "$(le32 0)"                                                 # selection count
  printf "$(le32 11)$(le32 0)$one"                                   # ellipse, not selected
  printf "$(le32 0)$(le32 0)$(le32 2880)$(le32 $((-1440 & 0xFFFFFFFF)))" # its box
  printf "$(le32 0)$(le32 0)$(le32 0)"                               # anchor, colour
  printf "$(le32 10)"
} >"$WORK/ring.vld"
{
  printf 'KvillDoc\0\0'
  printf "$(le32 5)$one$(le32 0)$(le32 0)$(le32 1440)$(le32 $((-1440 & 0xFFFFFFFF)))"
  printf "$(le32 0)$(le32 0)$(le32 10)"
} >"$WORK/old.kvl"
cp "$WORK/ring.vld" "$WORK/renamed.bin"
cp "$WORK/ring.vld" "$WORK/noextension"
echo "not a drawing" >"$WORK/text.bin"
"$ROOT/bin/valendra" --info "$WORK/ring.vld" | grep -q 'ellipse (11): 1, 0' ||
  fail "the test drawing does not read as one ellipse"
"$ROOT/bin/valendra" --info "$WORK/old.kvl" | grep -q 'KvillDoc family' ||
  fail "the older test drawing does not read as KvillDoc"

# The MIME package and the desktop entry in a data folder of their own.
export XDG_DATA_HOME=$WORK/data
export XDG_DATA_DIRS=/usr/share
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_DATA_HOME/mime/packages" "$XDG_DATA_HOME/applications"
cp "$ROOT/share/mime/packages/valendra.xml" "$XDG_DATA_HOME/mime/packages/"
cp "$ROOT/share/applications/valendra.desktop" "$XDG_DATA_HOME/applications/"
update-mime-database "$XDG_DATA_HOME/mime"
update-desktop-database "$XDG_DATA_HOME/applications"
expect_type() {
  local got
  got=$(xdg-mime query filetype "$WORK/$1")
  [ "$got" = "$2" ] || fail "xdg-mime reports $got for $1, not $2"
}
expect_type ring.vld application/x-valendra
expect_type old.kvl application/x-kvill
expect_type renamed.bin application/x-valendra
expect_type noextension application/x-valendra
got=$(xdg-mime query filetype "$WORK/text.bin")
[ "$got" != application/x-valendra ] || fail "a text file is taken for a drawing"
[ "$(xdg-mime query default application/x-valendra)" = valendra.desktop ] ||
  fail "valendra.desktop does not open drawings"

# The thumbnailer, run as a file manager runs it: the entry's Exec line with its fields.
exec_line=$(sed -n 's/^Exec=//p' "$ROOT/share/thumbnailers/valendra.thumbnailer")
cmd=${exec_line//%i/\'$WORK/ring.vld\'}
cmd=${cmd//%o/\'$WORK/thumb.png\'}
cmd=${cmd//%s/128}
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$ROOT/bin:$PATH" sh -c "$cmd" 2>"$WORK/thumb.err" ||
  fail "the thumbnailer failed: $(cat "$WORK/thumb.err")"
[ ! -s "$WORK/thumb.err" ] || fail "the thumbnailer printed: $(cat "$WORK/thumb.err")"
# (2880 + 200) x (1440 + 200) units scaled to 128 pixels across.
[ "$(identify -format '%w %h' "$WORK/thumb.png")" = "128 68" ] ||
  fail "thumbnail is $(identify -format '%w x %h' "$WORK/thumb.png"), not 128 x 68"
corner=$(identify -format '%[pixel:p{0,0}]' "$WORK/thumb.png")
case $corner in white | "srgb(255,255,255)") ;; *) fail "thumbnail corner is $corner" ;; esac
middle=$(identify -format '%[pixel:p{64,34}]' "$WORK/thumb.png")
[ "$middle" = "$corner" ] || fail "the inside of the ellipse is $middle"
[ "$(identify -format '%[min]' "$WORK/thumb.png")" != 65535 ] ||
  fail "the ellipse is missing from the thumbnail"
# A file that is no drawing gives no thumbnail and an error.
if env -u DISPLAY PATH="$ROOT/bin:$PATH" valendra --thumbnail "$WORK/text.bin" \
  "$WORK/none.png" 128 2>/dev/null; then
  fail "a text file was given a thumbnail"
fi
[ ! -e "$WORK/none.png" ] || fail "a failed thumbnail left a file"
echo "check_install: all checks passed"
