"""Walks the installer through start, licence, installation and celebration
with real X input on a private Xvfb display, saving a screenshot of every
screen. Used by scripts/run on a machine without a display.

usage: walkthrough.py INSTALLER GOLDEN_FOLDER OUTPUT_FOLDER
"""

import os
import subprocess
import sys
import time

import xsession as xs


class Walk:
    def __init__(self, display, installer, golden, out):
        self.display, self.installer, self.golden, self.out = display, installer, golden, out
        self.count = 0

    def home(self, name):
        home = os.path.join(self.out, name)
        os.makedirs(home, exist_ok=True)
        os.chmod(home, 0o777)
        return home

    def start(self, home, stdout=None):
        process = xs.start_installer(self.display, self.installer, home, stdout=stdout)
        window = xs.find_window(self.display, process)
        xs.rest_pointer(self.display, window)
        self.expect(window, "start")
        return process, window

    def expect(self, window, name):
        if not xs.wait_for_screen(self.display, window, os.path.join(self.golden, name + ".png")):
            raise RuntimeError(f"the {name} screen did not appear")

    def to_license(self, window):
        if not xs.click_through(self.display, window, xs.NEXT, os.path.join(self.golden, "license.png")):
            raise RuntimeError("Next did not lead to the licence")

    def install(self, window):
        if not xs.click_away(self.display, window, xs.NEXT, os.path.join(self.golden, "license.png")):
            raise RuntimeError("Install did not leave the licence")

    def shot(self, window, name):
        self.count += 1
        path = os.path.join(self.out, f"{self.count:02d}-{name}.png")
        xs.save_screenshot(self.display, window, path)
        print(f"  {path}")


def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait()


def main():
    installer, golden, out = (os.path.abspath(a) for a in sys.argv[1:4])
    os.makedirs(out, exist_ok=True)
    os.environ.pop("DISPLAY", None)
    with xs.Display() as display:
        walk = Walk(display, installer, golden, out)
        home = walk.home("home")
        print(f"Xvfb on {display.name}; the installer runs with HOME={home}")
        process, window = walk.start(home)
        try:
            walk.shot(window, "start")
            walk.to_license(window)
            walk.shot(window, "license")
            walk.install(window)
            walk.expect(window, "celebrate")
            walk.shot(window, "celebration")
            xs.click(display, window, xs.CELEBRATE_EXIT)
            status = process.wait(timeout=20)
            print(f"installer exited with status {status}; installed into {os.path.join(home, '.vst3')}")
        finally:
            stop(process)

        # The job takes a few milliseconds only. To show its screen, a second
        # run meets a file in the bundle's place and reports that to a full
        # pipe, which holds the job at its last step until the pipe is read.
        held = walk.home("held-home")
        os.makedirs(os.path.join(held, ".vst3"), exist_ok=True)
        with open(os.path.join(held, ".vst3", "Velliphon.vst3"), "w") as f:
            f.write("in the way")
        os.chmod(os.path.join(held, ".vst3"), 0o777)
        read, write, _ = xs.full_pipe()
        process, window = walk.start(held, stdout=write)
        os.close(write)
        try:
            walk.to_license(window)
            walk.install(window)
            walk.expect(window, "install_step3")
            walk.shot(window, "install")
            xs.read_until(read, b"Failed to extract file")
            walk.expect(window, "error_unpack")
            walk.shot(window, "error")
            xs.click(display, window, xs.SINGLE)
            process.wait(timeout=20)
        finally:
            os.close(read)
            stop(process)
        return status


if __name__ == "__main__":
    sys.exit(main())
