#!/usr/bin/env bash
# Builds Tarn and runs every test suite under a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
