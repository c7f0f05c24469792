"""Drives the installer's window on an X display with real X input.

Used by scripts/run (a walk through every screen with screenshots) and by the
end-to-end test. Needs Xvfb (when there is no DISPLAY), xdotool and
ImageMagick's import; only the standard library otherwise.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time
import traceback
import zlib

WINDOW_TITLE = "Velliphon"
WIDTH, HEIGHT = 500, 350

# Where the buttons sit in the 500 x 350 window.
NEXT = (365, 309)        # also "Install", the right one of two buttons
LEFT_EXIT = (134, 309)   # "Exit" beside Next or Install
SINGLE = (250, 309)      # the one button of the install, cancelling and error screens
CELEBRATE_EXIT = (250, 322)
REST = (499, 349)        # hovers nothing


PR_SET_PDEATHSIG = 1


def ends_with_this_process():
    """A preexec_fn that has the child sent SIGTERM when this process dies,
    however it dies: a test killed at its timeout must not leave its X server
    behind."""
    parent = os.getpid()
    libc = ctypes.CDLL(None, use_errno=True)  # loaded before the fork

    def arm():
        libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
        # The parent may have gone before the signal was armed.
        if os.getppid() != parent:
            os._exit(1)
    return arm


class Display:
    """The current DISPLAY, or a private Xvfb started for as long as this lives."""

    def __init__(self):
        self._server = None
        self.name = os.environ.get("DISPLAY")
        if self.name:
            return
        read, write = os.pipe()
        # Without -noreset the server resets whenever its last client leaves,
        # and refuses whoever connects meanwhile: xdotool releasing the button
        # that has just closed the installer, or the next installer starting.
        self._server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=ends_with_this_process())
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    def env(self):
        return {"DISPLAY": self.name}

    def close(self):
        if self._server:
            self._server.terminate()
            self._server.wait()
            self._server = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def run_x(display, *args, check=True):
    env = dict(os.environ, DISPLAY=display.name)
    done = subprocess.run(list(args), env=env, capture_output=True, text=True)
    if check and done.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} ended with status {done.returncode}: {done.stderr.strip()}")
    return done.stdout


def written_so_far(stream):
    """What a process that may still run has written to the pipe until now."""
    if stream is None:
        return ""
    os.set_blocking(stream.fileno(), False)
    try:
        return (stream.read() or b"").decode(errors="replace")
    finally:
        os.set_blocking(stream.fileno(), True)


def find_window(display, process=None, timeout=120.0):
    """The installer's window. The limit is far beyond need: the sanitizer
    build shows its window within two seconds on an idle machine and within
    five on a busy one, at a fraction of a second of processor time."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        ids = run_x(display, "xdotool", "search", "--name", WINDOW_TITLE, check=False).split()
        if ids:
            return ids[0]
        if process is not None and process.poll() is not None:
            err = process.stderr.read().decode(errors="replace") if process.stderr else ""
            raise RuntimeError(f"the installer ended with status {process.returncode} before its window appeared: {err}")
        time.sleep(0.05)
    if process is None:
        raise RuntimeError("the installer's window did not appear")
    # A fatal error waits in a message window of its own: its text tells it
    # from a start-up that is merely slow.
    raise RuntimeError(f"the installer's window did not appear in {timeout:.0f} s; the installer has used "
                       f"{cpu_seconds(process.pid):.1f} s of processor time and written: "
                       f"{written_so_far(process.stderr)!r}")


def window_exists(display, window):
    return subprocess.run(["xdotool", "getwindowname", window], env=dict(os.environ, DISPLAY=display.name),
                          capture_output=True).returncode == 0


def click(display, window, point):
    x, y = point
    run_x(display, "xdotool", "mousemove", "--window", window, str(x), str(y))
    time.sleep(0.1)  # the UI core sees the pointer arrive before the press
    # Held like a person's click: the window samples the buttons once a frame.
    run_x(display, "xdotool", "mousedown", "1")
    time.sleep(0.3)
    run_x(display, "xdotool", "mouseup", "1")
    time.sleep(0.1)


def rest_pointer(display, window):
    run_x(display, "xdotool", "mousemove", "--window", window, *map(str, REST))
    time.sleep(0.2)


def shift_return(display):
    """Shift+Return as a person types it, each key held over several frames:
    the window samples the keys once an update, so a press and release
    within one update would go unseen."""
    run_x(display, "xdotool", "keydown", "shift")
    time.sleep(0.4)
    run_x(display, "xdotool", "keydown", "Return")
    time.sleep(0.3)
    run_x(display, "xdotool", "keyup", "Return")
    time.sleep(0.3)
    run_x(display, "xdotool", "keyup", "shift")
    time.sleep(0.2)


def save_screenshot(display, window, path):
    run_x(display, "import", "-window", window, path)


def window_rgb(display, window):
    """The window's pixels as RGB bytes, row by row; empty when it cannot be grabbed."""
    env = dict(os.environ, DISPLAY=display.name)
    # Empty while the window is not mapped yet.
    # ImageMagick asks for a window to be picked by a click when the id names
    # none any more (the installer has ended): never wait for that.
    try:
        return subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"], env=env,
                              capture_output=True, timeout=30).stdout
    except subprocess.TimeoutExpired:
        return b""


def png_rgb(path):
    """RGB bytes of an 8-bit RGB or RGBA PNG without interlacing."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width, height, channels = 8, b"", 0, 0, 0
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big")
            channels = {2: 3, 6: 4}[body[9]]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    pixels = b"".join(rows)
    if channels == 3:
        return pixels
    return bytes(b for i, b in enumerate(pixels) if i % 4 != 3)


def wait_for_screen(display, window, golden_path, timeout=20.0):
    """Waits until the window shows exactly the golden picture (pointer at rest)."""
    want = png_rgb(golden_path)
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if window_rgb(display, window) == want:
            return True
        time.sleep(0.1)
    return False


def click_through(display, window, point, golden_path, attempts=3):
    """Clicks until the window shows the golden picture: on a busy machine a
    frame can take longer than a click, and the window then misses it."""
    for _ in range(attempts):
        click(display, window, point)
        rest_pointer(display, window)
        if wait_for_screen(display, window, golden_path, timeout=5.0):
            return True
    return False


def full_pipe():
    """A pipe whose buffer is already full: whoever writes to it waits until
    the reader drains it. Returns (read end, write end, bytes of filler)."""
    read, write = os.pipe()
    os.set_blocking(write, False)
    filler = 0
    # Writes up to a page are all or nothing, so the last few bytes go singly.
    for chunk in (b"x" * 4096, b"x"):
        try:
            while True:
                filler += os.write(write, chunk)
        except BlockingIOError:
            pass
    os.set_blocking(write, True)
    return read, write, filler


def drain(read):
    """Everything written to the pipe until its last writer closes it."""
    output = b""
    while True:
        chunk = os.read(read, 65536)
        if not chunk:
            return output
        output += chunk


def read_until(read, marker):
    """Reads from the pipe until the marker has come through."""
    output = b""
    while marker not in output:
        chunk = os.read(read, 65536)
        if not chunk:
            break
        output += chunk
    return output


def click_away(display, window, point, golden_path, attempts=3):
    """Clicks until the window no longer shows the golden picture, for a
    button whose next screen is not known in advance."""
    left = png_rgb(golden_path)
    for _ in range(attempts):
        click(display, window, point)
        rest_pointer(display, window)
        end = time.monotonic() + 5.0
        while time.monotonic() < end:
            if window_rgb(display, window) not in (left, b""):
                return True
            time.sleep(0.05)
    return False


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def scratch_home():
    """A temporary home folder that an unprivileged user may write."""
    home = tempfile.mkdtemp(prefix="installer-home-")
    os.chmod(home, 0o777)
    return home


def sanitizer_options():
    """The options the installer runs with when it is a sanitizer build, set
    here whoever launches the test, so that its verdict never depends on it.

    Leak detection is off: this is the real executable against a real X
    server, and Mesa's driver runs threads of its own. Closing the window
    closes the last display connection and Mesa unloads its driver, leaving
    its one-time allocations unreachable, and LeakSanitizer's tracer can
    crash stopping the driver's threads at exit. Neither says anything about
    our code, whose leaks the in-process tests check with leak detection on.
    Memory errors and undefined behaviour still end the installer with a
    failing status, which every case checks."""
    def extended(name, defaults, required):
        given = os.environ.get(name, "")
        os.environ[name] = ":".join(part for part in (defaults, given, required) if part)
    extended("ASAN_OPTIONS", "", "detect_leaks=0")
    extended("UBSAN_OPTIONS", "print_stacktrace=1", "halt_on_error=1")


def run_cases(cases):
    """Runs each case with one shared X server, whatever the others do, and
    says how many passed; the exit status for the test runner."""
    sanitizer_options()
    passed = failed = 0
    with Display() as display:
        for case in cases:
            try:
                case(display)
                passed += 1
                print(f"ok   {case.__name__}")
            except Exception:
                failed += 1
                print(f"FAIL {case.__name__}")
                traceback.print_exc()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


def as_nobody(command):
    """The command run as the unprivileged user nobody when we are root."""
    if os.geteuid() != 0:
        return command
    return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"] + command


def start_installer(display, installer, home, stdout=subprocess.PIPE, extra_env=None):
    home = os.path.abspath(home)
    env = {"DISPLAY": display.name, "HOME": home, "PATH": os.environ.get("PATH", "/usr/bin:/bin")}
    # The sanitizers' options, and how the caller wants OpenGL reached (indirect
    # GLX exercises the plain presentation path).
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "LIBGL_ALWAYS_INDIRECT"):
        if name in os.environ:
            env[name] = os.environ[name]
    env.update(extra_env or {})
    return subprocess.Popen(as_nobody([os.path.abspath(installer)]), env=env, stdout=stdout, stderr=subprocess.PIPE, cwd=home)


def remove_home(home):
    shutil.rmtree(home, ignore_errors=True)
