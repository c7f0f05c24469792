#pragma once

#include <functional>

#include "guicore/guicore.h"
#include "ui/bitmap.h"
#include "ui/geometry.h"

// Custom drawing recorded in the UI core's command list and run at replay,
// with the target bitmap and the command's rectangle in UI units.
using GenericDrawer = std::function<void(Bitmap&, geo::Rect&)>;

inline constexpr int GENERIC_DRAW_COMMAND = -1;
inline constexpr int GENERIC_DRAW_COMMAND_SIZE = 96;

struct GenericDrawCommand {
    gui_BaseCommand base;
    GenericDrawer drawer;
    geo::Rect rect;
};

// Records a generic draw command; its drawer is destroyed when it is replayed.
void pushGenericDrawCommand(gui_Context* ctx, const geo::Rect& rect, const GenericDrawer& drawer);
