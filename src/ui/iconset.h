#pragma once

#include <memory>

#include "surf/surf.h"

struct AssetRef;

// The bitmaps the renderer draws for the UI core's icon commands.
struct UIIconSet {
    std::shared_ptr<Surf> close;
    std::shared_ptr<Surf> check;
    std::shared_ptr<Surf> collapsed;
    std::shared_ptr<Surf> expanded;

    UIIconSet(const AssetRef& close, const AssetRef& check, const AssetRef& collapsed, const AssetRef& expanded);
    UIIconSet(std::shared_ptr<Surf> close, std::shared_ptr<Surf> check, std::shared_ptr<Surf> collapsed,
              std::shared_ptr<Surf> expanded);
};
