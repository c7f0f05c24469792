// What the X11 backend learns from the display beyond the window itself: the
// scale the user asked for, the monitors' refresh and visible area, waiting
// for events, and the pointer's buttons and wheel.
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "surf/window_backend.h"
#include "surf/window_x11.h"

float surfPlatformBackingScale(Surf* bmp) {
    Display* dpy = surfX11Display(bmp);
    const char* resources = XResourceManagerString(dpy);
    if (!resources) return 1.0f;
    XrmInitialize();
    XrmDatabase db = XrmGetStringDatabase(resources);
    if (!db) return 1.0f;
    float scale = 1.0f;
    char* type = nullptr;
    XrmValue value = {};
    if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        double dpi = strtod(value.addr, nullptr);
        // Nonsense (zero, negative, absurd) keeps the plain scale.
        if (std::isfinite(dpi) && dpi >= 24 && dpi <= 960) scale = (float)(dpi / 96);
    }
    XrmDestroyDatabase(db);
    return scale;
}

double surfPlatformRefreshPeriod(Surf* bmp) {
    Display* dpy = surfX11Display(bmp);
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    if (!res) return 0;
    double fastest = 0;
    for (int c = 0; c < res->ncrtc; c++) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy, res, res->crtcs[c]);
        if (!crtc) continue;
        for (int m = 0; m < res->nmode; m++) {
            const XRRModeInfo& mode = res->modes[m];
            if (mode.id != crtc->mode || !mode.hTotal || !mode.vTotal) continue;
            double rate = (double)mode.dotClock / ((double)mode.hTotal * mode.vTotal);
            if (rate > fastest) fastest = rate;
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(res);
    // A rate outside what displays do is a made-up mode: fall back to the default.
    return fastest >= 20 && fastest <= 500 ? 1.0 / fastest : 0;
}

void surfPlatformWaitEvent(Surf* bmp, double seconds) {
    Display* dpy = surfX11Display(bmp);
    if (XPending(dpy)) return;
    pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
    timespec timeout = {(time_t)seconds, (long)((seconds - std::floor(seconds)) * 1e9)};
    ppoll(&fd, 1, &timeout, nullptr);
}

SurfRect surfX11VisiblePlacement(Display* dpy, SurfRect rect) {
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    // Enough of the window to grab it and drag it back.
    const int needW = std::min(32, w), needH = std::min(32, h);
    auto shows = [&](SurfRect m) {
        return std::min(rect.right, m.right) - std::max(rect.left, m.left) >= needW &&
               std::min(rect.bottom, m.bottom) - std::max(rect.top, m.top) >= needH;
    };
    SurfRect primary = {0, 0, DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy))};
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(dpy, DefaultRootWindow(dpy), True, &count);
    bool visible = count == 0 && shows(primary);
    for (int i = 0; i < count; i++) {
        const XRRMonitorInfo& m = monitors[i];
        SurfRect area = {m.x, m.y, m.x + m.width, m.y + m.height};
        visible = visible || shows(area);
        if (m.primary || i == 0) primary = area;
    }
    if (monitors) XRRFreeMonitors(monitors);
    if (visible) return rect;
    int left = primary.left + (primary.right - primary.left - w) / 2;
    int top = primary.top + (primary.bottom - primary.top - h) / 2;
    return SurfRect{left, top, left + w, top + h};
}

void surfX11OnButton(Surf* bmp, const XButtonEvent* ev) {
    bool down = ev->type == ButtonPress;
    switch (ev->button) {
        case Button1:
            surfWinOnButton(bmp, SURF_BUTTON_LEFT, down);
            break;
        case Button2:
            surfWinOnButton(bmp, SURF_BUTTON_MIDDLE, down);
            break;
        case Button3:
            surfWinOnButton(bmp, SURF_BUTTON_RIGHT, down);
            break;
        // The wheel: a press per notch and a release nobody needs.
        case 4:
            if (down) surfWinOnWheel(bmp, 0, -1);
            break;
        case 5:
            if (down) surfWinOnWheel(bmp, 0, 1);
            break;
        case 6:
            if (down) surfWinOnWheel(bmp, -1, 0);
            break;
        case 7:
            if (down) surfWinOnWheel(bmp, 1, 0);
            break;
        default:
            break;
    }
}
