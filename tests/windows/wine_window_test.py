#!/usr/bin/env python3
"""Runs the Win32 window tests under Wine, on an X display, in a Wine prefix
of their own whose system DPI is 144.

  wine_window_test.py <win_window_tests.exe> <wine-run>

Starts its own Xvfb when there is no DISPLAY. The exit status is the tests'.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "installer"))
import xsession as xs  # noqa: E402

WINESERVER = "/usr/lib/wine/wineserver"


def main():
    tests, wine_run = sys.argv[1:3]
    work = tempfile.mkdtemp(prefix="velliphon-wine-dpi-")
    try:
        with xs.Display() as display:
            env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), DISPLAY=display.name)
            try:
                subprocess.run([wine_run, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                                "/t", "REG_DWORD", "/d", "144", "/f"], env=env, check=True,
                               stdout=subprocess.DEVNULL)
                # The setting is read when a program starts: let the server write it out first.
                subprocess.run([WINESERVER, "-w"], env=env, check=True)
                return subprocess.run([wine_run, tests], env=env, timeout=240).returncode
            finally:
                subprocess.run([WINESERVER, "-k"], env=env, check=False)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
