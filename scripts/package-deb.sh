#!/usr/bin/env bash
# Builds the Release configuration, makes the Debian package with CPack, checks it with
# lintian and unpacks it into a scratch root to list what it installs.
#
#   BUILD_DIR  build folder (default build-release, the one run.sh uses)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/deps.sh"
BUILD_DIR=${BUILD_DIR:-$ROOT/build-release}
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVALENDRA_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc 2>/dev/null || echo 2)"
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls -t "$BUILD_DIR"/valendra_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

echo "== lintian"
# lintian exits non-zero on errors only (the default --fail-on error).
lintian --info "$deb" || { echo "lintian reports errors" >&2; exit 1; }

echo "== contents"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
(cd "$scratch" && find . -type f | sort)
for f in usr/bin/valendra usr/bin/valendra-container usr/share/applications/valendra.desktop \
  usr/share/mime/packages/valendra.xml usr/share/thumbnailers/valendra.thumbnailer \
  usr/share/man/man1/valendra.1.gz usr/share/icons/hicolor/scalable/apps/valendra.svg \
  usr/share/icons/hicolor/256x256/apps/valendra.png usr/share/doc/valendra/copyright; do
  [ -f "$scratch/$f" ] || { echo "missing from the package: $f" >&2; exit 1; }
done
ls "$scratch"/usr/share/metainfo/*.metainfo.xml >/dev/null
echo "package-deb.sh: $deb is complete"
