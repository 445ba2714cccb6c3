#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the formatting, builds Tarn and runs every test under a private X
# server: the suites, the same suites built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and bounded fuzzing runs over the catalog path
# and the search (about a minute each). --quick runs the formatting check and
# the plain suites only. TARN_QT_MAJOR=6 does it all with Qt 6, in build
# folders of its own (build-qt6, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
qt_major=${TARN_QT_MAJOR:-5}
suffix=
[[ "$qt_major" == 6 ]] && suffix=-qt6

xvfb() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }

echo "== formatting (clang-format, .clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== suites"
(cd "build$suffix" && xvfb ctest --output-on-failure)
[[ "${1:-}" == "--quick" ]] && exit 0

echo "== suites under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B "build-asan$suffix" -DTARN_QT_MAJOR="$qt_major" -DTARN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "build-asan$suffix" -j"$(nproc)"
(cd "build-asan$suffix" && xvfb ctest --output-on-failure)

echo "== fuzzing the catalog path"
CC=clang CXX=clang++ cmake -S . -B "build-fuzz$suffix" -DTARN_QT_MAJOR="$qt_major" -DTARN_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build "build-fuzz$suffix" -j"$(nproc)" --target fuzz_catalog fuzz_search
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS="suppressions=$PWD/Tests/fuzz/ubsan.supp:halt_on_error=1"
# Every input that ever crashed it first, then a minute of new inputs.
root=$PWD
"build-fuzz$suffix/fuzz_catalog" Tests/fuzz/regressions/*
(cd "$work" && "$root/build-fuzz$suffix/fuzz_catalog" -max_total_time="${TARN_FUZZ_SECONDS:-60}" -max_len=4096 \
  -print_final_stats=1 . "$root/Tests/fuzz/corpus")
echo "== fuzzing the search"
mkdir -p "$work/search"
(cd "$work/search" && "$root/build-fuzz$suffix/fuzz_search" -max_total_time="${TARN_FUZZ_SECONDS:-60}" -max_len=512 \
  -print_final_stats=1 . "$root/Tests/fuzz/search-corpus")
echo "fuzz: 2 passed, 0 failed"
