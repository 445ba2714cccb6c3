#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs every Tarn benchmark and prints one table with the ratios.

Run under an X server without a window manager (scripts/bench.sh does):
    python3 Benchmarks/report.py BUILD_DIR
Start-up runs are interleaved (bare list, bare list without OpenGL, Tarn) so
each ratio compares runs made side by side; every figure is a median of 7.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
bench = os.path.join(build, "Benchmarks")
ROUNDS = 7


def run(args, env=None, cwd=None):
    return subprocess.run(args, check=True, capture_output=True, text=True, env=env, cwd=cwd).stdout


def catalog_figures():
    out = run([os.path.join(bench, "catalog_bench"), "--benchmark_format=json",
               f"--benchmark_repetitions={ROUNDS}", "--benchmark_report_aggregates_only=true"])
    medians = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = b["real_time"]  # milliseconds
    return medians


def search_figures():
    out = json.loads(run([os.path.join(bench, "search_bench"), "--benchmark_format=json",
                          f"--benchmark_repetitions={ROUNDS}", "--benchmark_report_aggregates_only=true"]))
    medians = {}
    for b in out["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = b
    return medians


def startup_figures(data_root):
    env_gl = dict(os.environ)
    env_gl.pop("QT_XCB_GL_INTEGRATION", None)
    env_nogl = dict(env_gl, QT_XCB_GL_INTEGRATION="none")
    runs = {"bare": [], "bare_nogl": [], "tarn": []}
    rss = {"bare": [], "bare_nogl": [], "tarn": []}
    cwd = os.path.join(data_root, "run")
    for _ in range(ROUNDS):
        for name, program, env in (("bare", os.path.join(bench, "barelist"), env_gl),
                                   ("bare_nogl", os.path.join(bench, "barelist"), env_nogl),
                                   ("tarn", os.path.join(build, "Tarn"), env_gl)):
            mapped, kib = run([os.path.join(bench, "mapwatch"), "launch", cwd, program], env=env).split()
            runs[name].append(float(mapped))
            rss[name].append(int(kib) / 1024)
    return ({k: statistics.median(v) for k, v in runs.items()},
            {k: statistics.median(v) for k, v in rss.items()})


def hotkey_figures(data_root):
    show, hide, esc, _ = run([os.path.join(bench, "mapwatch"), "hotkey", os.path.join(data_root, "run"),
                              str(ROUNDS), os.path.join(build, "Tarn")]).split()
    return float(show), float(hide), float(esc)


def handover_figures(data_root):
    mapped, exited, _ = run([os.path.join(bench, "mapwatch"), "handover", os.path.join(data_root, "run"),
                             str(ROUNDS), os.path.join(build, "Tarn")]).split()
    return float(mapped), float(exited)


def autosave_figures(catalog):
    env = dict(os.environ, QT_XCB_GL_INTEGRATION="none")
    small = run([os.path.join(bench, "autosave_bench")], env=env).split()
    large = run([os.path.join(bench, "autosave_bench"), catalog], env=env).split()
    return float(small[0]), float(large[0]), float(large[1])


def grid_figures():
    env = dict(os.environ, QT_XCB_GL_INTEGRATION="none")
    figures = {}
    for line in run([os.path.join(bench, "grid_bench")], env=env).splitlines():
        parts = line.split()
        if len(parts) == 2:
            figures[parts[0]] = float(parts[1])
    return figures


def typing_figures():
    env = dict(os.environ, QT_XCB_GL_INTEGRATION="none")
    figures = {}
    for line in run([os.path.join(bench, "typing_bench")], env=env).splitlines():
        parts = line.split()
        if len(parts) == 2:
            figures[parts[0]] = float(parts[1])
    return figures


def main():
    rows = []

    def row(what, value, target, ok):
        rows.append((what, value, target, "yes" if ok else "NO"))

    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "Data"))
        os.makedirs(os.path.join(root, "run"))
        run([os.path.join(bench, "gencatalog"), os.path.join(root, "Data", "Data"), "5000", "100"])
        mapped, rss = startup_figures(root)
        show, hide, esc = hotkey_figures(root)
        handover_mapped, handover_exited = handover_figures(root)
        autosave_small, autosave_large, autosave_large_max = autosave_figures(os.path.join(root, "Data", "Data"))

    row("Hotkey -> window mapped", f"{show:.2f} ms", "<= 5 ms", show <= 5)
    row("Hotkey -> window unmapped", f"{hide:.2f} ms", "(no target)", True)
    row("Esc -> window unmapped", f"{esc:.2f} ms", "<= 3 ms", esc <= 3)
    row("Second start -> first Tarn's window mapped", f"{handover_mapped:.1f} ms "
        f"(second start ended after {handover_exited:.1f} ms)", "(no target)", True)
    row("Edit -> catalog file replaced", f"{autosave_small:.0f} ms (5,000 Items: {autosave_large:.0f} ms, "
        f"slowest {autosave_large_max:.0f} ms)", "about 1 s", autosave_large_max <= 1500)
    ratio = mapped["tarn"] / mapped["bare"]
    row("Cold start to mapped, 5,000 Items: Tarn / bare Qt list",
        f"{mapped['tarn']:.1f} / {mapped['bare']:.1f} ms = {ratio:.2f}", "<= 1.15", ratio <= 1.15)
    ratio_nogl = mapped["tarn"] / mapped["bare_nogl"]
    row("  (the same against a bare list without OpenGL)",
        f"{mapped['tarn']:.1f} / {mapped['bare_nogl']:.1f} ms = {ratio_nogl:.2f}", "(for reference)", True)
    row("RSS once shown, 5,000 Items",
        f"{rss['tarn']:.1f} MiB (bare {rss['bare']:.1f}, bare without OpenGL {rss['bare_nogl']:.1f})",
        "<= 40 MiB", rss["tarn"] <= 40)

    c = catalog_figures()
    for n in ("10000", "100000"):
        load = c[f"TarnLoad/{n}"] / c[f"RapidJsonParse/{n}"]
        row(f"Load + shape check / RapidJSON parse, {int(n):,} Items",
            f"{c[f'TarnLoad/{n}']:.2f} / {c[f'RapidJsonParse/{n}']:.2f} ms = {load:.2f}", "<= 1.3", load <= 1.3)
        save = c[f"TarnSave/{n}"] / c[f"RapidJsonWriteAndPlainWrite/{n}"]
        row(f"Save (atomic) / RapidJSON writer + plain write, {int(n):,} Items",
            f"{c[f'TarnSave/{n}']:.2f} / {c[f'RapidJsonWriteAndPlainWrite/{n}']:.2f} ms = {save:.2f}", "<= 1.3",
            save <= 1.3)
    for what in ("TarnLoad", "TarnSave"):
        growth = c[f"{what}/100000"] / c[f"{what}/10000"]
        row(f"{what[4:]} time, 100,000 / 10,000 Items", f"{growth:.1f}", "<= 11", growth <= 11)

    g = grid_figures()
    row("Group of 1,000 existing files: grid complete", f"{g['grid_1000_ms']:.1f} ms "
        f"(first time {g['grid_1000_first_ms']:.1f} ms)", "<= 100 ms", g["grid_1000_first_ms"] <= 100)
    row("  first row painted after selection", f"{g['first_row_painted_ms']:.2f} ms", "<= 16.7 ms (a frame)",
        g["first_row_painted_ms"] <= 16.7)
    row("Switch to a Type with 100 Groups", f"{g['type_100_groups_ms']:.2f} ms", "<= 20 ms",
        g["type_100_groups_ms"] <= 20)

    s = search_figures()
    queries = [b for name, b in s.items() if name.startswith("SearchQuery/")]
    slowest = max(queries, key=lambda b: b["real_time"])
    row(f"Keystroke search, 100,000 Items, first 60 shown: slowest of {len(queries)} queries",
        f"{slowest['real_time']:.2f} ms (\"{slowest.get('label', '')}\"; CPU {slowest['cpu_time']:.2f} ms)", "<= 10 ms",
        slowest["real_time"] <= 10)
    row("  all queries", ", ".join(f"{b.get('label', '')} {b['real_time']:.2f}" for b in queries) + " ms",
        "(for reference)", True)
    cold, warm = s["SearchIndexBuildCold"], s["SearchIndexRebuildWarm"]
    row("Search index build, 100,000 Items: cold / again after an edit",
        f"{cold['real_time']:.1f} / {warm['real_time']:.1f} ms (CPU {cold['cpu_time']:.1f} / {warm['cpu_time']:.1f})",
        "(no target)", True)
    row("Search index memory, 100,000 Items", f"{cold['index_bytes'] / 2**20:.1f} MiB", "(no target)", True)
    row("Pinyin table (in the binary)", f"{int(cold['pinyin_code_points']):,} characters, "
        f"{cold['pinyin_table_bytes'] / 1024:.0f} KiB", "(no target)", True)

    t = typing_figures()
    row("Keystroke in the window, 100,000 Items: search + first screenful of cells (median)",
        f"{t['keystroke_median_ms']:.2f} ms (CPU {t['keystroke_cpu_median_ms']:.2f}; slowest {t['keystroke_max_ms']:.2f},"
        f" CPU {t['keystroke_cpu_max_ms']:.2f}; {int(t['first_screenful_cells'])} cells)", "<= 10 ms",
        t["keystroke_median_ms"] <= 10)

    width = [max(len(r[i]) for r in rows + [("What", "Measured", "Target", "Met")]) for i in range(4)]
    line = lambda cells: "| " + " | ".join(c.ljust(w) for c, w in zip(cells, width)) + " |"
    print(line(("What", "Measured", "Target", "Met")))
    print("|" + "|".join("-" * (w + 2) for w in width) + "|")
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main()
