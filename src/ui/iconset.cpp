#include "shared/assets.h"
#include "ui/rendering.h"

UIIconSet::UIIconSet(const AssetRef& close, const AssetRef& check, const AssetRef& collapsed,
                     const AssetRef& expanded)
    : close(assets::icon(close)),
      check(assets::icon(check)),
      collapsed(assets::icon(collapsed)),
      expanded(assets::icon(expanded)) {}
