// Where a window was left, remembered per window title.
#pragma once

#include <string>
#include <string_view>

#include "surf/window_internal.h"

struct SurfPlacement {
    SurfRect rect;   // client rectangle on screen, as restored when leaving full screen
    int borderless;  // 1 when the window was left in borderless full screen
};

// The stored placement of the title; 0 when there is none or it is unusable.
int surfPlacementLoad(const char* title, SurfPlacement* out);
// Stores the placement of the title; failures are ignored.
void surfPlacementStore(const char* title, const SurfPlacement& placement);

// The text form of the store: one line per title.
int surfPlacementFind(std::string_view text, std::string_view title, SurfPlacement* out);
std::string surfPlacementReplace(std::string_view text, std::string_view title, const SurfPlacement& placement);
