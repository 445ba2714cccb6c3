#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installs the build into a DESTDIR and checks what a desktop reads from it,
with the desktop's own validators, and that a packager's configuration
builds no suites. Arguments: cmake, build folder, app id, source folder."""
import configparser
import os
import re
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


def cached(name):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            key, _, value = line.rstrip("\n").partition("=")
            if key.split(":")[0] == name:
                return value
    return ""


def window_class(program):
    """Starts `program` on a private X server and returns the class part of
    its window's WM_CLASS, or why there is none."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as displayfd:
            display = ":" + displayfd.readline().strip()
        env = dict(os.environ, DISPLAY=display, WAYLAND_DISPLAY="", QT_QPA_PLATFORM="xcb",
                   QT_XCB_GL_INTEGRATION="none")
        with tempfile.TemporaryDirectory() as data:
            tarn = subprocess.Popen([program, "--data", data], env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            try:
                found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(tarn.pid)],
                                       env=env, capture_output=True, text=True, timeout=60)
                windows = found.stdout.split()
                if not windows:
                    return "no window"
                done = subprocess.run(["xprop", "-id", windows[0], "WM_CLASS"], env=env, capture_output=True,
                                      text=True)
                names = re.findall(r'"([^"]*)"', done.stdout)
                return names[1] if len(names) == 2 else done.stdout.strip()
            except subprocess.TimeoutExpired:
                return "no window within a minute"
            finally:
                subprocess.run([program, "--data", data, "--quit"], env=env, capture_output=True, timeout=60)
                try:
                    tarn.wait(timeout=60)
                except subprocess.TimeoutExpired:
                    tarn.kill()
                    tarn.wait()
    finally:
        server.terminate()
        server.wait()


with tempfile.TemporaryDirectory() as dest:
    # Into the prefix it was configured for, the one the program was told.
    code, out = run("env", f"DESTDIR={dest}", cmake, "--install", build)
    if code:
        sys.exit(f"install failed:\n{out}")
    root = dest + cached("CMAKE_INSTALL_PREFIX")
    share = root + "/share"
    desktop = f"{share}/applications/{app_id}.desktop"
    metainfo = f"{share}/metainfo/{app_id}.metainfo.xml"
    svg = f"{share}/icons/hicolor/scalable/apps/{app_id}.svg"
    docs = share + "/doc/tarn"
    man = share + "/man/man1/tarn.1"
    expected = [root + "/bin/Tarn", desktop, metainfo, svg, docs + "/README.md", docs + "/CHANGELOG.md", man]
    for path in expected:
        check(os.path.isfile(path), f"missing {path}")
    check(not os.path.exists(root + "/bin/README.md"), "documents still installed beside the program")
    # The About tab's links: the program was told where the documents go.
    with open(root + "/bin/Tarn", "rb") as program:
        binary = program.read()
    folder = docs[len(dest):]
    check(folder.encode() in binary or folder.encode("utf-16-le") in binary,
          f"Tarn does not look for its documents in {folder}")
    # The man page, from the program's own --help and --version.
    try:
        with open(man, encoding="utf-8") as page:
            text = page.read()
        check(text.startswith(".") and ".TH TARN" in text and "1.0.0" in text and r"\-\-toggle" in text,
              f"{man} does not describe Tarn's options")
    except OSError:
        pass

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
    # A desktop matches the window to its entry by the class of its WM_CLASS.
    wm_class = window_class(root + "/bin/Tarn")
    startup = entry.get("Desktop Entry", "StartupWMClass", fallback="(none)")
    check(wm_class == startup, f"the window's WM_CLASS class is {wm_class}, the entry's StartupWMClass {startup}")
    try:
        component = ET.parse(metainfo).getroot()
        check(component.findtext("id") == app_id, "metainfo id differs")
        check(component.findtext("launchable") == app_id + ".desktop", "metainfo launchable differs")
        # Software centres show the metadata in the user's language; Tarn's own is Chinese.
        chinese = "[@{http://www.w3.org/XML/1998/namespace}lang='zh_CN']"
        for what in ("summary", "description/p", "description/ul/li"):
            check(component.find(what + chinese) is not None, f"metainfo has no Chinese {what}")
        developer = component.find("developer")
        check(developer is not None and developer.get("id") and developer.findtext("name"),
              "metainfo names no developer with an id")
    except (OSError, ET.ParseError) as error:
        failures.append(f"{metainfo}: {error}")

    # Warnings count as failures too.
    code, out = run("desktop-file-validate", desktop)
    check(code == 0 and not out, f"desktop-file-validate:\n{out}")
    # And so does every note of a pedantic validation but two: the upper case
    # of the id, which is the desktop id Tarn is known by, and <developer>
    # unknown to validators older than AppStream 1.0, which introduced it.
    code, out = run("appstreamcli", "validate", "--pedantic", "--no-net", metainfo)
    accepted = ("cid-contains-uppercase-letter", "unknown-tag developer")
    notes = [line for line in out.splitlines() if re.match(r"[EWIP]: ", line)]
    unexpected = [line for line in notes if not any(re.match(rf"\S+ \S+ {re.escape(a)}\b", line) for a in accepted)]
    check(code == 0 and not unexpected, f"appstreamcli validate --pedantic:\n{out}")

# Packagers configure with CTest's BUILD_TESTING=OFF: no suite is built then.
with tempfile.TemporaryDirectory() as tree:
    code, out = run(cmake, "-S", source, "-B", tree, "-DBUILD_TESTING=OFF")
    check(code == 0, f"configuring with BUILD_TESTING=OFF failed:\n{out}")
    check(not os.path.exists(tree + "/Tests"), "BUILD_TESTING=OFF still configures the suites")

for failure in failures:
    print("FAIL:", failure)
print(f"install: {len(failures)} failure(s)")
sys.exit(1 if failures else 0)
