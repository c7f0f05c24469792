// Where a window was left, remembered per window title.
#pragma once

#include <string>
#include <string_view>

#include "surf/window_internal.h"

struct SurfPlacement {
    SurfRect rect;   // client rectangle on screen, as restored when leaving full screen
    int borderless;  // 1 when the window was left in borderless full screen
};

// Whether a stored client rectangle could be a window on some screen: its
// corners in order, its coordinates and size within what any screen shows.
inline bool surfPlacementPlausible(const SurfRect& r) {
    constexpr int coordinateLimit = 1 << 20;
    constexpr int sizeLimit = 1 << 15;
    auto inRange = [](int v) { return v > -coordinateLimit && v < coordinateLimit; };
    return inRange(r.left) && inRange(r.top) && inRange(r.right) && inRange(r.bottom) && r.right > r.left &&
           r.bottom > r.top && r.right - r.left <= sizeLimit && r.bottom - r.top <= sizeLimit;
}

// The stored placement of the title; 0 when there is none or it is unusable.
int surfPlacementLoad(const char* title, SurfPlacement* out);
// Stores the placement of the title; failures are ignored.
void surfPlacementStore(const char* title, const SurfPlacement& placement);

// The text form of the store: one line per title.
int surfPlacementFind(std::string_view text, std::string_view title, SurfPlacement* out);
std::string surfPlacementReplace(std::string_view text, std::string_view title, const SurfPlacement& placement);
