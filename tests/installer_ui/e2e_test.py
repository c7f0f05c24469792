"""The installer end to end: the real executable in an X session (Xvfb when
there is no DISPLAY), real X input, run as the unprivileged user nobody whose
home is a temporary folder.

usage: e2e_test.py INSTALLER CLOSE_WINDOW_HELPER BUNDLE_FOLDER GOLDEN_FOLDER
"""

import filecmp
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "installer"))
import xsession as xs  # noqa: E402

INSTALLER, CLOSER, BUNDLE, GOLDEN = sys.argv[1:5]
ENTRIES = [
    "Velliphon.vst3/",
    "Velliphon.vst3/Contents/",
    "Velliphon.vst3/Contents/moduleinfo.json",
    "Velliphon.vst3/Contents/x86_64-win/",
    "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3",
    "Velliphon.vst3/desktop.ini",
    "Velliphon.vst3/PlugIn.ico",
]


def golden(name):
    return os.path.join(GOLDEN, name + ".png")


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def show(display, window, name):
    xs.rest_pointer(display, window)
    expect(xs.wait_for_screen(display, window, golden(name)), f"the {name} screen")


def finish(process, timeout=20):
    out, err = process.communicate(timeout=timeout)
    return process.returncode, out.decode(errors="replace"), err.decode(errors="replace")


class Session:
    """One installer run with its own home folder."""

    def __init__(self, display, stdout=None, extra_env=None):
        self.display = display
        self.extra_env = extra_env
        self.home = xs.scratch_home()
        self.vst3 = os.path.join(self.home, ".vst3")
        self.process = None
        self._stdout = stdout

    def start(self):
        import subprocess
        self.process = xs.start_installer(self.display, INSTALLER, self.home,
                                          stdout=self._stdout if self._stdout is not None else subprocess.PIPE,
                                          extra_env=self.extra_env)
        self.window = xs.find_window(self.display, self.process)
        show(self.display, self.window, "start")
        return self

    def to_install(self):
        expect(xs.click_through(self.display, self.window, xs.NEXT, golden("license")), "the license screen")
        expect(xs.click_away(self.display, self.window, xs.NEXT, golden("license")), "Install leaves the licence")

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        xs.remove_home(self.home)


# Indirect GLX, as over SSH X forwarding, offers no OpenGL 3.3 context.
WITHOUT_OPENGL = {"LIBGL_ALWAYS_INDIRECT": "1"}


def installs_the_bundle_and_exits(display, extra_env=None):
    s = Session(display, extra_env=extra_env).start()
    try:
        s.to_install()
        show(display, s.window, "celebrate")
        for entry in ENTRIES:
            path = os.path.join(s.vst3, entry)
            if entry.endswith("/"):
                expect(os.path.isdir(path), f"folder {entry}")
            else:
                expect(filecmp.cmp(path, os.path.join(BUNDLE, entry), shallow=False), f"{entry} byte for byte")
        found = sorted(os.path.relpath(os.path.join(d, n), s.vst3) for d, dirs, files in os.walk(s.vst3)
                       for n in dirs + files)
        expect(len(found) == 7, f"seven entries, found {found}")
        xs.click(display, s.window, xs.CELEBRATE_EXIT)
        status, _, err = finish(s.process)
        expect(status == 0, f"exit status {status}: {err}")
    finally:
        s.close()


def a_file_in_the_way_shows_the_error(display, extra_env=None):
    s = Session(display, extra_env=extra_env)
    os.makedirs(s.vst3)
    with open(os.path.join(s.vst3, "Velliphon.vst3"), "w") as f:
        f.write("in the way")
    os.chmod(s.vst3, 0o777)
    s.start()
    try:
        s.to_install()
        show(display, s.window, "error_unpack")
        xs.click(display, s.window, xs.SINGLE)
        status, out, err = finish(s.process)
        expect(status == 0, f"exit status {status}: {err}")
        expect(out.startswith("Failed to extract file: "), f"console line {out!r}")
    finally:
        s.close()


def without_opengl_installs_the_bundle(display):
    installs_the_bundle_and_exits(display, WITHOUT_OPENGL)


def without_opengl_shows_the_error(display):
    a_file_in_the_way_shows_the_error(display, WITHOUT_OPENGL)


def closing_during_the_job_waits_for_it(display):
    # The job's failure report goes to a full pipe, so the job waits there
    # until the test reads: the window can be closed while the job runs.
    read, write, filler = xs.full_pipe()
    s = Session(display, stdout=write)
    os.makedirs(s.vst3)
    with open(os.path.join(s.vst3, "Velliphon.vst3"), "w") as f:
        f.write("in the way")
    s.start()
    os.close(write)
    try:
        s.to_install()
        time.sleep(0.5)
        expect(s.process.poll() is None, "the job waits on its report")
        xs.run_x(display, CLOSER, s.window)
        end = time.monotonic() + 10
        while xs.window_exists(display, s.window) and time.monotonic() < end:
            time.sleep(0.05)
        expect(not xs.window_exists(display, s.window), "the window goes at once")
        time.sleep(0.5)
        expect(s.process.poll() is None, "the process stays while the job runs")
        output = xs.drain(read)
        s.process.wait(timeout=20)
        expect(s.process.returncode == 0, f"exit status {s.process.returncode}")
        expect(b"Failed to extract file: " in output[filler:], "the job's report")
    finally:
        os.close(read)
        s.close()


def cancelling_waits_for_the_job_then_moves_on(display):
    # The job is held in its failure report, as above: Cancel comes too late
    # to change its outcome, so the cancelling screen, without a button,
    # stays until the job ends and then gives way to the error by itself.
    read, write, _ = xs.full_pipe()
    s = Session(display, stdout=write)
    os.makedirs(s.vst3)
    with open(os.path.join(s.vst3, "Velliphon.vst3"), "w") as f:
        f.write("in the way")
    os.chmod(s.vst3, 0o777)
    s.start()
    os.close(write)
    try:
        s.to_install()
        show(display, s.window, "install_step3")
        xs.click(display, s.window, xs.SINGLE)
        show(display, s.window, "cancelling")
        xs.read_until(read, b"Failed to extract file")
        show(display, s.window, "error_unpack")
        # Closed rather than Exit: Exit ends the process while the button is
        # still held, and the click's release can then fail.
        xs.run_x(display, CLOSER, s.window)
        expect(s.process.wait(timeout=20) == 0, f"exit status {s.process.returncode}")
    finally:
        os.close(read)
        s.close()


def closing_after_cancel_ends_promptly(display):
    s = Session(display).start()
    try:
        s.to_install()
        xs.click(display, s.window, xs.SINGLE)  # Cancel, if the job is still running
        xs.run_x(display, CLOSER, s.window)
        status, _, err = finish(s.process, timeout=10)
        expect(status == 0, f"exit status {status}: {err}")
    finally:
        s.close()


def shift_return_toggles_the_debug_dialog(display):
    s = Session(display).start()
    try:
        start = xs.png_rgb(golden("start"))
        xs.shift_return(display)
        time.sleep(0.3)
        expect(xs.window_rgb(display, s.window) != start, "the dialog shows")
        xs.shift_return(display)
        expect(xs.wait_for_screen(display, s.window, golden("start"), timeout=10), "the dialog hides again")
        xs.click(display, s.window, xs.LEFT_EXIT)
        status, _, err = finish(s.process)
        expect(status == 0, f"exit status {status}: {err}")
    finally:
        s.close()


def main():
    cases = [installs_the_bundle_and_exits, a_file_in_the_way_shows_the_error,
             closing_during_the_job_waits_for_it, cancelling_waits_for_the_job_then_moves_on,
             closing_after_cancel_ends_promptly,
             shift_return_toggles_the_debug_dialog, without_opengl_installs_the_bundle,
             without_opengl_shows_the_error]
    return xs.run_cases(cases)


if __name__ == "__main__":
    sys.exit(main())
