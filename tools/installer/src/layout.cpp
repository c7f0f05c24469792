#include "layout.h"

#include <regex>

#include "program.h"
#include "ui/colors.h"

UIStyle::Palette systemPalette()
{
    UIStyle::Palette p;
    p.text = Color::DARK;
    p.border = Color::DARK;
    p.windowBackground = Color::LIGHT;
    p.titleBackground = Color::DARK;
    p.titleText = Color::LIGHT;
    p.panelBackground = Color::LIGHT;
    p.button = Color::LIGHT;
    p.buttonHover = Color::ACCENT;
    p.buttonFocus = Color::ACCENT;
    p.base = Color::LIGHT;
    p.baseHover = Color::LIGHT;
    p.baseFocus = Color::LIGHT;
    p.scrollBase = Color::LIGHT;
    p.scrollThumb = Color::DARK;
    return p;
}

std::string displayText(std::string_view value)
{
    static const std::regex escapedLineBreak("\\\\n");
    return std::regex_replace(std::string(value), escapedLineBreak, "\n");
}

std::string getPropertyText(std::string_view key)
{
    return displayText(props.getString(std::string(key), ""));
}
