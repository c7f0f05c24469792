// Text from the embedded fonts: what the screens' pictures cannot tell apart.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/colors.h"
#include "ui/font_canvas.h"
#include "ui/font.h"

namespace {

const SPixel white{255, 255, 255, 255};

TrueTypeFont regularFont() { return TrueTypeFont(EMBEDDED_ASSET(roboto_regular), 14); }

Bitmap cleared(int w, int h, float scale = 1.0f, SPixel color = white) {
    Bitmap bmp(w, h, scale);
    surfClear(bmp.surfHandle(), color);
    return bmp;
}

bool samePixels(const Bitmap& a, const Bitmap& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::memcmp(a.data(), b.data(), size_t(a.width()) * a.height() * 4) == 0;
}

}  // namespace

TEST(TrueTypeFont, WidthIsTheRoundedUpSumOfAdvancesAndJunkIsRefused) {
    TrueTypeFont font = regularFont();
    // Roboto Mono advances 1229 of 2048 units per character: 8.40, 25.21, 840.14 at 14.
    EXPECT_EQ((std::array{font.textWidth(""), font.textWidth("a"), font.textWidth(std::string_view("abcdef", 3)),
                          font.textWidth(std::string(100, 'x'))}),
              (std::array{0, 9, 26, 841}));
    static const unsigned char junk[64] = {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'};
    try {
        TrueTypeFont bad(AssetRef{junk, sizeof junk, "junk"}, 14);
        ADD_FAILURE() << "a font was built from junk";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Font loading failed");
    }
}

// Strings share one canvas per font: a string drawn after a longer or translucent one must show only itself. The cache
// must be invisible: the same draws, cached and not, leave the same bytes, with clipped placements, translucent colours
// and a second scale.
TEST(TrueTypeFont, AStringLooksAsIfDrawnAloneAndTheCacheLeavesTheSameBytes) {
    using Draw = std::tuple<const char*, int, int, Color>;  // no text: start on a clean bitmap
    const auto render = [](bool caching, std::vector<Draw> const& draws, float scale = 1.0f, int rounds = 1) {
        TrueTypeFont font = regularFont();
        font.setCaching(caching);
        Bitmap target = cleared(int(420 * scale), int(130 * scale), scale);
        for (int round = 0; round < rounds; ++round)
            for (const auto& [text, x, y, color] : draws)
                text ? font.drawTo(target, text, x, y, color) : void(target = cleared(target.width(), 130, scale));
        return target;
    };
    const Color grey(17, 17, 17, 128);
    const char* const fox = "The quick brown fox jumps over the lazy dog";
    const Bitmap alone = render(true, {{"Egg", 0, 0, Color::DARK}});
    for (bool caching : {true, false})
        EXPECT_TRUE(samePixels(render(caching, {{fox, 0, 0, Color::DARK},
                                                {fox, 0, 0, grey},
                                                {nullptr, 0, 0, grey},
                                                {"", 0, 0, Color::DARK},
                                                {"Egg", 0, 0, Color::DARK}}),
                               alone))
            << caching;
    const std::vector<Draw> draws = {{"Egg", 4, 4, Color::DARK},
                                     {fox, 2, 20, Color::DARK},
                                     {"Cancelling...", -3, 60, grey},
                                     {"Installing...", 150, -6, Color::ACCENT},
                                     {"The quick brown fox", 300, 80, Color::LIGHT},
                                     {"Egg", 4, 4, Color::DARK},
                                     {"(brackets) | pipes_ and [squares]", 0, 100, Color::DARK},
                                     {"Cancelling...", -3, 60, grey}};
    for (float scale : {1.0f, 2.0f})
        EXPECT_TRUE(samePixels(render(true, draws, scale, 2), render(false, draws, scale, 2))) << scale;
}

TEST(TrueTypeFont, KeepsALargerCanvasAndReplacesItOnAnyShortfallOrOtherScale) {
    TrueTypeFont::FontCanvas fc(14);
    fc.ensureCanvas(100, 20, 1.0f);
    const Canvas* first = fc.canvas();
    fc.ensureCanvas(50, 10, 1.0f);
    EXPECT_EQ(fc.canvas(), first) << "a smaller request keeps the canvas";
    for (const auto& [w, h, scale, pixelW, pixelH] :
         {std::tuple{120, 10, 1.0f, 120, 10}, {120, 10, 2.0f, 240, 20}, {60, 5, 1.5f, 90, 8}}) {
        fc.ensureCanvas(w, h, scale);
        EXPECT_EQ(fc.canvas()->pixelWidth(), pixelW) << scale;
        EXPECT_EQ(fc.canvas()->pixelHeight(), pixelH) << "exactly the request, 7.5 pixels round up";
    }
}

TEST(Canvas, ResetWithAnOpaqueFillErasesEveryPixelAndTheFontSizeChangesAlone) {
    // At 1.5 the last row is only half inside the 5 units: it is erased all the same.
    Canvas c(6, 5, 1.5f);
    c.resetTransform(), c.setFill(Color(255, 0, 0)), c.fillRectangle(0, 0, 6, 6);
    c.setFill(Color(0, 0, 0)), c.reset();
    Bitmap target = cleared(c.pixelWidth(), c.pixelHeight(), 1.5f, SPixel{0, 0, 0, 255});
    c.drawTo(target, 0, 0);
    EXPECT_TRUE(samePixels(target, cleared(9, 8, 1.5f, SPixel{0, 0, 0, 255})));
    const auto font = assets::raw(EMBEDDED_ASSET(roboto_regular));
    const auto measured = [&](int size) { return c.setFont(font, size), c.measureText("abc"); };
    const float at14 = measured(14);
    EXPECT_FLOAT_EQ(measured(28), 2.0f * at14);
    EXPECT_FLOAT_EQ(measured(14), at14);
}
