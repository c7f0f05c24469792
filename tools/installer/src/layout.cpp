#include "layout.h"

#include <algorithm>
#include <regex>

#include "program.h"
#include "ui/colors.h"

UIStyle::Palette systemPalette() {
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

std::string displayText(std::string_view value) {
    static const std::regex escapedLineBreak("\\\\n");
    return std::regex_replace(std::string(value), escapedLineBreak, "\n");
}

std::string getPropertyText(std::string_view key) { return displayText(props.getString(std::string(key), "")); }

namespace {

// How many leading characters of `word` fit into `width`; at least one.
std::size_t fittingPrefix(std::string_view word, int width, Font& font) {
    std::size_t fit = 1;
    while (fit < word.size() && font.textWidth(word.substr(0, fit + 1)) <= width) ++fit;
    return fit;
}

}  // namespace

std::string breakWideWords(std::string_view text, int width, Font& font) {
    std::string broken;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        std::string_view word = text.substr(start, end - start);
        while (word.size() > 1 && font.textWidth(word) > width) {
            const std::size_t fit = fittingPrefix(word, width, font);
            const std::size_t separator = word.substr(0, fit).find_last_of("/\\");
            const std::size_t cut = separator != std::string_view::npos && separator > 0 ? separator + 1 : fit;
            broken.append(word.substr(0, cut)).push_back('\n');
            word.remove_prefix(cut);
        }
        broken.append(word);
        if (end < text.size()) broken.push_back(text[end]);
        start = end + 1;
    }
    return broken;
}
