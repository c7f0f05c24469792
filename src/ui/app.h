#pragma once

#include <string>
#include <string_view>

#include "guicore/guicore.h"
#include "surf/surf.h"
#include "ui/bitmap.h"
#include "ui/frame_memory.h"
#include "ui/context.h"
#include "ui/renderer.h"
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

    // Describes and draws one frame at the window's backing scale, presents
    // it, and hands the input that arrived meanwhile to the UI core, so a
    // click is acted on next frame. A frame that would draw exactly what is
    // on screen is neither drawn nor uploaded.
    void render() {
        // The window's bitmap follows the scale of the screen it is on.
        win.setBackingScale(surfBackingScale(win.surfHandle()));
        UIRenderer renderer(win, &ctx, icons, delegate);
        renderer.describe();
        // Never a repeat while custom drawers are listed, so replay always
        // runs, and destroys them, when there are any.
        if (_drawn.repeats(ctx, win)) {
            ++_skippedFrames;
            surfUpdateUnchanged(win.surfHandle());
        } else {
            renderer.replay();
            surfUpdate(win.surfHandle());
        }
        processMouseInput(&ctx, win.surfHandle());
        processKeyboardInput(&ctx, win.surfHandle());
    }

    // Frames left out because they would have drawn the picture on screen.
    int skippedFrames() const { return _skippedFrames; }

    Bitmap win;
    gui_Context ctx;
    UIIconSet icons;
    UIRendererDelegate& delegate;

private:
    FrameMemory _drawn;
    int _skippedFrames = 0;
};
