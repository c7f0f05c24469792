"""The installer end to end: the real executable in an X session (Xvfb when there is no DISPLAY), real X input, run
as the unprivileged user nobody whose home is a temporary folder.

usage: e2e_test.py INSTALLER CLOSE_WINDOW_HELPER BUNDLE_FOLDER GOLDEN_FOLDER
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xsession as xs  # noqa: E402
from xsession import check  # noqa: E402

INSTALLER, CLOSER, BUNDLE, GOLDEN = sys.argv[1:5]
WITHOUT_OPENGL = {"LIBGL_ALWAYS_INDIRECT": "1"}  # indirect GLX, as over SSH, offers no OpenGL 3.3 context
FAILED = b"Failed to extract file: "


def session(display, **args):
    return xs.session(display, INSTALLER, GOLDEN, **args)


def close_window(s):
    """Closed as by a window manager: Exit would end the process while its button is held, failing the release."""
    s.display.run(CLOSER, s.window)


def installs_the_bundle_and_exits(display, env=None):
    with session(display, env=env) as s:
        s.to_install()
        s.expect("celebrate")
        xs.check_installed(os.path.join(s.home, ".vst3"), BUNDLE)
        s.click(xs.CELEBRATE_EXIT)
        s.ends()


def a_file_in_the_way_shows_the_error(display, env=None):
    with session(display, prepare=xs.in_the_way, env=env) as s:
        s.to_install()
        s.expect("error_unpack")
        s.click(xs.SINGLE)
        out = s.ends()
        check(out.startswith(FAILED.decode()), f"console line {out!r}")


def without_opengl_installs_the_bundle(display):
    installs_the_bundle_and_exits(display, WITHOUT_OPENGL)


def without_opengl_shows_the_error(display):
    a_file_in_the_way_shows_the_error(display, WITHOUT_OPENGL)


def closing_during_the_job_waits_for_it(display):
    # The job's failure report goes to a full pipe, so the job waits there until the test reads: the window can be
    # closed while the job runs.
    read, write, filler = xs.full_pipe()
    try:
        with session(display, prepare=xs.in_the_way, stdout=write) as s:
            os.close(write)
            s.to_install()
            time.sleep(0.5)
            check(s.process.poll() is None, "the job waits on its report")
            close_window(s)
            check(s.gone(), "the window goes at once")
            time.sleep(0.5)
            check(s.process.poll() is None, "the process stays while the job runs")
            check(FAILED in xs.read_until(read)[filler:], "the job's report")
            s.ends()
    finally:
        os.close(read)


def cancelling_waits_for_the_job_then_moves_on(display):
    # The job is held in its failure report, as above: Cancel comes too late to change its outcome, so the cancelling
    # screen, without a button, stays until the job ends and then gives way to the error by itself.
    read, write, _ = xs.full_pipe()
    try:
        with session(display, prepare=xs.in_the_way, stdout=write) as s:
            os.close(write)
            s.to_install()
            s.expect("install_step3")
            s.click(xs.SINGLE)
            s.expect("cancelling")
            xs.read_until(read, FAILED)
            s.expect("error_unpack")
            close_window(s)
            s.ends()
    finally:
        os.close(read)


def closing_after_cancel_ends_promptly(display):
    with session(display) as s:
        s.to_install()
        s.click(xs.SINGLE)  # Cancel, if the job is still running
        close_window(s)
        s.ends(timeout=10)


def shift_return_toggles_the_debug_dialog(display):
    with session(display) as s:
        s.chord("shift", "Return")
        check(s.changed_from(s.picture("start"), 10), "the dialog shows")
        s.chord("shift", "Return")
        s.expect("start", 10)
        s.click(xs.LEFT_EXIT)
        s.ends()


if __name__ == "__main__":
    with xs.Display() as display:
        sys.exit(xs.run_cases([installs_the_bundle_and_exits, a_file_in_the_way_shows_the_error,
                               closing_during_the_job_waits_for_it, cancelling_waits_for_the_job_then_moves_on,
                               closing_after_cancel_ends_promptly, shift_return_toggles_the_debug_dialog,
                               without_opengl_installs_the_bundle, without_opengl_shows_the_error], display))
