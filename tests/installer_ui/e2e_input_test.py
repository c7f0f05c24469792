"""The installer driven from the keyboard and the wheel, and drawn at a higher scale, end to end, as in e2e_test.py.

usage: e2e_input_test.py INSTALLER GOLDEN_FOLDER
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xsession as xs  # noqa: E402
from xsession import check  # noqa: E402

INSTALLER, GOLDEN = sys.argv[1:3]
PANEL = (20, 460, 45, 225)  # licence text clear of frame, scroll bar and the notch
WHEEL_STEP = 60  # pixels a notch at scale 1


def tab_moves_a_focus_mark_of_its_own(display):
    with xs.session(display, INSTALLER, GOLDEN) as s:
        s.xdotool("mousemove", "--window", s.window, *xs.LEFT_EXIT)
        s.keys("Tab")  # two taps of one key, each pressed and released back to back
        s.keys("Tab")
        s.expect("focus_mark")  # Next focused, Exit hovered: both taps acted on
        s.keys("Escape")
        s.ends()


def keys_walk_through_the_screens(display):
    with xs.session(display, INSTALLER, GOLDEN) as s:
        s.keys("Return")
        s.expect("license")
        for away, back in (("Down", "Up"), ("Next", "Prior"), ("End", "Home")):
            s.keys(away)
            check(s.changed_from(s.picture("license")), f"{away} scrolls")
            s.keys(back)
            s.expect("license")
        s.keys("shift+Tab", "space")  # Install, the last button
        s.expect("celebrate")
        s.keys("Return")  # Exit
        s.ends()


def wheel_scrolls_the_licence_under_the_pointer(display):
    with xs.session(display, INSTALLER, GOLDEN) as s:
        s.keys("Return")
        s.expect("license")
        s.xdotool("mousemove", "--window", s.window, 250, 160)
        time.sleep(0.2)
        license = s.picture("license")
        s.xdotool("click", "5")  # one notch toward the end
        scrolled = s.changed_from(license)
        left, right, top, bottom = PANEL

        def rows(rgb, first):
            return [rgb[(y * xs.WIDTH + left) * 3:(y * xs.WIDTH + right) * 3] for y in range(first, first + bottom - top)]

        check(scrolled and rows(scrolled, top) == rows(license, top + WHEEL_STEP), "the text moves up by a notch")
        s.xdotool("click", "4")
        s.rest()
        s.expect("license")


def high_dpi_draws_at_the_screen_scale(display):
    # The server forgets the root window's resources when its last client leaves: the keeper holds a connection.
    keeper = subprocess.Popen(["xprop", "-root", "-spy", "RESOURCE_MANAGER"], env=dict(os.environ, DISPLAY=display.name),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        set_dpi = ("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", "Xft.dpi:\t144\n")
        check(xs.until(lambda: display.run(*set_dpi) or "144" in display.run("xprop", "-root", "RESOURCE_MANAGER"), 10),
              "the X resources stay set")
        with xs.session(display, INSTALLER, GOLDEN, expected="start_scale150") as s:
            s.keys("Return")
            s.expect("license_scale150")
    finally:
        display.run("xprop", "-root", "-remove", "RESOURCE_MANAGER")
        keeper.kill()
        keeper.wait()


if __name__ == "__main__":
    with xs.Display() as display:
        sys.exit(xs.run_cases([tab_moves_a_focus_mark_of_its_own, keys_walk_through_the_screens,
                               wheel_scrolls_the_licence_under_the_pointer, high_dpi_draws_at_the_screen_scale], display))
