#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installs the build into a DESTDIR and checks what a desktop reads from it,
with the desktop's own validators, and that a packager's configuration
builds no suites. Arguments: cmake, build folder, app id, source folder."""
import configparser
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

cmake, build, app_id, source = sys.argv[1:5]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    return done.returncode, (done.stdout + done.stderr).strip()


with tempfile.TemporaryDirectory() as dest:
    code, out = run("env", f"DESTDIR={dest}", cmake, "--install", build, "--prefix", "/usr")
    if code:
        sys.exit(f"install failed:\n{out}")
    root = dest + "/usr"
    share = root + "/share"
    desktop = f"{share}/applications/{app_id}.desktop"
    metainfo = f"{share}/metainfo/{app_id}.metainfo.xml"
    svg = f"{share}/icons/hicolor/scalable/apps/{app_id}.svg"
    expected = [root + "/bin/Tarn", desktop, metainfo, svg,
                share + "/doc/tarn/README.md", share + "/doc/tarn/CHANGELOG.md"]
    for path in expected:
        check(os.path.isfile(path), f"missing {path}")
    check(not os.path.exists(root + "/bin/README.md"), "documents still installed beside the program")

    for size in (16, 24, 32, 48, 64, 128, 256):
        png = f"{share}/icons/hicolor/{size}x{size}/apps/{app_id}.png"
        try:
            with open(png, "rb") as f:
                head = f.read(24)
            check(head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (size, size),
                  f"{png} is not a {size}x{size} PNG")
        except OSError:
            failures.append(f"missing {png}")
    try:
        check(ET.parse(svg).getroot().tag == "{http://www.w3.org/2000/svg}svg", f"{svg} is not SVG")
    except (OSError, ET.ParseError) as error:
        failures.append(f"{svg}: {error}")

    # The menu entry, its Toggle action and the metadata agree on the id.
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop, encoding="utf-8")
    check(entry.get("Desktop Entry", "Icon", fallback="") == app_id, "the entry's Icon is not the app id")
    check(entry.get("Desktop Entry", "Exec", fallback="") == "Tarn", "the entry does not start Tarn")
    check("Toggle" in entry.get("Desktop Entry", "Actions", fallback="").split(";"), "no Toggle action")
    check(entry.get("Desktop Action Toggle", "Exec", fallback="") == "Tarn --toggle",
          "the Toggle action does not run Tarn --toggle")
    try:
        component = ET.parse(metainfo).getroot()
        check(component.findtext("id") == app_id, "metainfo id differs")
        check(component.findtext("launchable") == app_id + ".desktop", "metainfo launchable differs")
    except (OSError, ET.ParseError) as error:
        failures.append(f"{metainfo}: {error}")

    # Warnings count as failures too.
    code, out = run("desktop-file-validate", desktop)
    check(code == 0 and not out, f"desktop-file-validate:\n{out}")
    code, out = run("appstreamcli", "validate", "--no-net", metainfo)
    check(code == 0 and "W:" not in out and "E:" not in out, f"appstreamcli validate:\n{out}")

# Packagers configure with CTest's BUILD_TESTING=OFF: no suite is built then.
with tempfile.TemporaryDirectory() as tree:
    code, out = run(cmake, "-S", source, "-B", tree, "-DBUILD_TESTING=OFF")
    check(code == 0, f"configuring with BUILD_TESTING=OFF failed:\n{out}")
    check(not os.path.exists(tree + "/Tests"), "BUILD_TESTING=OFF still configures the suites")

for failure in failures:
    print("FAIL:", failure)
print(f"install: {len(failures)} failure(s)")
sys.exit(1 if failures else 0)
