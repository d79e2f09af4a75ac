#!/usr/bin/env bash
# test.sh — installs what is missing, builds, and runs every test:
#   1. unit and window tests in a normal build, and the browser edition
#      (built into build-web/): its trace tool under node against the native
#      one, the page in a headless Chromium, its picture against the window
#      program's;
#   2. the Debian package (packaging/build-deb.sh), checked and, as root,
#      installed for real;
#   3. the unit tests again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   4. a short run of each fuzz target on its committed corpus.
# Works from any directory; builds go to build/, build-asan/, build-fuzz/,
# build-web/ and build-deb/.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$top"
source scripts/setup.sh test
jobs=$(nproc)

echo "== build and tests (normal build, and the browser edition in build-web/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELUNE_TESTS=ON -DORBELUNE_BENCH=ON \
  -DORBELUNE_WEB_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package: build, lintian, AppStream, file list; as root also installed, used and purged"
/usr/bin/python3 tests/package/test_deb.py

echo "== unit tests under ASan + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORBELUNE_SANITIZE=ON \
  -DORBELUNE_BENCH=OFF -DORBELUNE_WINDOW=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L unit

echo "== fuzz smoke runs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELUNE_FUZZ=ON \
  -DORBELUNE_BENCH=OFF -DORBELUNE_WINDOW=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target $(cd tests/fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
for src in tests/fuzz/fuzz_*.cpp; do
  [ -e "$src" ] || continue
  name=$(basename "$src" .cpp)
  corpus="tests/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  echo "-- $name on $corpus"
  ASAN_OPTIONS=allocator_may_return_null=1 \
    "build-fuzz/$name" -max_total_time=20 -rss_limit_mb=2048 -timeout=10 "$work" "$corpus" 2>&1 | tail -n 3
  rm -rf "$work"
done
echo "== all tests passed"
