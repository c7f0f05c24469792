#!/usr/bin/env python3
"""installer.exe under Wine on an X display, driven with real X input.

  wine_e2e_test.py <installer.exe> <wine-run> <bundle folder> <golden folder> [--without-opengl]

Walks start, licence and installation to the celebration (each screen checked
pixel for pixel against the off-screen golden images), checks the installed
bundle byte for byte under the prefix's Common Files\\VST3, leaves with Exit
(status 0), finds the window's placement in the registry, and reopens a moved
window where it was left and a full-screen one in full screen, and at a
system DPI of 144 draws the start screen at 1.5 times the size. Starts its own
Xvfb when there is no DISPLAY, and uses a Wine prefix of its own in a
temporary folder. With --without-opengl, Wine's opengl32 is switched off and
only the walk to the celebration runs. Needs xdotool and ImageMagick; only the standard library
otherwise.
"""

import filecmp
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "installer"))
import xsession as xs  # noqa: E402

TITLE = "Velliphon"
WIDTH, HEIGHT = 500, 350
NEXT = (365, 309)  # also "Install"
CELEBRATE_EXIT = (250, 322)
LEFT_EXIT = (134, 309)
MOVED_TO = (160, 120)
WINESERVER = "/usr/lib/wine/wineserver"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    def __init__(self, exe, wine_run, work, extra_overrides=None):
        self.exe, self.wine_run, self.work = exe, wine_run, work
        self.display = xs.Display()
        self.env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), DISPLAY=self.display.name)
        if extra_overrides:
            self.env["WINEDLLOVERRIDES_EXTRA"] = extra_overrides

    def run(self, *args, check_status=True):
        return subprocess.run(list(args), env=self.env, check=check_status, capture_output=True, text=True).stdout

    def wine(self, *args):
        return self.run(self.wine_run, *args)

    def start(self):
        return subprocess.Popen([self.wine_run, self.exe], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # A fresh prefix is made on the first start; allow for it.
    def find_window(self, timeout=120.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            ids = self.windows()
            if ids:
                self.rest_pointer(ids[0])
                return ids[0]
            time.sleep(0.1)
        raise Failure("the installer's window did not appear")

    def geometry(self, window):
        out = self.run("xdotool", "getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    # Wine learns where the pointer is only from events on its own windows.
    def rest_pointer(self, window):
        self.run("xdotool", "mousemove", "--window", window, str(WIDTH - 1), str(HEIGHT - 1), check_status=False)

    def click(self, window, point):
        self.run("xdotool", "mousemove", "--window", window, str(point[0]), str(point[1]))
        time.sleep(0.3)
        # Held like a person's click: the window samples the buttons once a frame.
        self.run("xdotool", "mousedown", "1")
        time.sleep(0.3)
        self.run("xdotool", "mouseup", "1")
        self.rest_pointer(window)  # off the buttons again; the window may be gone after Exit

    def capture(self, window):
        try:
            return subprocess.run(["/usr/bin/import", "-silent", "-window", window, "-depth", "8", "rgb:-"],
                                  env=self.env, check=True, capture_output=True, timeout=20).stdout
        except subprocess.TimeoutExpired:
            raise Failure("the window could not be captured; has the installer ended?")

    def wait_for_screen(self, window, golden, timeout):
        want = subprocess.run(["/usr/bin/convert", golden, "-depth", "8", "rgb:-"],
                              check=True, capture_output=True).stdout
        end = time.monotonic() + timeout
        while True:
            got = self.capture(window)
            if got == want:
                return
            if time.monotonic() > end:
                shot = os.path.join(self.work, "got-" + os.path.basename(golden) + ".rgb")
                with open(shot, "wb") as f:
                    f.write(got)
                raise Failure("the window does not show %s (capture left in %s, %d bytes)" %
                              (os.path.basename(golden), shot, len(got)))
            time.sleep(0.2)

    def windows(self):
        return self.run("xdotool", "search", "--onlyvisible", "--name", "^" + TITLE + "$", check_status=False).split()

    # The exit status once the process has ended and its window is gone, so
    # that the next start does not find the old window.
    def wait_exit(self, process, what, timeout=30.0):
        try:
            status = process.wait(timeout)
            end = time.monotonic() + 10
            while self.windows() and time.monotonic() < end:
                time.sleep(0.1)
            return status
        except subprocess.TimeoutExpired:
            shot = os.path.join(self.work, "not-ended.png")
            subprocess.run("xwd -root -silent | /usr/bin/convert xwd:- " + shot, shell=True, env=self.env)
            process.kill()
            raise Failure("%s did not end the installer (screen left in %s)" % (what, shot))

    def close(self):
        # Ends only what runs in this session's own prefix, then the display.
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True)
        self.display.close()


def same_tree(installed, bundle):
    """Relative paths and file bytes of the installed tree against the bundle."""
    def entries(root):
        found = set()
        for folder, dirs, files in os.walk(root):
            for name in dirs + files:
                found.add(os.path.relpath(os.path.join(folder, name), root))
        return found
    mine, theirs = entries(installed), entries(bundle)
    check(mine == theirs, "installed entries differ: %s" % sorted(mine ^ theirs))
    for rel in sorted(theirs):
        path = os.path.join(bundle, rel)
        if os.path.isfile(path):
            check(filecmp.cmp(path, os.path.join(installed, rel), shallow=False), rel + " differs")
    return len(theirs)


def walk_to_celebration(s, bundle, golden):
    process = s.start()
    window = s.find_window()
    check(s.geometry(window)[2:] == (WIDTH, HEIGHT), "the window is not %d x %d" % (WIDTH, HEIGHT))
    s.wait_for_screen(window, os.path.join(golden, "start.png"), 20)
    s.click(window, NEXT)
    s.wait_for_screen(window, os.path.join(golden, "license.png"), 10)
    s.click(window, NEXT)
    s.wait_for_screen(window, os.path.join(golden, "celebrate.png"), 60)

    vst3 = os.path.join(s.env["WINEPREFIX"], "drive_c", "Program Files", "Common Files", "VST3")
    count = same_tree(vst3, bundle)
    check(count == 7, "expected seven entries, found %d" % count)

    s.click(window, CELEBRATE_EXIT)
    check(s.wait_exit(process, "Exit on the celebration") == 0, "Exit did not end the installer with status 0")


def placement_value(s):
    out = s.run(s.wine_run, "reg", "query", "HKCU\\Software\\SURF", "/v", TITLE, check_status=False)
    match = re.search(r"REG_BINARY\s+([0-9A-Fa-f]+)", out)
    return match.group(1) if match else None


def stored_placement(s):
    value = placement_value(s)
    check(value, "no placement value for %s under HKCU\\Software\\SURF" % TITLE)
    check(len(value) == 88 and value.startswith("2C000000"), "the placement is not a 44-byte WINDOWPLACEMENT: " + value)


def reopen_where_left(s, golden):
    start_screen = os.path.join(golden, "start.png")
    process = s.start()
    window = s.find_window()
    s.wait_for_screen(window, start_screen, 20)
    before = placement_value(s)
    s.run("xdotool", "windowmove", window, str(MOVED_TO[0]), str(MOVED_TO[1]))
    # The window stores its placement when it learns of the move.
    end = time.monotonic() + 20
    while placement_value(s) == before:
        check(time.monotonic() < end, "the move was not stored")
        time.sleep(0.2)
    # Stored already. Under Wine without a window manager a window away from
    # where Wine first showed one takes no clicks, so it is simply ended.
    process.kill()
    s.wait_exit(process, "ending the moved window")

    process = s.start()
    window = s.find_window()
    s.wait_for_screen(window, start_screen, 20)
    where = s.geometry(window)[:2]
    process.kill()
    s.wait_exit(process, "ending the reopened window")
    check(where == MOVED_TO, "reopened at %s, left at %s" % (where, MOVED_TO))


def show_state(s):
    value = placement_value(s) or ""
    return int(value[16:18], 16) if len(value) == 88 else None


def full_screen_remembered(s, golden):
    screen = tuple(int(v) for v in s.run("xdotool", "getdisplaygeometry").split())
    process = s.start()
    window = s.find_window()
    s.wait_for_screen(window, os.path.join(golden, "start.png"), 20)
    s.run("xdotool", "key", "alt+Return")
    end = time.monotonic() + 10
    while show_state(s) != 3:
        check(time.monotonic() < end, "Alt+Return did not store borderless full screen (show state 3)")
        time.sleep(0.2)
    process.kill()
    s.wait_exit(process, "ending the full-screen window")

    process = s.start()
    window = s.find_window()
    end = time.monotonic() + 10
    while s.geometry(window) != (0, 0) + screen:
        check(time.monotonic() < end, "reopened as %s, not over the %s screen" % (s.geometry(window), screen))
        time.sleep(0.2)
    s.rest_pointer(window)
    s.run("xdotool", "key", "alt+Return")
    end = time.monotonic() + 10
    while s.geometry(window)[:2] != MOVED_TO:
        check(time.monotonic() < end, "leaving full screen went to %s, not back to %s" %
              (s.geometry(window)[:2], MOVED_TO))
        time.sleep(0.2)
    process.kill()
    s.wait_exit(process, "ending the restored window")


# The normal rectangle of a window left at 96 dpi: less than 750 x 525 as it stands.
STORED_AT_96 = (200, 150, 716, 539)


def placement_at_96():
    # A WINDOWPLACEMENT: length, flags, normal show state, no minimised or maximised point, the rectangle.
    return struct.pack("<3I8i", 44, 0, 1, -1, -1, -1, -1, *STORED_AT_96).hex().upper()


def normal_rect(value):
    return struct.unpack("<4i", bytes.fromhex(value)[28:44])


def high_density(s, golden):
    # A placement stored at 96 dpi keeps its place at 144 dpi; the size is the scaled default.
    s.wine("reg", "add", "HKCU\\Software\\SURF", "/v", TITLE, "/t", "REG_BINARY", "/d", placement_at_96(), "/f")
    s.wine("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    # Programs read the setting when they start: let the server write it out first.
    s.run(WINESERVER, "-w")
    process = s.start()
    window = s.find_window()
    size = s.geometry(window)[2:]
    if size == (750, 525):
        s.wait_for_screen(window, os.path.join(golden, "start_scale150.png"), 20)
    # The window records where it stands as it first shows.
    end = time.monotonic() + 20
    while placement_value(s) == placement_at_96() and time.monotonic() < end:
        time.sleep(0.2)
    value = placement_value(s)
    recorded = normal_rect(value) if value and len(value) == 88 else None
    process.kill()
    s.wait_exit(process, "ending the high-density window")
    check(size == (750, 525), "at 144 dpi the window is %d x %d, not 750 x 525" % size)
    check(recorded and recorded != STORED_AT_96, "the reopened window did not record its placement")
    check(recorded[:2] == STORED_AT_96[:2], "reopened at %s, stored at %s" % (recorded[:2], STORED_AT_96[:2]))


def main():
    exe, wine_run, bundle, golden = sys.argv[1:5]
    without_opengl = "--without-opengl" in sys.argv[5:]
    work = tempfile.mkdtemp(prefix="velliphon-wine-")
    session = Session(exe, wine_run, work, "opengl32=d" if without_opengl else None)
    steps = [("walk to the celebration", lambda: walk_to_celebration(session, bundle, golden)),
             ("placement in the registry", lambda: stored_placement(session)),
             ("reopened where it was left", lambda: reopen_where_left(session, golden)),
             ("full screen remembered", lambda: full_screen_remembered(session, golden)),
             ("drawn at 1.5 on a 144 dpi screen", lambda: high_density(session, golden))]
    if without_opengl:
        steps = steps[:1]
    failed = 0
    try:
        for name, step in steps:
            started = time.monotonic()
            try:
                step()
                print("PASS %s (%.1f s)" % (name, time.monotonic() - started))
            except (Failure, subprocess.CalledProcessError) as e:
                failed += 1
                print("FAIL %s: %s" % (name, e))
    finally:
        session.close()
        if not failed:
            shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (len(steps) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
