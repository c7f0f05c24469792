#!/usr/bin/env python3
"""Windows executables under Wine on an X display (Xvfb when there is none), in a temporary Wine prefix of their own.

  wine_e2e_test.py INSTALLER.EXE WINE_RUN BUNDLE_FOLDER GOLDEN_FOLDER [--without-opengl]
  wine_e2e_test.py --gtest TESTS.EXE WINE_RUN

The first drives installer.exe with real X input, its screens checked against the golden pictures; with
--without-opengl Wine's opengl32 is off and only the walk through the screens runs. The second runs a test
executable at a system DPI of 144.
"""

import contextlib
import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xsession as xs  # noqa: E402

MOVED_TO = (160, 120)
WINESERVER = "/usr/lib/wine/wineserver"


class Session:
    def __init__(self, display, exe, wine_run, bundle, golden, work, without_opengl):
        self.display, self.exe, self.wine_run, self.bundle, self.golden = display, exe, wine_run, bundle, golden
        self.env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), DISPLAY=display.name,
                        WINEDLLOVERRIDES_EXTRA="opengl32=d" if without_opengl else "")

    def run(self, *args, check_status=True):
        return subprocess.run(list(args), env=self.env, check=check_status, capture_output=True, text=True).stdout

    def start(self):
        return contextlib.closing(xs.Installer(self.display, [self.wine_run, self.exe], self.golden, self.env,
                                               subprocess.DEVNULL, subprocess.DEVNULL))

    def system_dpi(self, dpi):
        self.run(self.wine_run, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                 "/d", dpi, "/f")
        self.run(WINESERVER, "-w")  # programs read the setting when they start: let the server write it out first

    def placement(self):  # the stored WINDOWPLACEMENT in hexadecimal digits, 88 of them
        out = self.run(self.wine_run, "reg", "query", "HKCU\\Software\\SURF", "/v", xs.TITLE, check_status=False)
        match = re.search(r"REG_BINARY\s+(2C000000[0-9A-Fa-f]{80})\b", out)
        return match.group(1) if match else ""


def geometry(w):
    values = dict(line.split("=", 1) for line in w.xdotool("getwindowgeometry", "--shell", w.window).split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def walk_to_celebration(s):
    with s.start() as w:
        assert geometry(w)[2:] == (xs.WIDTH, xs.HEIGHT), f"the window is {geometry(w)}"
        w.expect("start")
        w.to_install()
        w.expect("celebrate", 60)
        xs.check_installed(os.path.join(s.env["WINEPREFIX"], "drive_c/Program Files/Common Files/VST3"), s.bundle)
        w.click(xs.CELEBRATE_EXIT)
        w.ends(30)


def reopened_where_and_as_it_was_left(s):
    # Under Wine without a window manager a window away from where Wine first showed one takes no clicks, so each
    # window is simply ended once its placement is stored.
    screen = tuple(int(v) for v in s.run("xdotool", "getdisplaygeometry").split())
    with s.start() as w:
        w.expect("start")
        before = s.placement()
        w.xdotool("windowmove", w.window, *MOVED_TO)
        assert xs.until(lambda: s.placement() not in ("", before), 20, 0.2), "the move was stored"
    with s.start() as w:
        w.expect("start")
        assert geometry(w)[:2] == MOVED_TO, f"reopened at {geometry(w)}, left at {MOVED_TO}"
        w.keys("alt+Return")
        assert xs.until(lambda: s.placement()[16:18] == "03", 10, 0.2), "Alt+Return stores borderless full screen"
    with s.start() as w:
        assert xs.until(lambda: geometry(w) == (0, 0) + screen, 10, 0.2), f"reopened as {geometry(w)}, not {screen}"
        w.rest()
        w.keys("alt+Return")
        assert xs.until(lambda: geometry(w)[:2] == MOVED_TO, 10, 0.2), f"left full screen to {geometry(w)}"


# The normal rectangle of a window left at 96 dpi: less than 750 x 525 as it stands.
STORED_AT_96 = (200, 150, 716, 539)
# A WINDOWPLACEMENT: length, flags, normal show state, no minimised or maximised point, the rectangle.
PLACEMENT_AT_96 = struct.pack("<3I8i", 44, 0, 1, -1, -1, -1, -1, *STORED_AT_96).hex().upper()


def high_density(s):
    # A placement stored at 96 dpi keeps its place at 144 dpi; the size is the scaled default.
    s.run(s.wine_run, "reg", "add", "HKCU\\Software\\SURF", "/v", xs.TITLE, "/t", "REG_BINARY", "/d", PLACEMENT_AT_96,
          "/f")
    s.system_dpi("144")
    with s.start() as w:
        assert geometry(w)[2:] == (750, 525), f"at 144 dpi the window is {geometry(w)[2:]}, not 750 x 525"
        w.expect("start_scale150")
        # The window records where it stands as it first shows.
        value = xs.until(lambda: (v := s.placement()) not in ("", PLACEMENT_AT_96) and v, 20, 0.2)
    assert value, "the reopened window did not record its placement"
    recorded = struct.unpack("<4i", bytes.fromhex(value)[28:44])
    assert recorded[:2] == STORED_AT_96[:2], f"reopened at {recorded[:2]}, stored at {STORED_AT_96[:2]}"


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")] + [None, None]
    without_opengl = "--without-opengl" in sys.argv
    with tempfile.TemporaryDirectory(prefix="velliphon-wine-", ignore_cleanup_errors=True) as work, \
            xs.Display() as display:
        s = Session(display, *args[:4], work, without_opengl)
        try:
            if "--gtest" in sys.argv:
                s.system_dpi("144")
                return subprocess.run([s.wine_run, s.exe], env=s.env, timeout=240).returncode
            steps = [walk_to_celebration, reopened_where_and_as_it_was_left, high_density]
            return xs.run_cases(steps[:1] if without_opengl else steps, s)
        finally:
            s.run(WINESERVER, "-k", check_status=False)  # ends only what runs in this session's own prefix
            s.run(WINESERVER, "-w", check_status=False)


if __name__ == "__main__":
    sys.exit(main())
