#pragma once

#include <optional>

#include "guicore/guicore.h"
#include "ui/colors.h"

using GuiPalette = gui_Color[GUI_COLOR_MAX];

// Named roles for the UI core's fourteen colour slots; an unset role leaves
// its slot alone.
struct UIPalette {
    std::optional<Color> text;
    std::optional<Color> border;
    std::optional<Color> windowBackground;
    std::optional<Color> titleBackground;
    std::optional<Color> titleText;
    std::optional<Color> panelBackground;
    std::optional<Color> button;
    std::optional<Color> buttonHover;
    std::optional<Color> buttonFocus;
    std::optional<Color> base;
    std::optional<Color> baseHover;
    std::optional<Color> baseFocus;
    std::optional<Color> scrollBase;
    std::optional<Color> scrollThumb;

    void update(GuiPalette& colors) const;
};
