#!/usr/bin/env bash
# Builds and runs every test, then again with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Second build with clang: the sanitizers, and the fuzz targets that need libFuzzer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DBSMS_SANITIZE=ON -DBSMS_FUZZ=ON -DBSMS_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Static checks of src/ and tools/, with the checks named in .clang-tidy, on the clang build's
# compile commands.
git ls-files -z 'src/*.cpp' 'tools/*.cpp' |
  xargs -0 -P"$jobs" -n4 clang-tidy -p build-asan --quiet 2>/dev/null | tee build-asan/clang-tidy.txt
if grep -qE '(warning|error):' build-asan/clang-tidy.txt; then
  echo "clang-tidy found the faults above" >&2
  exit 1
fi
