// The platform-free life of a window: creation, the frame, scaling and
// centring, key bookkeeping, borderless full screen, the input queries and
// fatal errors.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "surf/window_backend.h"
#include "surf/window_parts.h"
#include "surf/window_placement.h"
#include "surf/window_present.h"

SurfInternal* surfInternal(Surf* bmp) { return (SurfInternal*)(bmp + 1); }

int surfMinScale(int flags) {
    if (flags & SURF_MIN4X) return 4;
    if (flags & SURF_MIN3X) return 3;
    if (flags & SURF_MIN2X) return 2;
    return 1;
}

int surfFitScale(int w, int h, int areaW, int areaH) {
    if (w < 1 || h < 1) return 1;
    return std::max(1, std::min(areaW / w, areaH / h));
}

static void centre(Surf* bmp, int clientW, int clientH) {
    SurfInternal* win = surfInternal(bmp);
    int w = bmp->w * win->scale, h = bmp->h * win->scale;
    win->pos[0] = (clientW - w) / 2;
    win->pos[1] = (clientH - h) / 2;
    win->pos[2] = win->pos[0] + w;
    win->pos[3] = win->pos[1] + h;
}

// Whole pixels for a length in UI units.
static int pixelsOf(int units, float scale) { return std::max(1, (int)std::lround(units * scale)); }

static void enterBorderless(Surf* bmp, SurfRect restoreTo) {
    SurfInternal* win = surfInternal(bmp);
    win->oldPos = restoreTo;
    win->dwStyle = SURF_STYLE_BORDERLESS;
    surfPlatformSetBorderless(bmp, 1);
}

// A stored placement gives the window back its place and its full screen, not
// its size: the store may come from another scale, and the window opens at the
// caller's size at today's scale, as it was just made.
static void applyStoredPlacement(Surf* bmp) {
    SurfPlacement stored;
    if (!surfPlacementLoad(surfInternal(bmp)->wtitle, &stored)) return;
    SurfRect made = surfPlatformWindowRect(bmp);
    SurfRect rect = {stored.rect.left, stored.rect.top, stored.rect.left + (made.right - made.left),
                     stored.rect.top + (made.bottom - made.top)};
    if (stored.borderless)
        enterBorderless(bmp, rect);
    else
        surfPlatformSetWindowRect(bmp, rect);
}

Surf* surfWindow(int w, int h, const char* title, int flags) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    Surf* bmp = surfBitmap2(w, h, (int)sizeof(SurfInternal));
    if (!bmp) exit(1);  // as for any other failed window creation
    SurfInternal* win = surfInternal(bmp);
    win->wtitle = strdup(title ? title : "");
    win->dwStyle = SURF_STYLE_WINDOWED;
    win->flags = flags;
    win->p4 = 1.0f;
    win->widgetsScale = 3.0f;
    win->widgets = surfBitmap(40, 14);
    win->unitW = w;
    win->unitH = h;

    int screenW = 0, screenH = 0;
    surfPlatformOpen(bmp, &screenW, &screenH);
    win->backingScale = surfPlatformBackingScale(bmp);
    w = pixelsOf(w, win->backingScale);
    h = pixelsOf(h, win->backingScale);
    surfResize(bmp, w, h);
    win->scale = (flags & SURF_RESIZE) ? 1 : surfFitScale(w, h, screenW * 3 / 4, screenH * 3 / 4);
    win->scale = std::max(win->scale, surfMinScale(flags));
    centre(bmp, w * win->scale, h * win->scale);

    surfPresentCreate(bmp, surfPlatformCreateWindow(bmp, w * win->scale, h * win->scale));

    if (flags & SURF_BORDERLESS)
        enterBorderless(bmp, surfPlatformWindowRect(bmp));
    else
        applyStoredPlacement(bmp);
    return bmp;
}

void surfFreeWindow(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    surfWinStoreSettledPlacement(bmp, 1);
    surfPresentDestroy(bmp);
    surfPlatformDestroy(bmp);
    free(win->wtitle);
    win->wtitle = nullptr;
    surfFree(win->widgets);
    win->widgets = nullptr;
    bmp->handle = nullptr;
}

void surfWinPresent(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    int w = 0, h = 0;
    surfPlatformClientSize(bmp, &w, &h);
    win->repaint = 0;
    win->clock.presents++;
    surfPresent(bmp, w, h);
}

static void frame(Surf* bmp, bool changed) {
    SurfInternal* win = surfInternal(bmp);
    if (!win->shown) {
        win->shown = 1;
        win->clock.period = surfPlatformRefreshPeriod(bmp);
        surfPlatformShow(bmp);
    }
    int clientW = 0, clientH = 0;
    surfPlatformClientSize(bmp, &clientW, &clientH);
    surfWinUpdateWidgets(bmp, clientW);
    // A visible overlay follows the cursor, so it is drawn on every frame.
    if (changed || win->repaint || win->widgetAlpha > 0 || win->widgetsWanted) surfWinPresent(bmp);
    surfWinPace(bmp);
    surfWinBeginInput(bmp);
    surfPlatformPump(bmp);
    surfWinEndInput(bmp);
    surfWinStoreSettledPlacement(bmp, 0);
}

void surfUpdate(Surf* bmp) { frame(bmp, true); }

void surfUpdateUnchanged(Surf* bmp) { frame(bmp, false); }

// ---- Events from the backend ---------------------------------------------------

void surfWinOnChar(Surf* bmp, int ch, int autoRepeat) {
    if (ch == 13) ch = 10;
    if (!autoRepeat) surfInternal(bmp)->lastChar = ch;
}

void surfWinOnSize(Surf* bmp, int w, int h) {
    if (w < 1 || h < 1) return;
    SurfInternal* win = surfInternal(bmp);
    if (win->flags & SURF_RESIZE)
        surfResize(bmp, std::max(1, w / win->scale), std::max(1, h / win->scale));
    else
        win->scale = std::max(surfFitScale(bmp->w, bmp->h, w, h), surfMinScale(win->flags));
    centre(bmp, w, h);
    win->repaint = 1;
}

void surfWinOnScale(Surf* bmp, float scale, int* clientW, int* clientH) {
    SurfInternal* win = surfInternal(bmp);
    win->backingScale = scale;
    int w = pixelsOf(win->unitW, scale), h = pixelsOf(win->unitH, scale);
    // A resizable bitmap follows the client area; a fixed one is the caller's
    // size in units at the new scale.
    if (!(win->flags & SURF_RESIZE)) surfResize(bmp, w, h);
    *clientW = w * win->scale;
    *clientH = h * win->scale;
    win->repaint = 1;
}

void surfWinOnMove(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfPlacement placement;
    placement.borderless = surfIsBorderless(win);
    placement.rect = placement.borderless ? win->oldPos : surfPlatformWindowRect(bmp);
    surfPlacementStore(win->wtitle, placement);
}

void surfWinMinClientSize(Surf* bmp, int* w, int* h) {
    SurfInternal* win = surfInternal(bmp);
    if (win->flags & SURF_RESIZE) {
        *w = *h = 32;
    } else {
        *w = bmp->w * surfMinScale(win->flags);
        *h = bmp->h * surfMinScale(win->flags);
    }
}

void surfWinSetBorderless(Surf* bmp, int borderless) {
    SurfInternal* win = surfInternal(bmp);
    if (!borderless == !surfIsBorderless(win)) return;
    if (borderless) {
        enterBorderless(bmp, surfPlatformWindowRect(bmp));
    } else {
        win->dwStyle = SURF_STYLE_RESTORED;
        surfPlatformSetBorderless(bmp, 0);
        surfPlatformSetWindowRect(bmp, win->oldPos);
    }
    surfWinOnMove(bmp);
}

void surfWinToggleBorderless(Surf* bmp) { surfWinSetBorderless(bmp, !surfIsBorderless(surfInternal(bmp))); }

// ---- Queries -----------------------------------------------------------------

int surfClosed(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    int closed = win->closed;
    win->closed = 0;
    return closed;
}

void surfMouse(Surf* bmp, int* x, int* y, int* buttons) {
    SurfInternal* win = surfInternal(bmp);
    int cx = 0, cy = 0;
    surfPlatformCursor(bmp, &cx, &cy);
    if (x) *x = (cx - win->pos[0]) / win->scale;
    if (y) *y = (cy - win->pos[1]) / win->scale;
    // The buttons as the events left them, not the live ones: a click shorter
    // than a frame still counts.
    if (buttons) *buttons = surfPlatformFocused(bmp) ? win->buttons : 0;
}

int surfKeyDown(Surf* bmp, int key) {
    SurfInternal* win = surfInternal(bmp);
    int vk = surfVirtualKey(key);
    return vk && surfPlatformFocused(bmp) && win->keys[vk] && !win->prev[vk];
}

int surfKeyHeld(Surf* bmp, int key) {
    int vk = surfVirtualKey(key);
    return vk && surfPlatformFocused(bmp) && surfInternal(bmp)->keys[vk];
}

int surfReadChar(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    int ch = win->lastChar;
    win->lastChar = 0;
    return ch;
}

float surfTime() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    static bool started = false;
    Clock::time_point now = Clock::now();
    float seconds = started ? std::chrono::duration<float>(now - last).count() : 0.0f;
    started = true;
    last = now;
    return seconds;
}

void surfWheel(Surf* bmp, float* dx, float* dy) {
    SurfInternal* win = surfInternal(bmp);
    if (dx) *dx = win->wheelX;
    if (dy) *dy = win->wheelY;
}

float surfBackingScale(Surf* bmp) { return surfInternal(bmp)->backingScale; }

int surfTouch(Surf* bmp, SurfTouchPoint* points, int maxPoints) {
    if (maxPoints < 1 || !points) return 0;
    int buttons = 0;
    surfMouse(bmp, &points[0].x, &points[0].y, &buttons);
    return buttons ? 1 : 0;
}

int surfBeginOpenGL(Surf* bmp) {
    if (!surfPresentsWithGL(bmp) || !surfPlatformMakeCurrent(bmp)) return 0;
    surfInternal(bmp)->gl.gl_user_opengl_rendering = 1;
    return 1;
}

void surfSetPostShader(Surf* bmp, const char* source, int size) { surfPresentSetEffect(bmp, source, size); }

void surfSetPostFX(Surf* bmp, float p1, float p2, float p3, float p4) {
    SurfInternal* win = surfInternal(bmp);
    win->p1 = p1;
    win->p2 = p2;
    win->p3 = p3;
    win->p4 = p4;
}

// Fatal errors: the message goes to standard error and, where the window system
// can show one, into a message window; then the process ends with status 1.
void surfError(Surf* bmp, const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);

    fflush(stdout);
    size_t length = strlen(message);
    fprintf(stderr, "%s%s", message, length && message[length - 1] == '\n' ? "" : "\n");
    bool window = bmp && bmp->handle;
    surfPlatformMessageBox(window ? bmp : nullptr, window ? surfInternal(bmp)->wtitle : "Error", message);
    exit(1);
}
