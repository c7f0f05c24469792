"""Drives the installer's window on an X display with real X input: the end-to-end tests under X and Wine,
scripts/run's walk through the screens and the window measurement. Needs Xvfb (when there is no DISPLAY), xdotool and
ImageMagick."""

import contextlib
import ctypes
import filecmp
import os
import shutil
import signal
import subprocess
import tempfile
import time
import traceback

TITLE, WIDTH, HEIGHT = "Velliphon", 500, 350
NEXT = (365, 309)  # also "Install", the right one of two buttons
LEFT_EXIT = (134, 309)  # "Exit" beside Next or Install
SINGLE = (250, 309)  # the one button of the install, cancelling and error screens
CELEBRATE_EXIT = (250, 322)
REST = (WIDTH - 1, HEIGHT - 1)  # hovers nothing


def until(condition, timeout, step=0.05):  # the condition's first true value within the timeout, else its last
    end = time.monotonic() + timeout
    while not (value := condition()) and time.monotonic() < end:
        time.sleep(step)
    return value


class Display:  # the current DISPLAY, or a private Xvfb for as long as this lives
    def __init__(self):
        self.name, self._server = os.environ.get("DISPLAY"), None
        if self.name:
            return
        read, write = os.pipe()
        parent, libc = os.getpid(), ctypes.CDLL(None)

        def dies_with_us():  # a test killed at its timeout must not leave its X server behind
            libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
            if os.getppid() != parent:
                os._exit(1)

        # Without -noreset the server resets whenever its last client leaves, and refuses whoever connects meanwhile:
        # xdotool releasing the button that has just closed the installer, or the next installer starting.
        self._server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=dies_with_us)
        os.close(write)
        with os.fdopen(read) as f:
            self.name = ":" + f.readline().strip()
        assert self.name != ":", "Xvfb did not start"

    def run(self, *args, check=True, text=True, timeout=None):
        done = subprocess.run([str(a) for a in args], env=dict(os.environ, DISPLAY=self.name), capture_output=True,
                              text=text, timeout=timeout)
        if check and done.returncode:
            raise RuntimeError(f"{args} ended with status {done.returncode}: {done.stderr}")
        return done.stdout

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self._server:
            self._server.terminate()
            self._server.wait()


class Installer:  # an installer process and its window, once that shows; screens are named as their golden pictures
    def __init__(self, display, command, golden, env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=None):
        self.display, self.golden, self.window = display, golden, None
        self.process = subprocess.Popen(command, env=dict(env, DISPLAY=display.name), stdout=stdout, stderr=stderr,
                                        cwd=cwd)
        find = ("xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$")
        ids = until(lambda: display.run(*find, check=False).split() or self.process.poll() is not None, 120)
        if not isinstance(ids, list):
            self.close()  # a fatal error waits in a message window of its own: its text tells it from a slow start
            err = self.process.stderr.read() if self.process.stderr else b""
            raise AssertionError(f"no window; the installer ended with status {self.process.returncode}: {err!r}")
        self.window = ids[0]
        self.rest()  # Wine learns where the pointer is only from events on its own windows

    def xdotool(self, *args, check=True):
        return self.display.run("xdotool", *args, check=check)

    def rest(self):
        self.xdotool("mousemove", "--window", self.window, *REST, check=False)  # the window may have gone

    def click(self, point):  # held like a person's click, after the pointer has arrived: buttons are read once a frame
        self.xdotool("mousemove", "--window", self.window, *point)
        for step in ("mousedown", "mouseup"):
            time.sleep(0.3)
            self.xdotool(step, "1")
        self.rest()
        time.sleep(0.2)

    def click_until(self, point, condition, what):  # on a busy machine a frame can take longer than a click
        assert any(self.click(point) or condition() for _ in range(3)), what

    def to_install(self):  # from the start screen through the licence to Install
        self.click_until(NEXT, lambda: self.shows("license", 5), "Next leads to the licence")
        license = self.picture("license")
        self.click_until(NEXT, lambda: self.changed_from(license, 5), "Install leaves the licence")

    def keys(self, *names):  # each pressed and released, all back to back
        self.xdotool("key", "--delay", "0", *names)

    def rgb(self):  # the window's pixels, row by row; empty while it cannot be grabbed
        # ImageMagick asks for a window to be picked by a click when the id names none any more: never wait for that.
        with contextlib.suppress(subprocess.TimeoutExpired):
            return self.display.run("/usr/bin/import", "-silent", "-window", self.window, "-depth", "8", "rgb:-",
                                    check=False, text=False, timeout=30)
        return b""

    def picture(self, name):
        return self.display.run("/usr/bin/convert", os.path.join(self.golden, name + ".png"), "-depth", "8", "rgb:-",
                                text=False)

    def shows(self, name, timeout=20.0):
        want = self.picture(name)
        return until(lambda: self.rgb() == want, timeout)

    def expect(self, name, timeout=20.0):
        ended = self.process.poll() is not None and f"; the installer ended with status {self.process.returncode}"
        assert self.shows(name, timeout), f"the {name} screen{ended or ''}"

    def changed_from(self, before, timeout=20.0):  # the pixels once they differ, after the frame under way
        if until(lambda: self.rgb() not in (before, b""), timeout):
            time.sleep(0.2)
            return self.rgb()

    def gone(self):
        return not self.window or until(lambda: not self.xdotool("getwindowname", self.window, check=False), 10)

    def ends(self, timeout=20.0):  # the console output, once the installer has ended with status 0 and its window gone
        out, err = self.process.communicate(timeout=timeout)
        assert self.process.returncode == 0, f"exit status {self.process.returncode}: {err!r}"
        self.gone()
        return (out or b"").decode(errors="replace")

    def close(self):
        self.process.kill()  # nothing when it has ended
        self.process.wait()
        self.gone()


def start(display, installer, golden, home, stdout=subprocess.PIPE, env=None):
    """The installer as nobody (when we are root) in `home`. Leaks go unreported (Mesa leaves memory unreachable and
    can crash LeakSanitizer's tracer; in-process tests check ours); memory errors and undefined behaviour do not."""
    given = {k: os.environ[k] for k in ("PATH", "LSAN_OPTIONS", "LIBGL_ALWAYS_INDIRECT") if k in os.environ}
    given["ASAN_OPTIONS"] = ":".join(filter(None, (os.environ.get("ASAN_OPTIONS"), "detect_leaks=0")))
    given["UBSAN_OPTIONS"] = ":".join(filter(None, ("print_stacktrace=1", os.environ.get("UBSAN_OPTIONS"),
                                                    "halt_on_error=1")))
    command = [os.path.abspath(installer)]
    if os.geteuid() == 0:
        command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"] + command
    s = Installer(display, command, golden, dict(given, HOME=os.path.abspath(home), **(env or {})), stdout, cwd=home)
    s.home = home
    return s


def scratch_home():  # a temporary home folder that nobody may write
    home = tempfile.mkdtemp(prefix="installer-home-")
    os.chmod(home, 0o777)
    return home


def in_the_way(home):  # a file where the bundle goes: the job fails and says so on the console
    os.makedirs(os.path.join(home, ".vst3"), 0o777, exist_ok=True)
    os.chmod(os.path.join(home, ".vst3"), 0o777)  # whatever the umask
    with open(os.path.join(home, ".vst3", "Velliphon.vst3"), "w") as f:
        f.write("in the way")


@contextlib.contextmanager
def session(display, installer, golden, prepare=None, expected="start", **start_args):
    """The installer in a scratch home (`prepare` readies it) showing its first screen; cleared away on leaving."""
    home, s = scratch_home(), None
    try:
        if prepare:
            prepare(home)
        s = start(display, installer, golden, home, **start_args)
        s.expect(expected)
        yield s
    finally:
        if s:
            s.close()
        shutil.rmtree(home, ignore_errors=True)


def check_installed(installed, bundle):  # the installed tree holds the bundle's seven entries, its files byte for byte
    found = {os.path.relpath(os.path.join(d, n), installed) for d, ds, fs in os.walk(installed) for n in ds + fs}
    assert len(found) == 7, f"installed {sorted(found)}"
    for rel in found:
        path = os.path.join(bundle, rel)
        assert os.path.isdir(path) or filecmp.cmp(path, os.path.join(installed, rel), shallow=False), rel + " differs"


def full_pipe():  # a full pipe, where a writer waits until the reader drains it: (read end, write end, bytes of filler)
    read, write = os.pipe()
    os.set_blocking(write, False)
    filler = 0
    for chunk in (b"x" * 4096, b"x"):  # writes up to a page are all or nothing: the last bytes go singly
        with contextlib.suppress(BlockingIOError):
            while True:
                filler += os.write(write, chunk)
    os.set_blocking(write, True)
    return read, write, filler


def read_until(read, marker=None):  # what comes through the pipe until the marker, or until its last writer closes it
    output = b""
    while (chunk := os.read(read, 65536)) and (marker is None or marker not in output + chunk):
        output += chunk
    return output + chunk


def run_cases(cases, *args):  # each case, whatever the others do; the exit status for the test runner
    failed = 0
    for case in cases:
        began = time.monotonic()
        try:
            case(*args)
            print(f"ok   {case.__name__} ({time.monotonic() - began:.1f} s)")
        except Exception:
            failed += 1
            print(f"FAIL {case.__name__}")
            traceback.print_exc()
    print(f"{len(cases) - failed} passed, {failed} failed")
    return 1 if failed else 0
