#!/usr/bin/env bash
# Builds Valendra with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test,
# then runs each fuzz target for a bounded time. Exits non-zero on any failure.
#
#   BUILD_DIR     build folder of the sanitized Debug build (default build-asan)
#   FUZZ_SECONDS  seconds each fuzz target runs (default 60; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

./scripts/deps.sh

BUILD_DIR=${BUILD_DIR:-build-asan}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=$(nproc 2>/dev/null || echo 2)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Fontconfig and Qt keep a few caches alive until exit; they are not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVALENDRA_SANITIZE=ON >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
(cd "$BUILD_DIR" && ctest --output-on-failure -j "$JOBS" --timeout 600)

# Fuzzing: every fuzz/fuzz_*.cpp target, built with clang and libFuzzer.
if [ "$FUZZ_SECONDS" != "0" ] && compgen -G "fuzz/fuzz_*.cpp" >/dev/null; then
  FUZZ_DIR=${FUZZ_DIR:-build-fuzz}
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVALENDRA_FUZZ=ON -DVALENDRA_SANITIZE=ON -DVALENDRA_TESTS=OFF -DVALENDRA_BENCH=OFF \
    -DVALENDRA_GUI=OFF >/dev/null
  cmake --build "$FUZZ_DIR" -j "$JOBS"
  for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    work="$FUZZ_DIR/corpus-$name"
    mkdir -p "$work"
    seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
    echo "== fuzzing $name for ${FUZZ_SECONDS}s"
    "$FUZZ_DIR/$name" -max_total_time="$FUZZ_SECONDS" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$FUZZ_DIR/" "$work" "${seeds[@]}" \
      2>"$FUZZ_DIR/$name.log" || { tail -n 60 "$FUZZ_DIR/$name.log"; exit 1; }
    grep -E "stat::number_of_executed_units|Done" "$FUZZ_DIR/$name.log" | tail -n 2
  done
fi
echo "test.sh: all tests passed"
