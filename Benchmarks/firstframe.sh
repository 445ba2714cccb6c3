#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Instructions the GUI thread executes from exec to the first frame (the
# first flush of the window's backing store), counted by callgrind: a
# measure that does not depend on the machine's load. Work that start-up
# hands to other threads is not counted; the wall clock (mapwatch) shows
# what running it beside the GUI thread costs. Run under an X server:
#   Benchmarks/firstframe.sh DIR PROGRAM...    prints the count
# DIR is the working folder (for Tarn: beside ../Data).
set -euo pipefail
dir=$1; shift
program=$(realpath "$(command -v "$1")"); shift
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$dir" && timeout -s TERM "${FIRSTFRAME_SECONDS:-30}" valgrind --tool=callgrind --separate-threads=yes \
  --dump-before='QBackingStore::flush*' --callgrind-out-file="$out/cg.%p" "$program" "$@" >/dev/null 2>&1) || true
first=$(ls "$out"/cg.*.1-01 2>/dev/null | head -1 || true)
[[ -n "$first" ]] || { echo "no frame" >&2; exit 1; }
sed -n 's/^summary: //p' "$first"
