#pragma once

#include "guicore/guicore.h"

// What one frame hands to a delegate: the UI core context and the drawing area
// in UI units.
struct UIContext {
    gui_Context* ctx;
    int width;
    int height;
    float backingScale;
};

// Installs the text measuring callbacks; the style's font handle is a Font*.
void prepareContext(gui_Context* ctx);
