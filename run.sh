#!/usr/bin/env bash
# Builds Brenvik SMS and starts it. Without a phone configured as port 1, a simulated phone is
# started first and becomes port 1; the arguments go to it (./run.sh --profile pin-locked). Without
# arguments it holds three messages to come: kill -USR1 $(pgrep phone-sim) makes one arrive.
set -euo pipefail
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set); start it from a desktop session, or under xvfb-run." >&2
  exit 1
fi
scripts/install-deps.sh --run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target brenvik-sms phone-sim sms-pdu >/dev/null 2>&1 ||
  cmake --build build -j"$(nproc)"
bin=build/bin
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ ! -e "$bin/com1" ] && [ ! -e /dev/ttyUSB0 ] && [ ! -e /dev/ttyACM0 ] && [ -x "$bin/phone-sim" ]; then
  [ $# -gt 0 ] || set -- --scenario tools/phone-sim/arrivals.scenario
  "$bin/phone-sim" --link "$bin/com1" "$@" >/dev/null &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$bin/com1" ] && break; sleep 0.1; done
  echo "Simulated phone on port 1 ($(readlink "$bin/com1" || echo "$bin/com1"))"
fi
"$bin/brenvik-sms"
