#!/usr/bin/env bash
# Runs every libFuzzer target for a while (default 600 s each) in a clang build with
# AddressSanitizer and UndefinedBehaviorSanitizer, keeping what each learns in build-fuzz/corpus.
#   scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
seconds=${1:-600}
shift || true
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBSMS_SANITIZE=ON -DBSMS_FUZZ=ON -DBSMS_GUI=OFF -DBSMS_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
shared=../shared/corpus/real-cmgr
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  seeds=()
  if [ "$t" = fuzz_decode ] && [ -d "$shared" ]; then seeds=("$shared/ok" "$shared/failing"); fi
  echo "== $t: $seconds s"
  ASAN_OPTIONS=detect_leaks=1 "build-fuzz/bin/$t" -max_total_time="$seconds" -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/$t-" "$corpus" "${seeds[@]}" 2>&1 |
    grep -E '^stat::number_of_executed_units|^Done|ERROR|SUMMARY|deadly|crash|timeout' || true
done
