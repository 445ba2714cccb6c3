#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tarn and starts it from run/, so that its data lands in Data/ beside
# it (Data/Data is the catalog, Data/Config the settings). TARN_QT_MAJOR=6
# builds and starts the Qt 6 one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p Data run
cd run
build_dir=build
[[ "${TARN_QT_MAJOR:-5}" == 6 ]] && build_dir=build-qt6
exec "../$build_dir/Tarn"
