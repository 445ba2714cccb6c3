#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Cold start of several builds side by side, each against its own bare list.

Run under an X server without a window manager, after bench.sh has built
the trees (Qt 5 in build-bench/, Qt 6 in build-bench-qt6/):
    python3 Benchmarks/startup_compare.py [--rounds N] BUILD_DIR...
Every round starts each build's bare list (without OpenGL) and its Tarn on
the 5,000-Item catalog, in turn, so that all figures come from runs made
side by side; it prints the medians, each Tarn's ratio to its own bare
list, and the memory once mapped. The machine's load moves single runs by
tens of milliseconds: compare builds here, not across runs.
"""
import argparse
import os
import statistics
import subprocess
import tempfile

parser = argparse.ArgumentParser()
parser.add_argument("--rounds", type=int, default=41)
parser.add_argument("builds", nargs="+")
args = parser.parse_args()
builds = [os.path.abspath(b) for b in args.builds]
mapwatch = os.path.join(builds[0], "Benchmarks", "mapwatch")

env = dict(os.environ)
env.pop("QT_XCB_GL_INTEGRATION", None)  # Tarn turns it off itself
env_nogl = dict(env, QT_XCB_GL_INTEGRATION="none")

with tempfile.TemporaryDirectory() as root:
    os.makedirs(os.path.join(root, "Data"))
    os.makedirs(os.path.join(root, "run"))
    subprocess.run([os.path.join(builds[0], "Benchmarks", "gencatalog"), os.path.join(root, "Data", "Data"),
                    "5000", "100"], check=True)
    programs = []
    for build in builds:
        name = os.path.basename(build)
        programs.append((name, "bare", os.path.join(build, "Benchmarks", "barelist"), env_nogl))
        programs.append((name, "tarn", os.path.join(build, "Tarn"), env))
    mapped = {(b, k): [] for b, k, _, _ in programs}
    rss = {(b, k): [] for b, k, _, _ in programs}
    for _ in range(args.rounds):
        for build, kind, program, program_env in programs:
            out = subprocess.run([mapwatch, "launch", os.path.join(root, "run"), program], env=program_env,
                                 check=True, capture_output=True, text=True).stdout.split()
            mapped[build, kind].append(float(out[0]))
            rss[build, kind].append(int(out[1]) / 1024)

print(f"| Build | Bare list without OpenGL | Tarn | Tarn / bare | RSS bare / Tarn |  ({args.rounds} rounds)")
print("|---|---|---|---|---|")
for build in dict.fromkeys(b for b, _, _, _ in programs):
    bare = statistics.median(mapped[build, "bare"])
    tarn = statistics.median(mapped[build, "tarn"])
    print(f"| {build} | {bare:.1f} ms | {tarn:.1f} ms | {tarn / bare:.2f} | "
          f"{statistics.median(rss[build, 'bare']):.1f} / {statistics.median(rss[build, 'tarn']):.1f} MiB |")
