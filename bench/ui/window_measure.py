"""Measures the real installer window under X (Xvfb when there is no display):
the time from start to the first frame on screen, the time from a quick click
(press and release back to back) on Next to the licence screen on screen, and
the CPU the process uses while it idles on the licence screen for ten seconds.

usage: window_measure.py INSTALLER GOLDEN_FOLDER
"""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests"))
import xsession as xs  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    installer, golden = sys.argv[1:3]
    with xs.Display() as display:
        home = xs.scratch_home()
        start_picture = display.run("/usr/bin/convert", os.path.join(golden, "start.png"), "-depth", "8", "rgb:-",
                                    text=False)
        began = time.monotonic()
        s = xs.start(display, installer, golden, home)
        process, window = s.process, s.window
        try:
            mapped = time.monotonic() - began
            # The pointer rests on nothing, so the first frame is the golden one.
            while s.rgb() != start_picture:
                time.sleep(0.005)
            shown = time.monotonic() - began
            print(f"window created after {mapped * 1000:.0f} ms, first frame on screen after "
                  f"{shown * 1000:.0f} ms (screenshot polling adds up to one grab)")

            # A click as quick as X allows, press and release back to back, after
            # the pointer has rested on Next; timed until the picture changes,
            # which is the licence screen with the pointer over Install.
            display.run("xdotool", "mousemove", "--window", window, *map(str, xs.NEXT))
            time.sleep(0.5)
            hovered = s.rgb()
            grab_began = time.monotonic()
            s.rgb()
            grab = time.monotonic() - grab_began
            clicked = time.monotonic()
            display.run("xdotool", "click", "1")
            changed = None
            while changed is None and time.monotonic() - clicked < 5:
                if s.rgb() != hovered:
                    changed = time.monotonic() - clicked
            s.rest()
            if changed is not None and s.shows("license"):
                print(f"quick click to the next screen on screen: {changed * 1000:.0f} ms "
                      f"(one screenshot takes {grab * 1000:.0f} ms)")
            else:
                print("quick click to the next screen: not acted on within 5 s")
                s.click_until(xs.NEXT, lambda: s.shows("license", 5), "no licence screen")
            time.sleep(1)
            cpu0, wall0 = cpu_seconds(process.pid), time.monotonic()
            time.sleep(10)
            cpu1, wall1 = cpu_seconds(process.pid), time.monotonic()
            print(f"idle on the licence screen: {cpu1 - cpu0:.2f} s CPU in {wall1 - wall0:.1f} s "
                  f"({100 * (cpu1 - cpu0) / (wall1 - wall0):.0f}% of one core)")
        finally:
            s.close()
            shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
