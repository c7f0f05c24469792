#pragma once

#include "ui/context.h"

// Describes a UI once per frame, between the UI core's frame begin and end.
class UIRendererDelegate {
public:
    virtual void render(UIContext& context) = 0;
    virtual ~UIRendererDelegate() = default;
};
