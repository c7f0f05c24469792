#pragma once

#include <vector>

#include "guicore/guicore.h"
#include "ui/bitmap.h"

// Remembers what the last drawn frame was made of, so that a frame that would
// draw the same picture into the same bitmap again can be left out. The
// command list decides the picture: the job's progress, hover and scrolling
// all show up in it.
class FrameMemory {
public:
    // True when the context's command list and the target's size and scale
    // are those remembered; otherwise remembers these and returns false. A
    // frame with custom drawing never counts as a repeat, since what its
    // drawers draw cannot be compared.
    bool repeats(gui_Context& ctx, const Bitmap& target);

private:
    bool sameTarget(const Bitmap& target) const;

    std::vector<char> _commands;
    bool _remembered = false;
    const Surf* _target = nullptr;
    int _width = 0;
    int _height = 0;
    float _scale = 0.0f;
};
