#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tarn and starts it from run/, so that its data lands in Data/ beside
# it (Data/Data is the catalog, Data/Config the settings).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p Data run
cd run
exec ../build/Tarn
