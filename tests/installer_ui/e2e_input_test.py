"""The installer driven from the keyboard and the wheel, and drawn at a higher
scale, end to end: the real executable in an X session (Xvfb when there is no
DISPLAY) with real X input, as in e2e_test.py.

usage: e2e_input_test.py INSTALLER GOLDEN_FOLDER
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "installer"))
import xsession as xs  # noqa: E402

INSTALLER, GOLDEN = sys.argv[1:3]

# The licence panel's inside, clear of its frame and scroll bar, in pixels at scale 1.
PANEL_LEFT, PANEL_RIGHT, PANEL_TOP, PANEL_BOTTOM = 20, 460, 45, 285
PANEL_MIDDLE = (250, 160)
WHEEL_STEP = 60  # units a notch


def golden(name):
    return os.path.join(GOLDEN, name + ".png")


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def keys(display, *names):
    """Each key pressed and released, all back to back with no delay."""
    xs.run_x(display, "xdotool", "key", "--delay", "0", *names)


def wait_for_change(display, window, away_from, timeout=20.0):
    """The window's pixels once they differ from `away_from`."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        now = xs.window_rgb(display, window)
        if now not in (away_from, b""):
            time.sleep(0.2)  # let a frame under way finish
            return xs.window_rgb(display, window)
        time.sleep(0.05)
    return away_from


def rows(rgb, top, bottom, left, right, width=xs.WIDTH):
    return [rgb[(y * width + left) * 3:(y * width + right) * 3] for y in range(top, bottom)]


class Installer:
    def __init__(self, display):
        self.display = display
        self.home = xs.scratch_home()
        self.process = xs.start_installer(display, INSTALLER, self.home)
        self.window = xs.find_window(display, self.process)

    def shows(self, name, timeout=20.0):
        if xs.wait_for_screen(self.display, self.window, golden(name), timeout=timeout):
            return True
        if self.process.poll() is not None:
            print(f"the installer ended with status {self.process.returncode}: "
                  f"{xs.written_so_far(self.process.stderr)}")
        return False

    def exits_with_zero(self):
        out, err = self.process.communicate(timeout=20)
        return self.process.returncode == 0, err.decode(errors="replace")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        xs.remove_home(self.home)


def tab_moves_a_focus_mark_of_its_own(display):
    s = Installer(display)
    try:
        xs.rest_pointer(display, s.window)
        expect(s.shows("start"), "the start screen")
        xs.run_x(display, "xdotool", "mousemove", "--window", s.window, *map(str, xs.LEFT_EXIT))
        # Two taps of one key, each pressed and released back to back.
        keys(display, "Tab")
        keys(display, "Tab")
        expect(s.shows("focus_mark"), "Next focused, Exit hovered: both taps acted on")
        keys(display, "Escape")
        ok, err = s.exits_with_zero()
        expect(ok, f"Escape exits: {err}")
    finally:
        s.close()


def keys_walk_through_the_screens(display):
    s = Installer(display)
    try:
        xs.rest_pointer(display, s.window)
        expect(s.shows("start"), "the start screen")
        keys(display, "Return")
        expect(s.shows("license"), "Return goes on to the licence")
        license = xs.png_rgb(golden("license"))
        for away, back in (("Down", "Up"), ("Next", "Prior"), ("End", "Home")):
            keys(display, away)
            expect(wait_for_change(display, s.window, license) != license, f"{away} scrolls")
            keys(display, back)
            expect(s.shows("license"), f"{back} scrolls back")
        keys(display, "shift+Tab", "space")  # Install, the last button
        expect(s.shows("celebrate"), "the installation ran")
        keys(display, "Return")
        ok, err = s.exits_with_zero()
        expect(ok, f"Return presses Exit on the celebration: {err}")
    finally:
        s.close()


def wheel_scrolls_the_licence_under_the_pointer(display):
    s = Installer(display)
    try:
        xs.rest_pointer(display, s.window)
        expect(s.shows("start"), "the start screen")
        keys(display, "Return")
        expect(s.shows("license"), "the licence")
        license = xs.png_rgb(golden("license"))
        xs.run_x(display, "xdotool", "mousemove", "--window", s.window, *map(str, PANEL_MIDDLE))
        time.sleep(0.2)
        xs.run_x(display, "xdotool", "click", "5")  # one notch toward the end
        scrolled = wait_for_change(display, s.window, license)
        top, bottom = PANEL_TOP, PANEL_BOTTOM - WHEEL_STEP
        expect(rows(scrolled, top, bottom, PANEL_LEFT, PANEL_RIGHT)
               == rows(license, top + WHEEL_STEP, bottom + WHEEL_STEP, PANEL_LEFT, PANEL_RIGHT),
               f"the text moved up by {WHEEL_STEP} pixels")
        xs.run_x(display, "xdotool", "click", "4")
        xs.rest_pointer(display, s.window)
        expect(s.shows("license"), "and back")
    finally:
        s.close()


def set_resources(display, resources, timeout=10.0):
    """Sets the root window's X resources while `keeper` holds a connection:
    the server forgets them when its last client leaves."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        xs.run_x(display, "xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", resources)
        if "144" in xs.run_x(display, "xprop", "-root", "RESOURCE_MANAGER"):
            return
        time.sleep(0.1)
    raise RuntimeError("the X resources did not stay set")


def high_dpi_draws_at_the_screen_scale(display):
    keeper = subprocess.Popen(["xprop", "-root", "-spy", "RESOURCE_MANAGER"], env=dict(os.environ, DISPLAY=display.name),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    s = None
    try:
        set_resources(display, "Xft.dpi:\t144\n")
        s = Installer(display)
        xs.rest_pointer(display, s.window)
        expect(s.shows("start_scale150"), "the start screen at 1.5, sharp")
        keys(display, "Return")
        expect(s.shows("license_scale150"), "the licence at 1.5")
    finally:
        if s:
            s.close()
        xs.run_x(display, "xprop", "-root", "-remove", "RESOURCE_MANAGER")
        keeper.kill()
        keeper.wait()


def main():
    cases = [tab_moves_a_focus_mark_of_its_own, keys_walk_through_the_screens,
             wheel_scrolls_the_licence_under_the_pointer, high_dpi_draws_at_the_screen_scale]
    return xs.run_cases(cases)


if __name__ == "__main__":
    sys.exit(main())
