#pragma once

#include <functional>

#include "guicore/guicore.h"
#include "ui/geometry.h"
#include "ui/sprite.h"
#include "ui/toolkit.h"
#include "ui/value.h"

// Lifts a clip: larger than any bitmap.
inline constexpr gui_Rect unclippedRect{0, 0, 16777216, 16777216};

// Calls onClick whenever the left button went down this frame.
UIToolkit::Interactor<float> clickInteraction(std::function<void()> onClick);

// A vertical drag over the control sweeps the value through 0..1 in 75 units
// of travel (200 with Shift, for fine control); moving up raises it.
void upDownDragInteraction(const UIToolkit::InputState& in, UIValue<float>* value, const geo::Rect& rect);

// A knob drawn from a sprite strip, bound to a frame index that a vertical
// drag changes. Returns GUI_RES_CHANGE when the index changed.
int gui_image_knob(gui_Context* ctx, IndexedSprite& sprite, int* value);
