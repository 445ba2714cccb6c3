#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks (Release) and prints the table of BENCHMARKS.md.
# Run it on a quiet machine: every figure is a median of 7 runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh bench
# TARN_QT_MAJOR=6 measures the Qt 6 build, in build-bench-qt6/.
qt_major=${TARN_QT_MAJOR:-5}
dir=build-bench
[[ "$qt_major" == 6 ]] && dir=build-bench-qt6
cmake -S . -B "$dir" -DTARN_QT_MAJOR="$qt_major" -DTARN_BENCHMARKS=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build "$dir" -j"$(nproc)"
xvfb-run -a -s "-screen 0 1280x1024x24" python3 Benchmarks/report.py "$dir"
