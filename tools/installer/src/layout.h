#pragma once

// Sizes, colours and small building blocks the screens share.

#include <string>
#include <string_view>

#include "ui/style.h"
#include "ui/widgets.h"

struct Sizes {
    static constexpr int sectionWidth = 106;
    static constexpr int sectionHeight = 106;
    static constexpr int sectionWidthSmall = 48;
    static constexpr int padding = 48;
    static constexpr int buttonHeight = 24;
    struct Spacing {
        static constexpr int tiny = 2;
        static constexpr int small = 4;
        static constexpr int medium = 8;
        static constexpr int large = 16;
    };
};

// The installer's colours for every slot of the UI core's style.
UIStyle::Palette systemPalette();

// A property value for display: each backslash followed by n becomes a line
// break; nothing else changes.
std::string displayText(std::string_view value);
// The property's value (empty when absent) for display.
std::string getPropertyText(std::string_view key);

// The text with a line break inserted into each word wider than `width`,
// after the last path separator that keeps its piece within the width, or
// else after the last character that does. The word wrap keeps words whole,
// and a long path in an error would otherwise run past the window's edge.
std::string breakWideWords(std::string_view text, int width, Font& font);

// One button across the width, inset a little from both sides.
template <typename B>
UI::Cell buttonRowCell(const B& button) {
    return UI::Cell(
        UI::Row{
            {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
            {button, UI::Share(1.0f)},
            {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
        },
        UI::Fixed(Sizes::buttonHeight));
}

// Two buttons sharing the width equally.
template <typename B1, typename B2>
UI::Cell buttonRowCell(const B1& first, const B2& second) {
    return UI::Cell(
        UI::Row{
            {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
            {first, UI::Share(1.0f)},
            {UI::Spacer(), UI::Fixed(Sizes::Spacing::tiny)},
            {second, UI::Share(1.0f)},
            {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
        },
        UI::Fixed(Sizes::buttonHeight));
}
