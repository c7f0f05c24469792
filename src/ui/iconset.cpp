#include "ui/iconset.h"

#include <utility>

#include "shared/assets.h"

UIIconSet::UIIconSet(const AssetRef& close, const AssetRef& check, const AssetRef& collapsed, const AssetRef& expanded)
    : close(assets::icon(close)),
      check(assets::icon(check)),
      collapsed(assets::icon(collapsed)),
      expanded(assets::icon(expanded)) {}

UIIconSet::UIIconSet(std::shared_ptr<Surf> close, std::shared_ptr<Surf> check, std::shared_ptr<Surf> collapsed,
                     std::shared_ptr<Surf> expanded)
    : close(std::move(close)),
      check(std::move(check)),
      collapsed(std::move(collapsed)),
      expanded(std::move(expanded)) {}
