#!/usr/bin/env bash
# Installs what Tarn needs to build and test (Debian 12, as root), then
# configures and builds it in build/. Safe to run again: it installs only
# what is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config clang libclang-rt-dev qtbase5-dev libqt5x11extras5-dev rapidjson-dev libxcb1-dev
          libxcb-keysyms1-dev libxcb-xtest0-dev libbenchmark-dev python3 xvfb xauth xdotool x11-utils
          fonts-wqy-microhei openbox trayer dbus weston qtwayland5)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DTARN_BENCHMARKS=ON ${TARN_CMAKE_ARGS:-} >/dev/null
cmake --build build -j"$(nproc)"
