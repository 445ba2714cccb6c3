#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks (Release) and prints the table of BENCHMARKS.md.
# Run it on a quiet machine: every figure is a median of 7 runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh bench
cmake -S . -B build-bench -DTARN_BENCHMARKS=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$(nproc)"
xvfb-run -a -s "-screen 0 1280x1024x24" python3 Benchmarks/report.py build-bench
