#pragma once

#include "ui/toolkit.h"

// A horizontal bar, outlined, filled from the left by the given fraction
// (0.0 to 1.0, not clamped). Draws into the next layout cell.
class ProgressControl {
public:
    explicit ProgressControl(float position) : _position(position) {}

    void operator()(UIToolkit& toolkit) const;

private:
    float _position;
};
