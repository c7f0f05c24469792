"""The installer end to end: the real executable in an X session (Xvfb when there is no DISPLAY), real X input, run
as the unprivileged user nobody whose home is a temporary folder; driven by the mouse, the keyboard and the wheel,
and drawn at a higher scale.

usage: e2e_test.py INSTALLER CLOSE_WINDOW_HELPER BUNDLE_FOLDER GOLDEN_FOLDER
"""

import contextlib
import functools
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xsession as xs  # noqa: E402

INSTALLER, CLOSER, BUNDLE, GOLDEN = sys.argv[1:5]
FAILED = b"Failed to extract file: "
session = functools.partial(xs.session, installer=INSTALLER, golden=GOLDEN)


@contextlib.contextmanager
def held_job(display):  # the job fails on a file in the way and waits in its report to a full pipe until read
    read, write, filler = xs.full_pipe()
    try:
        with session(display, prepare=xs.in_the_way, stdout=write) as s:
            os.close(write)
            s.to_install()
            yield s, read, filler
    finally:
        os.close(read)


def installs_the_bundle_and_exits(display, env=None):
    with session(display, env=env) as s:
        s.to_install()
        s.expect("celebrate")
        xs.check_installed(os.path.join(s.home, ".vst3"), BUNDLE)
        s.click(xs.CELEBRATE_EXIT)
        s.ends()


def without_opengl_installs_the_bundle(display):
    installs_the_bundle_and_exits(display, {"LIBGL_ALWAYS_INDIRECT": "1"})  # indirect GLX, as over SSH: no GL 3.3


def closing_during_the_job_waits_for_it(display):
    with held_job(display) as (s, read, filler):
        time.sleep(0.5)
        assert s.process.poll() is None, "the job waits on its report"
        s.display.run(CLOSER, s.window)  # as by a window manager
        assert s.gone(), "the window goes at once"
        time.sleep(0.5)
        assert s.process.poll() is None, "the process stays while the job runs"
        assert FAILED in xs.read_until(read)[filler:], "the job's report"
        s.ends()


def cancelling_waits_for_the_job_then_moves_on(display):
    # Cancel comes too late to change the held job's outcome: the cancelling screen, without a button, stays until
    # the job ends and then gives way to the error by itself.
    with held_job(display) as (s, read, filler):
        s.expect("install_step3")
        s.click(xs.SINGLE)
        s.expect("cancelling")
        assert xs.read_until(read, FAILED)[filler:].startswith(FAILED), "the job's report"
        s.expect("error_unpack")
        s.click(xs.SINGLE)  # Exit
        s.ends()


def tab_moves_a_focus_mark_of_its_own(display):
    with session(display) as s:
        s.xdotool("mousemove", "--window", s.window, *xs.LEFT_EXIT)
        s.keys("Tab")  # two taps of one key, each pressed and released back to back
        s.keys("Tab")
        s.expect("focus_mark")  # Next focused, Exit hovered: both taps acted on
        s.keys("Escape")
        s.ends()


def keys_and_the_wheel_walk_through_the_screens(display):
    left, right, top, bottom = 20, 460, 45, 225  # licence text clear of frame, scroll bar and the notch

    def rows(rgb, first):
        return [rgb[(y * xs.WIDTH + left) * 3:(y * xs.WIDTH + right) * 3] for y in range(first, first + bottom - top)]

    with session(display) as s:
        s.keys("Return")
        s.expect("license")
        license = s.picture("license")
        for away, back in (("Down", "Up"), ("Next", "Prior"), ("End", "Home")):
            s.keys(away)
            assert s.changed_from(license), f"{away} scrolls"
            s.keys(back)
            s.expect("license")
        s.xdotool("mousemove", "--window", s.window, 250, 160)
        time.sleep(0.2)
        s.xdotool("click", "5")  # one notch toward the end, 60 pixels at scale 1
        scrolled = s.changed_from(license)
        assert scrolled and rows(scrolled, top) == rows(license, top + 60), "the text moves up by a notch"
        s.xdotool("click", "4")
        s.rest()
        s.expect("license")
        s.keys("shift+Tab", "space")  # Install, the last button
        s.expect("celebrate")
        s.keys("Return")  # Exit
        s.ends()


def high_dpi_draws_at_the_screen_scale(display):
    # The server forgets the root window's resources when its last client leaves: the keeper holds a connection.
    keeper = subprocess.Popen(["xprop", "-root", "-spy", "RESOURCE_MANAGER"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=dict(os.environ, DISPLAY=display.name))
    try:
        set_dpi = ("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", "Xft.dpi:\t144\n")
        assert xs.until(lambda: display.run(*set_dpi) or "144" in display.run("xprop", "-root", "RESOURCE_MANAGER"),
                        10), "the X resources stay set"
        with session(display, expected="start_scale150") as s:
            s.keys("Return")
            s.expect("license_scale150")
    finally:
        display.run("xprop", "-root", "-remove", "RESOURCE_MANAGER")
        keeper.kill()
        keeper.wait()


if __name__ == "__main__":
    with xs.Display() as display:
        sys.exit(xs.run_cases([installs_the_bundle_and_exits, closing_during_the_job_waits_for_it,
                               cancelling_waits_for_the_job_then_moves_on, without_opengl_installs_the_bundle,
                               tab_moves_a_focus_mark_of_its_own, keys_and_the_wheel_walk_through_the_screens,
                               high_dpi_draws_at_the_screen_scale], display))
