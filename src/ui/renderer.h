#pragma once

#include "guicore/guicore.h"
#include "ui/bitmap.h"
#include "ui/delegate.h"
#include "ui/iconset.h"

// Runs one UI frame and replays the UI core's commands into the bitmap,
// scaling UI units by its backing scale.
class UIRenderer {
public:
    UIRenderer(Bitmap& bmp, gui_Context* ctx, UIIconSet icons, UIRendererDelegate& delegate);

    // describe(), then replay().
    void render();
    // Lets the delegate and the debug overlay describe the frame.
    void describe();
    // Draws the described frame's commands over opaque black.
    void replay();

    Bitmap& bmp;
    gui_Context* ctx;
    UIIconSet icons;
    UIRendererDelegate& delegate;
};
