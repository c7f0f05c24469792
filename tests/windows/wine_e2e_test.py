#!/usr/bin/env python3
"""Windows executables under Wine on an X display (Xvfb when there is none), in a temporary Wine prefix of their own.

  wine_e2e_test.py INSTALLER.EXE WINE_RUN BUNDLE_FOLDER GOLDEN_FOLDER [--without-opengl]
  wine_e2e_test.py --gtest TESTS.EXE WINE_RUN

The first walks installer.exe through its screens with real X input (each checked against the golden pictures),
checks the installed bundle and the placement stored in the registry, reopens a moved and a full-screen window as
they were left, and draws at 1.5 times the size at a system DPI of 144; with --without-opengl Wine's opengl32 is off
and only the walk runs. The second runs a test executable at a system DPI of 144.
"""

import contextlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xsession as xs  # noqa: E402
from xsession import check  # noqa: E402

MOVED_TO = (160, 120)
WINESERVER = "/usr/lib/wine/wineserver"


class Session:
    def __init__(self, display, exe, wine_run, bundle, work, overrides):
        self.display, self.exe, self.wine_run, self.bundle = display, exe, wine_run, bundle
        self.env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), DISPLAY=display.name)
        if overrides:
            self.env["WINEDLLOVERRIDES_EXTRA"] = overrides

    def run(self, *args, check_status=True):
        return subprocess.run(list(args), env=self.env, check=check_status, capture_output=True, text=True).stdout

    def wine(self, *args, check_status=True):
        return self.run(self.wine_run, *args, check_status=check_status)

    def start(self, golden):
        return xs.Installer(self.display, [self.wine_run, self.exe], golden, self.env, subprocess.DEVNULL,
                            subprocess.DEVNULL)

    def system_dpi(self, dpi):
        self.wine("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi,
                  "/f")
        # Programs read the setting when they start: let the server write it out first.
        self.run(WINESERVER, "-w")

    def close(self):
        # Ends only what runs in this session's own prefix.
        self.run(WINESERVER, "-k", check_status=False)
        self.run(WINESERVER, "-w", check_status=False)


def geometry(w):
    values = dict(line.split("=", 1) for line in w.xdotool("getwindowgeometry", "--shell", w.window).split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def placement_value(s):
    out = s.wine("reg", "query", "HKCU\\Software\\SURF", "/v", xs.TITLE, check_status=False)
    match = re.search(r"REG_BINARY\s+([0-9A-Fa-f]+)", out)
    return match.group(1) if match else ""


def show_state(s):
    value = placement_value(s)
    return int(value[16:18], 16) if len(value) == 88 else None


def walk_to_celebration(s, golden):
    with contextlib.closing(s.start(golden)) as w:
        check(geometry(w)[2:] == (xs.WIDTH, xs.HEIGHT), f"the window is {geometry(w)}")
        w.expect("start")
        w.to_install()
        w.expect("celebrate", 60)
        xs.check_installed(os.path.join(s.env["WINEPREFIX"], "drive_c", "Program Files", "Common Files", "VST3"),
                           s.bundle)
        w.click(xs.CELEBRATE_EXIT)
        w.ends(30)


def placement_in_the_registry(s, golden):
    value = placement_value(s)
    check(len(value) == 88 and value.startswith("2C000000"), f"not a 44-byte WINDOWPLACEMENT: {value!r}")


def reopened_where_it_was_left(s, golden):
    # Under Wine without a window manager a window away from where Wine first showed one takes no clicks, so each
    # window is simply ended once its placement is stored.
    with contextlib.closing(s.start(golden)) as w:
        w.expect("start")
        before = placement_value(s)
        w.xdotool("windowmove", w.window, *MOVED_TO)
        check(xs.until(lambda: placement_value(s) != before, 20, 0.2), "the move was stored")
    with contextlib.closing(s.start(golden)) as w:
        w.expect("start")
        check(geometry(w)[:2] == MOVED_TO, f"reopened at {geometry(w)}, left at {MOVED_TO}")


def full_screen_remembered(s, golden):
    screen = tuple(int(v) for v in s.run("xdotool", "getdisplaygeometry").split())
    with contextlib.closing(s.start(golden)) as w:
        w.expect("start")
        w.keys("alt+Return")
        check(xs.until(lambda: show_state(s) == 3, 10, 0.2), "Alt+Return stores borderless full screen (state 3)")
    with contextlib.closing(s.start(golden)) as w:
        check(xs.until(lambda: geometry(w) == (0, 0) + screen, 10, 0.2), f"reopened as {geometry(w)}, not {screen}")
        w.rest()
        w.keys("alt+Return")
        check(xs.until(lambda: geometry(w)[:2] == MOVED_TO, 10, 0.2), f"left full screen to {geometry(w)}")


# The normal rectangle of a window left at 96 dpi: less than 750 x 525 as it stands.
STORED_AT_96 = (200, 150, 716, 539)


def placement_at_96():
    # A WINDOWPLACEMENT: length, flags, normal show state, no minimised or maximised point, the rectangle.
    return struct.pack("<3I8i", 44, 0, 1, -1, -1, -1, -1, *STORED_AT_96).hex().upper()


def normal_rect(value):
    return struct.unpack("<4i", bytes.fromhex(value)[28:44])


def high_density(s, golden):
    # A placement stored at 96 dpi keeps its place at 144 dpi; the size is the scaled default.
    s.wine("reg", "add", "HKCU\\Software\\SURF", "/v", xs.TITLE, "/t", "REG_BINARY", "/d", placement_at_96(), "/f")
    s.system_dpi("144")
    with contextlib.closing(s.start(golden)) as w:
        size = geometry(w)[2:]
        check(size == (750, 525), "at 144 dpi the window is %d x %d, not 750 x 525" % size)
        w.expect("start_scale150")
        # The window records where it stands as it first shows.
        value = xs.until(lambda: (v := placement_value(s)) != placement_at_96() and len(v) == 88 and v, 20, 0.2)
    check(value, "the reopened window did not record its placement")
    recorded = normal_rect(value)
    check(recorded[:2] == STORED_AT_96[:2], f"reopened at {recorded[:2]}, stored at {STORED_AT_96[:2]}")


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    without_opengl = "--without-opengl" in sys.argv
    work = tempfile.mkdtemp(prefix="velliphon-wine-")
    try:
        with xs.Display() as display:
            s = Session(display, *(args + [None])[:3], work, "opengl32=d" if without_opengl else None)
            try:
                if "--gtest" in sys.argv:
                    s.system_dpi("144")
                    return subprocess.run([s.wine_run, s.exe], env=s.env, timeout=240).returncode
                steps = [walk_to_celebration, placement_in_the_registry, reopened_where_it_was_left,
                         full_screen_remembered, high_density]
                return xs.run_cases(steps[:1] if without_opengl else steps, s, args[3])
            finally:
                s.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
