"""Measures the real installer window under X (Xvfb when there is no display):
the time from start to the first frame on screen, the time from a quick click
(press and release back to back) on Next to the licence screen on screen, and
the CPU the process uses while it idles on the licence screen for ten seconds.

usage: window_measure.py INSTALLER GOLDEN_FOLDER
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "installer"))
import xsession as xs  # noqa: E402


def main():
    installer, golden = sys.argv[1:3]
    start_picture = xs.png_rgb(os.path.join(golden, "start.png"))
    with xs.Display() as display:
        home = xs.scratch_home()
        began = time.monotonic()
        process = xs.start_installer(display, installer, home)
        try:
            window = xs.find_window(display, process)
            mapped = time.monotonic() - began
            # The pointer is outside the window, so the first frame is the golden one.
            while xs.window_rgb(display, window) != start_picture:
                time.sleep(0.005)
            shown = time.monotonic() - began
            print(f"window created after {mapped * 1000:.0f} ms, first frame on screen after "
                  f"{shown * 1000:.0f} ms (screenshot polling adds up to one grab)")

            # A click as quick as X allows, press and release back to back, after
            # the pointer has rested on Next; timed until the picture changes,
            # which is the licence screen with the pointer over Install.
            xs.run_x(display, "xdotool", "mousemove", "--window", window, *map(str, xs.NEXT))
            time.sleep(0.5)
            hovered = xs.window_rgb(display, window)
            grab_began = time.monotonic()
            xs.window_rgb(display, window)
            grab = time.monotonic() - grab_began
            clicked = time.monotonic()
            xs.run_x(display, "xdotool", "click", "1")
            changed = None
            while changed is None and time.monotonic() - clicked < 5:
                if xs.window_rgb(display, window) != hovered:
                    changed = time.monotonic() - clicked
            xs.rest_pointer(display, window)
            if changed is not None and xs.wait_for_screen(display, window, os.path.join(golden, "license.png")):
                print(f"quick click to the next screen on screen: {changed * 1000:.0f} ms "
                      f"(one screenshot takes {grab * 1000:.0f} ms)")
            else:
                print("quick click to the next screen: not acted on within 5 s")
                if not xs.click_through(display, window, xs.NEXT, os.path.join(golden, "license.png")):
                    raise RuntimeError("no licence screen")
            time.sleep(1)
            cpu0, wall0 = xs.cpu_seconds(process.pid), time.monotonic()
            time.sleep(10)
            cpu1, wall1 = xs.cpu_seconds(process.pid), time.monotonic()
            print(f"idle on the licence screen: {cpu1 - cpu0:.2f} s CPU in {wall1 - wall0:.1f} s "
                  f"({100 * (cpu1 - cpu0) / (wall1 - wall0):.0f}% of one core)")
        finally:
            process.kill()
            process.wait()
            xs.remove_home(home)


if __name__ == "__main__":
    main()
