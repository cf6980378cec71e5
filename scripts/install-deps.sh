#!/usr/bin/env bash
# Installs what building, testing and running need, from Debian's packages, when missing.
set -euo pipefail
# libosmocore-dev is the reference the benchmark compares the codec with; nothing else uses it.
# dbus-daemon gives the notification test a private session bus.
packages=(cmake make g++ clang clang-tidy libclang-rt-14-dev pkg-config qt6-base-dev
          qt6-serialport-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libosmocore-dev
          nlohmann-json3-dev dbus-daemon)
if [ "${1:-}" = "--run" ]; then packages+=(xvfb); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
