#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Tarn needs (Debian 12, as root), then configures and builds
# it in build/. Safe to run again: it installs only what is missing and
# rebuilds only what changed.
#   setup.sh          building and running Tarn
#   setup.sh test     also the test tools (X server, window manager, clang for
#                     the fuzzer, the desktop-file and AppStream validators)
#   setup.sh bench    also the benchmark library; builds nothing (bench.sh
#                     builds its own tree)
# TARN_QT_MAJOR=6 installs Qt 6 instead of Qt 5 and builds in build-qt6/.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_major=${TARN_QT_MAJOR:-5}
case "$qt_major" in
  5) build_dir=build
     qt_packages=(qtbase5-dev libqt5x11extras5-dev qtwayland5 qttools5-dev-tools qttranslations5-l10n) ;;
  # libgl-dev: Qt6Gui's CMake package asks for OpenGL even when it is unused.
  6) build_dir=build-qt6
     qt_packages=(qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n qt6-wayland
                  libgl-dev) ;;
  *) echo "TARN_QT_MAJOR must be 5 or 6" >&2; exit 2 ;;
esac
packages=(build-essential git cmake pkg-config "${qt_packages[@]}" rapidjson-dev libxcb1-dev
          libxcb-keysyms1-dev libfontconfig-dev fonts-wqy-microhei dbus help2man)
case "${1:-}" in
  "") ;;
  test) packages+=(python3 xvfb xauth xdotool x11-utils fontconfig clang-format openbox trayer clang libclang-rt-dev
                   desktop-file-utils appstream weston python3-gi gir1.2-glib-2.0) ;;
  bench) packages+=(libbenchmark-dev libxcb-xtest0-dev python3 xvfb xauth valgrind) ;;
  *) echo "usage: $0 [test|bench]" >&2; exit 2 ;;
esac
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

[[ "${1:-}" == bench ]] && exit 0
cmake -S . -B "$build_dir" -DTARN_QT_MAJOR="$qt_major" -DTARN_BENCHMARKS=OFF -DTARN_PORTABLE=ON \
  ${TARN_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
