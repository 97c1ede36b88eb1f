#!/usr/bin/env bash
# Builds the Release configuration and starts the editor with the given arguments.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
"$ROOT/scripts/deps.sh"
BUILD_DIR=${BUILD_DIR:-$ROOT/build-release}
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVALENDRA_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc 2>/dev/null || echo 2)" --target valendra
exec "$BUILD_DIR/valendra" "$@"
