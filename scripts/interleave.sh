#!/usr/bin/env bash
# Runs many more seeded schedules of users and phones against the program than CI does, and says
# how many ran without a broken invariant and how fast. A failing seed is printed with its steps;
# replay it alone with BSMS_SEED=<seed>.
#   scripts/interleave.sh [count] [first seed]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target bsms_unit_tests >/dev/null
BSMS_SCHEDULES="${1:-100000}" BSMS_SEED="${2:-0}" \
  build/bin/bsms_unit_tests --gtest_filter='Interleaving.NoScheduleBreaksAnInvariant'
