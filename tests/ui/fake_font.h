#pragma once

#include <string>
#include <vector>

#include "ui/bitmap.h"
#include "ui/colors.h"
#include "ui/font.h"

// A font of fixed-size cells: every character is `advance` units wide and a
// line is `lineHeight` high. Drawing fills the text's box in its colour and
// remembers the call, so tests can see both pixels and arguments.
class FakeFont : public Font {
public:
    struct Drawn {
        std::string text;
        int x, y;
    };

    explicit FakeFont(int advance = 7, int lineHeight = 10) : _advance(advance), _lineHeight(lineHeight) {}

    int textWidth(std::string_view text) override { return static_cast<int>(text.size()) * _advance; }
    int textHeight() override { return _lineHeight; }
    void drawTo(Bitmap& target, std::string_view text, int x, int y, Color color) override {
        drawn.push_back({std::string(text), x, y});
        const float s = target.backingScale();
        surfFill(target.surfHandle(), static_cast<int>(x * s), static_cast<int>(y * s),
                 static_cast<int>(textWidth(text) * s), static_cast<int>(_lineHeight * s), color);
    }

    std::vector<Drawn> drawn;

private:
    int _advance;
    int _lineHeight;
};
