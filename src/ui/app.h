#pragma once

#include <string>
#include <string_view>

#include "guicore/guicore.h"
#include "surf/surf.h"
#include "ui/bitmap.h"
#include "ui/rendering.h"
#include "ui/surfinput.h"

// The window with everything one frame needs. The entry point drives it:
// while (!closed()) render();
class AppWindow {
public:
    AppWindow(int width, int height, std::string_view title, int flags, const UIIconSet& icons,
              UIRendererDelegate& delegate)
        : win(surfWindow(width, height, std::string(title).c_str(), flags)), icons(icons), delegate(delegate) {
        gui_init(&ctx);
        prepareContext(&ctx);
    }
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // True once the user has closed the window.
    bool closed() { return surfClosed(win.surfHandle()) != 0; }

    // Describes and draws one frame, presents it, and hands the input that
    // arrived meanwhile to the UI core, so a click is acted on next frame.
    void render() {
        UIRenderer renderer(win, &ctx, icons, delegate);
        renderer.render();
        surfUpdate(win.surfHandle());
        processMouseInput(&ctx, win.surfHandle());
        processKeyboardInput(&ctx, win.surfHandle());
    }

    Bitmap win;
    gui_Context ctx;
    UIIconSet icons;
    UIRendererDelegate& delegate;
};
