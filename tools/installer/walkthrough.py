"""Walks the installer through start, licence, installation and celebration
with real X input on a private Xvfb display, saving a screenshot of every
screen. Used by scripts/run on a machine without a display.

usage: walkthrough.py INSTALLER GOLDEN_FOLDER OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests"))
import xsession as xs  # noqa: E402


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
        s = xs.start(self.display, self.installer, self.golden, home, stdout=stdout)
        s.expect("start")
        return s

    def shot(self, s, name):
        self.count += 1
        path = os.path.join(self.out, f"{self.count:02d}-{name}.png")
        self.display.run("import", "-window", s.window, path)
        print(f"  {path}")


def main():
    installer, golden, out = (os.path.abspath(a) for a in sys.argv[1:4])
    os.makedirs(out, exist_ok=True)
    os.environ.pop("DISPLAY", None)
    with xs.Display() as display:
        walk = Walk(display, installer, golden, out)
        home = walk.home("home")
        print(f"Xvfb on {display.name}; the installer runs with HOME={home}")
        s = walk.start(home)
        try:
            walk.shot(s, "start")
            s.click_until(xs.NEXT, lambda: s.shows("license", 5), "Next leads to the licence")
            walk.shot(s, "license")
            s.click_until(xs.NEXT, lambda: s.changed_from(s.picture("license"), 5), "Install leaves the licence")
            s.expect("celebrate")
            walk.shot(s, "celebration")
            s.click(xs.CELEBRATE_EXIT)
            status = s.process.wait(timeout=20)
            print(f"installer exited with status {status}; installed into {os.path.join(home, '.vst3')}")
        finally:
            s.close()

        # The job takes a few milliseconds only. To show its screen, a second
        # run meets a file in the bundle's place and reports that to a full
        # pipe, which holds the job at its last step until the pipe is read.
        held = walk.home("held-home")
        xs.in_the_way(held)
        read, write, _ = xs.full_pipe()
        s = walk.start(held, stdout=write)
        os.close(write)
        try:
            s.to_install()
            s.expect("install_step3")
            walk.shot(s, "install")
            xs.read_until(read, b"Failed to extract file")
            s.expect("error_unpack")
            walk.shot(s, "error")
            s.click(xs.SINGLE)
            s.process.wait(timeout=20)
        finally:
            os.close(read)
            s.close()
        return status


if __name__ == "__main__":
    sys.exit(main())
