#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Tarn reads desktop entries as GLib (GDesktopAppInfo, what most Linux
# desktops start applications with) does: for the odd entries in
# desktop-corpus/ and every entry installed on this machine, whether it is an
# application that can be started at all, its name, Terminal, Path and the
# Exec argv agree.
#   test_glibagreement.py ENTRYARGV CORPUS_DIR
import glob
import json
import os
import subprocess
import sys

try:
    import gi
    gi.require_version("Gio", "2.0")
    from gi.repository import Gio, GLib
except (ImportError, ValueError):
    print("SKIP: python3-gi with Gio is not installed")
    sys.exit(77)


def expand(info, line):
    # The entry's own codes as GLib's launcher expands them; file codes
    # stand for nothing without files.
    out, i = [], 0
    while i < len(line):
        if line[i] == "%" and i + 1 < len(line):
            code = line[i + 1]
            if code == "i" and info.get_string("Icon"):
                out.append("--icon " + GLib.shell_quote(info.get_string("Icon")))
            elif code == "c" and info.get_name():
                out.append(GLib.shell_quote(info.get_name()))
            elif code == "k" and info.get_filename():
                out.append(GLib.shell_quote(info.get_filename()))
            elif code == "%":
                out.append("%")
            i += 2
            continue
        out.append(line[i])
        i += 1
    return "".join(out)


def reference(path):
    try:
        info = Gio.DesktopAppInfo.new_from_filename(path)
    except (GLib.Error, TypeError):
        info = None
    if info is None:
        return {"file": path, "loaded": False}
    # GLib names an entry without a readable Name "Unnamed"; Tarn leaves it
    # empty and keeps the Item's own name.
    name = info.get_string("Name") and info.get_name()
    r = {"file": path, "loaded": True, "name": name or "", "terminal": info.get_boolean("Terminal"),
         "path": info.get_string("Path")}
    line = info.get_commandline()
    if line is not None:
        try:
            r["argv"] = list(GLib.shell_parse_argv(expand(info, line))[1])
        except GLib.Error:
            pass
    # GLib loads an entry whose Exec is empty or unreadable, but cannot start
    # it; for Tarn that is no application either.
    if "argv" not in r and not info.get_boolean("DBusActivatable"):
        return {"file": path, "loaded": False}
    return r


def main():
    tool, corpus = sys.argv[1], sys.argv[2]
    # One language list both read the same way.
    os.environ.update(LANGUAGE="de_DE:de", LANG="de_DE.UTF-8", LC_ALL="", LC_MESSAGES="")
    files = sorted(glob.glob(os.path.join(corpus, "*.desktop")))
    installed = sorted(glob.glob("/usr/share/applications/*.desktop"))
    out = subprocess.run([tool] + files + installed, capture_output=True, text=True, check=True).stdout
    tarn = [json.loads(line) for line in out.splitlines()]
    failures = 0
    for ours in tarn:
        theirs = reference(ours["file"])
        if ours != theirs:
            failures += 1
            print("DIFFERS:", ours["file"])
            print("  GLib:", json.dumps(theirs, ensure_ascii=False))
            print("  Tarn:", json.dumps(ours, ensure_ascii=False))
    print(f"{len(tarn)} entries ({len(files)} odd ones, {len(installed)} installed), {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
