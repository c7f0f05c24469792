// How long a quick click on Next takes to reach the screen: the installer's
// own window and screens run in this process on a private Xvfb, the pointer
// rests on Next, and a press and release go out back to back through XTest at
// a random moment of the frame. Timed from just before the press until one
// pixel read back from the server shows the licence screen; frames are
// counted through the window's own records. No screenshot slows the reading.
//
// usage: click_latency [REPETITIONS]

// Xlib's Font would clash with the UI's own.
#define Font XFont
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#undef Font
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "appview.h"
#include "program.h"
#include "shared/assets.h"
#include "surf/surf_window.h"
#include "surf/window_internal.h"
#include "ui/app.h"
#include "ui/debugdialog.h"
#include "median.h"
#include "xvfb_server.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int windowWidth = 500;
constexpr int windowHeight = 350;
// Next, in client pixels of the window at scale 1.
constexpr int nextX = 365;
constexpr int nextY = 309;
// Far more frames than any wait here should need, even on a loaded machine.
constexpr int frameLimit = 600;

struct Sample {
    double ms;
    int frames;         // frames begun after the click, the licence frame included
    unsigned presents;  // presents after the click, the licence frame's included
};

template <class Condition>
bool renderUntil(AppWindow& window, Condition done) {
    for (int frame = 0; frame < frameLimit; ++frame) {
        window.render();
        if (done()) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    // The clicks go out from a thread of their own, on a connection of their own.
    XInitThreads();
    XvfbServer server;
    if (server.display().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    // The window's remembered placement goes to a folder of its own.
    char folder[] = "/tmp/click_latency_XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", folder, 1);
    Display* x = XOpenDisplay(nullptr);
    Display* clicker = XOpenDisplay(nullptr);
    if (!x || !clicker) {
        std::fprintf(stderr, "no connection to %s\n", server.display().c_str());
        return 1;
    }

    int status = 0;
    {
        const UIIconSet icons(EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                              EMBEDDED_ASSET(icon_expanded));
        debugDialog.setFont(labelFont);
        AppView view(props.getString("heading", ""));
        AppWindow window(windowWidth, windowHeight, props.getString("title", ""), SURF_RESIZE, icons, view);
        Surf* surf = window.win.surfHandle();
        const Window xwindow = (Window)surf->handle;
        const SurfInternal* internal = surfInternal(surf);

        const bool focused = renderUntil(window, [&] {
            Window focus;
            int revert;
            XGetInputFocus(x, &focus, &revert);
            return focus == xwindow;
        });
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(x, xwindow, DefaultRootWindow(x), 0, 0, &rootX, &rootY, &child);
        XTestFakeMotionEvent(x, DefaultScreen(x), rootX + nextX, rootY + nextY, CurrentTime);
        XSync(x, False);
        int mouseX = 0, mouseY = 0, buttons = 0;
        const bool onNext = renderUntil(window, [&] {
            surfMouse(surf, &mouseX, &mouseY, &buttons);
            return mouseX == nextX && mouseY == nextY;
        });
        if (!focused || !onNext) {
            std::fprintf(stderr, "the window did not get the focus or the pointer (%d, %d)\n", mouseX, mouseY);
            status = 1;
        }

        // The window paces at 60 Hz where the server names no usable rate, as Xvfb does.
        const double period = internal->clock.period > 0 ? internal->clock.period : 1.0 / 60;
        const auto showScreen = [&](AppView::Screen screen) {
            view.switchScreen(screen);
            // Long enough for the pointer's rest to show as hover.
            for (int frame = 0; frame < 10; ++frame) window.render();
        };
        // The licence screen is on screen once this pixel leaves the start screen's value.
        showScreen(AppView::license);
        XImage* license = XGetImage(x, xwindow, 0, 0, windowWidth, windowHeight, AllPlanes, ZPixmap);
        showScreen(AppView::start);
        XImage* start = XGetImage(x, xwindow, 0, 0, windowWidth, windowHeight, AllPlanes, ZPixmap);
        int probeX = -1, probeY = -1;
        for (int py = 0; license && start && py < windowHeight && probeX < 0; ++py)
            for (int px = 0; px < windowWidth && probeX < 0; ++px)
                if (XGetPixel(license, px, py) != XGetPixel(start, px, py)) probeX = px, probeY = py;
        const unsigned long startValue = probeX >= 0 ? XGetPixel(start, probeX, probeY) : 0;
        if (license) XDestroyImage(license);
        if (start) XDestroyImage(start);
        if (probeX < 0) {
            std::fprintf(stderr, "the start and licence screens could not be told apart\n");
            status = 1;
        }

        std::mt19937 random(13);
        std::uniform_int_distribution<int> phase(0, (int)(period * 1e6));
        std::vector<Sample> samples;
        for (int repetition = 0; status == 0 && repetition < repetitions; ++repetition) {
            showScreen(AppView::start);

            std::atomic<bool> sent = false, shown = false;
            Clock::time_point clickedAt, shownAt;
            std::thread click([&, delay = phase(random)] {
                usleep((useconds_t)delay);
                clickedAt = Clock::now();
                XTestFakeButtonEvent(clicker, 1, True, CurrentTime);
                XTestFakeButtonEvent(clicker, 1, False, CurrentTime);
                XSync(clicker, False);
                sent = true;
                while (Clock::now() - clickedAt < std::chrono::seconds(10)) {
                    XImage* image = XGetImage(clicker, xwindow, probeX, probeY, 1, 1, AllPlanes, ZPixmap);
                    const bool changed = image && XGetPixel(image, 0, 0) != startValue;
                    if (image) XDestroyImage(image);
                    if (changed) {
                        shownAt = Clock::now();
                        shown = true;
                        return;
                    }
                    usleep(100);
                }
            });
            Sample sample{-1, 0, 0};
            unsigned presentsBefore = 0;
            bool counting = false, described = false;
            for (int frame = 0; frame < frameLimit && !(described && shown); ++frame) {
                if (!counting && sent) {
                    counting = true;
                    presentsBefore = internal->clock.presents;
                }
                const bool licenseFrame = view.currentScreen() == AppView::license;
                window.render();
                if (counting && !described) {
                    ++sample.frames;
                    sample.presents = internal->clock.presents - presentsBefore;
                    described = licenseFrame;
                }
            }
            click.join();
            if (!shown || !described) {
                std::fprintf(stderr, "click %d did not reach the screen within %d frames\n", repetition + 1,
                             frameLimit);
                status = 1;
                break;
            }
            sample.ms = std::chrono::duration<double, std::milli>(shownAt - clickedAt).count();
            samples.push_back(sample);
            std::printf("click %2d: %6.1f ms  %.2f periods  %d frames begun, %u presented\n", repetition + 1, sample.ms,
                        sample.ms / (period * 1000), sample.frames, sample.presents);
        }

        if (!samples.empty()) {
            std::vector<double> ms;
            for (const Sample& s : samples) ms.push_back(s.ms);
            const double mid = median(ms), most = *std::max_element(ms.begin(), ms.end());
            std::printf(
                "%zu quick clicks on Next to the licence screen presented (%s, refresh %.2f ms):\n"
                "  median %.1f ms = %.2f periods, max %.1f ms = %.2f periods (read at pixel %d, %d)\n",
                samples.size(), surfPresentation(surf), period * 1000, mid, mid / (period * 1000), most,
                most / (period * 1000), probeX, probeY);
        }
        view.windowClosed();
    }
    XCloseDisplay(clicker);
    XCloseDisplay(x);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return status;
}
