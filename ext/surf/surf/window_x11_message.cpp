// The message window of a fatal error on X11: the text printed with the
// built-in bitmap font, magnified, above an OK button; any key or click closes it.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "surf/window_backend.h"
#include "surf/window_x11.h"

namespace {

const int magnify = 2;
const int margin = 12;
const char* const okLabel = "OK";

// The message and its button, drawn into a bitmap of window-layer pixels.
Surf* drawMessage(const char* text) {
    int textW = surfTextWidth(sfont, text), textH = surfTextHeight(sfont, text);
    int okW = surfTextWidth(sfont, okLabel) + 2 * margin, okH = surfTextHeight(sfont, okLabel) + margin / 2;
    int w = std::max(textW, okW) + 2 * margin, h = textH + okH + 3 * margin;
    Surf* page = surfBitmap(w, h);
    surfClear(page, SPixel{240, 240, 240, 255});
    surfPrint(page, sfont, margin, margin, SPixel{0, 0, 0, 255}, "%s", text);
    int okX = (w - okW) / 2, okY = h - margin - okH;
    surfFill(page, okX, okY, okW, okH, SPixel{120, 120, 120, 255});
    surfFill(page, okX + 1, okY + 1, okW - 2, okH - 2, SPixel{225, 225, 225, 255});
    surfPrint(page, sfont, okX + margin, okY + margin / 4, SPixel{0, 0, 0, 255}, "%s", okLabel);
    return page;
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

// The bitmap magnified into an image of the screen's true-colour visual.
XImage* toImage(Display* dpy, Visual* visual, int depth, const Surf* page) {
    int w = page->w * magnify, h = page->h * magnify;
    uint32_t* data = (uint32_t*)calloc((size_t)w * h, sizeof(uint32_t));
    int rs = shiftOf(visual->red_mask), gs = shiftOf(visual->green_mask), bs = shiftOf(visual->blue_mask);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            SPixel p = page->pix[(size_t)(y / magnify) * page->w + x / magnify];
            data[(size_t)y * w + x] = ((uint32_t)p.r << rs) | ((uint32_t)p.g << gs) | ((uint32_t)p.b << bs);
        }
    return XCreateImage(dpy, visual, (unsigned)depth, ZPixmap, 0, (char*)data, (unsigned)w, (unsigned)h, 32, 0);
}

}  // namespace

void surfPlatformMessageBox(Surf* owner, const char* caption, const char* text) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return;
    int screen = DefaultScreen(dpy);
    Visual* visual = DefaultVisual(dpy, screen);
    int depth = DefaultDepth(dpy, screen);
    if (visual->c_class != TrueColor || depth < 24) {
        XCloseDisplay(dpy);
        return;
    }
    Surf* page = drawMessage(text);
    XImage* image = toImage(dpy, visual, depth, page);
    unsigned w = (unsigned)image->width, h = (unsigned)image->height;
    surfFree(page);

    int x = (DisplayWidth(dpy, screen) - (int)w) / 2, y = (DisplayHeight(dpy, screen) - (int)h) / 2;
    Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, w, h, 0, 0, 0);
    XSelectInput(dpy, win, ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);
    XStoreName(dpy, win, caption);
    XChangeProperty(dpy, win, XInternAtom(dpy, "_NET_WM_NAME", False), XInternAtom(dpy, "UTF8_STRING", False), 8,
                    PropModeReplace, (const unsigned char*)caption, (int)strlen(caption));
    Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, win, &deleteWindow, 1);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize | PPosition;
    hints->min_width = hints->max_width = (int)w;
    hints->min_height = hints->max_height = (int)h;
    XSetWMNormalHints(dpy, win, hints);
    XFree(hints);
    if (owner && owner->handle) XSetTransientForHint(dpy, win, (Window)owner->handle);
    XMapRaised(dpy, win);
    GC gc = XCreateGC(dpy, win, 0, nullptr);

    for (bool open = true; open;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        switch (ev.type) {
            case Expose:
                XPutImage(dpy, win, gc, image, 0, 0, 0, 0, w, h);
                break;
            case MapNotify: {
                XErrorHandler previous = XSetErrorHandler(surfIgnoreXError);
                XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
                XSync(dpy, False);
                XSetErrorHandler(previous);
                break;
            }
            case KeyPress:
            case ButtonPress:
                open = false;
                break;
            case ClientMessage:
                open = (Atom)ev.xclient.data.l[0] != deleteWindow;
                break;
            default:
                break;
        }
    }
    XFreeGC(dpy, gc);
    XDestroyImage(image);
    XDestroyWindow(dpy, win);
    XCloseDisplay(dpy);
}
