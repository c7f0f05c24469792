// How long installers take from start to their first frame on screen, runs of
// the given executables alternating on one private Xvfb, so that builds can
// be compared back to back. The first frame is seen by reading one pixel of
// the window's plain background, which is far quicker than a screenshot.
//
// usage: first_frame RUNS INSTALLER...

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "median.h"
#include "xvfb_server.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int windowWidth = 500;
constexpr int windowHeight = 350;
// A pixel of the start screen's background, away from any text or control.
constexpr int probeX = 20;
constexpr int probeY = 150;
constexpr double limitSeconds = 20;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The installer's window once the server shows it, else 0.
Window viewableWindow(Display* x) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable && a.width == windowWidth &&
                a.height == windowHeight)
                found = children[i];
        }
        XFree(children);
    }
    return found;
}

long pixel(Display* x, Window window) {
    XImage* image = XGetImage(x, window, probeX, probeY, 1, 1, AllPlanes, ZPixmap);
    if (!image) return -1;
    long value = (long)(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return value;
}

int ignoreError(Display*, XErrorEvent*) { return 0; }

struct Run {
    double mapped = -1, shown = -1;
};

// Starts the installer with a home and settings of its own; reports when its
// window is viewable and when the probed pixel first reads `background`, or
// (background < 0) the pixel it reads after a settled while.
Run runOnce(Display* x, const std::string& installer, long* background) {
    char folder[] = "/tmp/first_frame_XXXXXX";
    if (!mkdtemp(folder)) return {};
    Run run;
    const Clock::time_point began = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", folder, 1);
        setenv("XDG_CONFIG_HOME", folder, 1);
        execl(installer.c_str(), installer.c_str(), (char*)nullptr);
        _exit(127);
    }
    Window window = 0;
    while (!window && msSince(began) < limitSeconds * 1000) {
        window = viewableWindow(x);
        if (!window) usleep(200);
    }
    if (window) {
        run.mapped = msSince(began);
        if (*background < 0) {
            usleep(3000000);
            *background = pixel(x, window);
        }
        while (msSince(began) < limitSeconds * 1000) {
            if (pixel(x, window) == *background) {
                run.shown = msSince(began);
                break;
            }
            usleep(200);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // The window's destruction must be through before the next run looks.
    while (viewableWindow(x)) usleep(1000);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: first_frame RUNS INSTALLER...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::vector<std::string> installers(argv + 2, argv + argc);
    XvfbServer server;
    Display* x = server.display().empty() ? nullptr : XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "no X server\n");
        return 1;
    }
    // Windows vanish between the query and the look at them.
    XSetErrorHandler(ignoreError);

    long background = -1;
    runOnce(x, installers.front(), &background);  // learns the pixel, warms the file cache
    if (background <= 0) {
        std::fprintf(stderr, "the start screen's background could not be read\n");
        return 1;
    }
    std::vector<std::vector<double>> mapped(installers.size()), shown(installers.size());
    for (int i = 0; i < runs; ++i)
        for (size_t which = 0; which < installers.size(); ++which) {
            const Run run = runOnce(x, installers[which], &background);
            if (run.shown < 0) {
                std::fprintf(stderr, "%s: no first frame within %.0f s\n", installers[which].c_str(), limitSeconds);
                return 1;
            }
            mapped[which].push_back(run.mapped);
            shown[which].push_back(run.shown);
        }
    for (size_t which = 0; which < installers.size(); ++which)
        std::printf("%s: window viewable after %.1f ms, first frame after %.1f ms (median of %d; max %.1f ms)\n",
                    installers[which].c_str(), median(mapped[which]), median(shown[which]), runs,
                    *std::max_element(shown[which].begin(), shown[which].end()));
    XCloseDisplay(x);
    return 0;
}
