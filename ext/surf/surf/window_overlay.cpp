// The overlay of a borderless full-screen window: minimise, restore and close
// buttons in the top right corner, faded in while the cursor touches the top
// edge of the screen.
#include <algorithm>

#include "surf/window_backend.h"
#include "surf/window_parts.h"

namespace {

struct OverlayButton {
    int offset;         // from the overlay's right edge
    const char* label;  // UTF-8
    SPixel color;
};

const OverlayButton buttons[3] = {
    {36, "_", {255, 255, 255, 255}},             // minimise
    {24, "\xEF\xBF\xBD", {255, 255, 255, 255}},  // restore (U+FFFD)
    {12, "\xC3\x97", {255, 0, 0, 255}},          // close (U+00D7)
};
const SPixel hotColor = {0, 200, 255, 255};
const int buttonWidth = 10;

void activate(Surf* bmp, int button) {
    switch (button) {
        case 0:
            surfPlatformMinimise(bmp);
            break;
        case 1:
            surfWinSetBorderless(bmp, 0);
            break;
        default:
            surfInternal(bmp)->closed = 1;
            break;
    }
}

}  // namespace

void surfWinUpdateWidgets(Surf* bmp, int clientW) {
    SurfInternal* win = surfInternal(bmp);
    Surf* overlay = win->widgets;
    surfClear(overlay, SPixel{0, 0, 0, 0});
    if (!surfIsBorderless(win)) {
        win->widgetsWanted = 0;
        win->widgetAlpha = 0;
        win->widgetsPressed = 0;
        return;
    }

    int cx = 0, cy = 0;
    int mouse = surfPlatformCursor(bmp, &cx, &cy);
    int magnify = (int)win->widgetsScale;
    if (cy == 0) win->widgetsWanted = 1;
    if (cy >= overlay->h * magnify) win->widgetsWanted = 0;
    win->widgetAlpha =
        (unsigned char)(win->widgetsWanted ? std::min(255, win->widgetAlpha + 16) : std::max(0, win->widgetAlpha - 16));

    int ox = (overlay->w * magnify - clientW + cx) / magnify;
    int oy = cy / magnify;
    unsigned char alpha = win->widgetAlpha;
    surfFill(overlay, 0, 0, overlay->w, overlay->h, SPixel{0, 0, 0, alpha});

    // A click acts once, when the left button goes down over a visible button.
    bool left = mouse & SURF_BUTTON_LEFT;
    bool pressed = left && !win->widgetsPressed;
    win->widgetsPressed = left;
    int activated = -1;
    for (int i = 0; i < 3; i++) {
        int x = overlay->w - buttons[i].offset;
        bool hot = ox >= x && ox < x + buttonWidth && oy >= 0 && oy < overlay->h;
        SPixel color = hot ? hotColor : buttons[i].color;
        color.a = alpha;
        surfPrint(overlay, sfont, x, 2, color, "%s", buttons[i].label);
        if (hot && pressed && alpha > 0) activated = i;
    }
    if (activated >= 0) activate(bmp, activated);
}
