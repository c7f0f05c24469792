#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/colors.h"
#include "ui/canvas.h"
#include "ui/font_canvas.h"
#include "ui/font.h"

namespace {

constexpr int fontSize = 14;
constexpr const char* longText = "The quick brown fox jumps over the lazy dog";
constexpr const char* shortText = "Egg";

TrueTypeFont regularFont()
{
    return TrueTypeFont(EMBEDDED_ASSET(roboto_regular), fontSize);
}

struct InkBox {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive; right < 0 when empty
    bool empty() const { return right < 0; }
};

// Pixels that differ from the background the target was cleared to.
InkBox inkBox(const Bitmap& bmp, SPixel background)
{
    InkBox box{bmp.width(), bmp.height(), -1, -1};
    const Surf* s = bmp.surfHandle();
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const SPixel p = s->pix[y * s->w + x];
            if (p == background)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

Bitmap clearedBitmap(int w, int h, float scale, SPixel color)
{
    Bitmap bmp(w, h, scale);
    surfClear(bmp.surfHandle(), color);
    return bmp;
}

bool samePixels(const Bitmap& a, const Bitmap& b)
{
    return a.width() == b.width() && a.height() == b.height()
        && std::memcmp(a.data(), b.data(), size_t(a.width()) * a.height() * 4) == 0;
}

const SPixel white{255, 255, 255, 255};

} // namespace

TEST(TrueTypeFontMetrics, WidthIsTheRoundedUpSumOfAdvances)
{
    TrueTypeFont font = regularFont();
    EXPECT_EQ(font.textWidth(""), 0);
    // Roboto Mono advances 1229 of 2048 units per character.
    EXPECT_EQ(font.textWidth("a"), 9);  // 8.40
    EXPECT_EQ(font.textWidth("abc"), 26); // 25.21
    EXPECT_EQ(font.textWidth(std::string(100, 'x')), 841); // 840.14
    // The length of the view counts, not a terminator beyond it.
    EXPECT_EQ(font.textWidth(std::string_view("abcdef", 3)), 26);
}

TEST(TrueTypeFontMetrics, LineBoxIsSizePlusTheInkBelowTheBaseline)
{
    TrueTypeFont font = regularFont();
    const int height = font.textHeight();
    EXPECT_GT(height, fontSize);
    EXPECT_LT(height, fontSize + fontSize / 2);

    // Drawn at the top of a line box, the probe's descenders reach exactly
    // the box's last row and nothing goes below it.
    Bitmap target = clearedBitmap(60, 40, 1.0f, white);
    font.drawTo(target, "yg", 5, 10, Color::DARK);
    InkBox box = inkBox(target, white);
    ASSERT_FALSE(box.empty());
    EXPECT_EQ(box.bottom, 10 + height - 1);
    // Glyph tops sit below the line box's top; x-height letters start well below it.
    EXPECT_GT(box.top, 10);
}

TEST(TrueTypeFontLoading, DataThatIsNoFontIsRefused)
{
    static const unsigned char junk[64] = { 'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't' };
    try {
        TrueTypeFont font(AssetRef{junk, sizeof junk, "junk"}, fontSize);
        FAIL() << "a font was built from junk";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Font loading failed");
    }
}

TEST(TrueTypeFontLoading, CopiesShareTheirCanvases)
{
    TrueTypeFont font = regularFont();
    TrueTypeFont copy = font;
    Bitmap target = clearedBitmap(100, 30, 1.0f, white);
    copy.drawTo(target, "shared", 0, 0, Color::DARK);
    ASSERT_NE(font.fontCanvas().canvas(), nullptr);
    EXPECT_EQ(font.fontCanvas().canvas(), copy.fontCanvas().canvas());
    const AssetRef regular = EMBEDDED_ASSET(roboto_regular);
    EXPECT_EQ(font.data().data(), regular.assetData);
}

class DrawingCanvas : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { font.setCaching(GetParam()); }
    TrueTypeFont font = regularFont();
};

TEST_P(DrawingCanvas, ShortStringAfterALongOneReusesTheCanvasAndShowsOnlyItself)
{
    Bitmap scratch = clearedBitmap(400, 30, 1.0f, white);
    font.drawTo(scratch, longText, 0, 0, Color::DARK);
    const Canvas* longCanvas = font.fontCanvas().canvas();

    Bitmap target = clearedBitmap(400, 30, 1.0f, white);
    font.drawTo(target, shortText, 0, 0, Color::DARK);
    EXPECT_EQ(font.fontCanvas().canvas(), longCanvas);

    TrueTypeFont fresh = regularFont();
    Bitmap expected = clearedBitmap(400, 30, 1.0f, white);
    fresh.drawTo(expected, shortText, 0, 0, Color::DARK);
    EXPECT_TRUE(samePixels(target, expected));
    EXPECT_LE(inkBox(target, white).right, font.textWidth(shortText));
}

TEST_P(DrawingCanvas, TranslucentTextLeavesNothingBehindForTheNextString)
{
    Bitmap scratch = clearedBitmap(400, 30, 1.0f, white);
    font.drawTo(scratch, longText, 0, 0, Color(17, 17, 17, 128));

    Bitmap target = clearedBitmap(400, 30, 1.0f, white);
    font.drawTo(target, shortText, 0, 0, Color::DARK);
    InkBox box = inkBox(target, white);
    EXPECT_LE(box.right, font.textWidth(shortText)) << "the long string shows through";

    TrueTypeFont fresh = regularFont();
    Bitmap expected = clearedBitmap(400, 30, 1.0f, white);
    fresh.drawTo(expected, shortText, 0, 0, Color::DARK);
    EXPECT_TRUE(samePixels(target, expected));
}

TEST_P(DrawingCanvas, WiderStringReplacesTheCanvasWithOneOfExactlyItsSize)
{
    Bitmap target = clearedBitmap(400, 30, 1.0f, white);
    font.drawTo(target, shortText, 0, 0, Color::DARK);
    font.drawTo(target, longText, 0, 0, Color::DARK);
    const Canvas* canvas = font.fontCanvas().canvas();
    EXPECT_EQ(canvas->width, font.textWidth(longText));
    EXPECT_EQ(canvas->height, font.textHeight());
}

TEST_P(DrawingCanvas, ScaleTwoDoublesPositionAndCanvas)
{
    Bitmap target = clearedBitmap(200, 80, 2.0f, white);
    font.drawTo(target, "Hy", 10, 5, Color::DARK);
    const Canvas* canvas = font.fontCanvas().canvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->backingScale, 2.0f);
    EXPECT_EQ(canvas->pixelWidth(), 2 * font.textWidth("Hy"));
    EXPECT_EQ(canvas->pixelHeight(), 2 * font.textHeight());

    InkBox box = inkBox(target, white);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, 20);
    EXPECT_LT(box.left, 20 + 4);
    EXPECT_GT(box.top, 10);
    EXPECT_EQ(box.bottom, 10 + 2 * font.textHeight() - 1); // the y descends to the box's foot
    EXPECT_LT(box.right, 20 + canvas->pixelWidth());

    // Switching back to scale 1 replaces the canvas even though it is big enough.
    Bitmap plain = clearedBitmap(200, 80, 1.0f, white);
    font.drawTo(plain, "Hy", 0, 0, Color::DARK);
    EXPECT_EQ(font.fontCanvas().canvas()->backingScale, 1.0f);
}

TEST_P(DrawingCanvas, EmptyTextDrawsNothing)
{
    Bitmap target = clearedBitmap(50, 30, 1.0f, white);
    font.drawTo(target, "", 3, 3, Color::DARK);
    EXPECT_TRUE(inkBox(target, white).empty());
}

INSTANTIATE_TEST_SUITE_P(CacheOnAndOff, DrawingCanvas, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Cached" : "Uncached"; });

TEST(FontCanvasSizing, KeepsALargerCanvasAndReplacesOnAnyShortfallOrOtherScale)
{
    TrueTypeFont::FontCanvas fc(fontSize);
    fc.ensureCanvas(100, 20, 1.0f);
    const Canvas* first = fc.canvas();
    ASSERT_NE(first, nullptr);

    fc.ensureCanvas(50, 10, 1.0f);
    EXPECT_EQ(fc.canvas(), first) << "a smaller request keeps the canvas";

    fc.ensureCanvas(120, 10, 1.0f);
    EXPECT_EQ(fc.canvas()->width, 120);
    EXPECT_EQ(fc.canvas()->height, 10) << "exactly the request, so it can shrink in height";

    fc.ensureCanvas(120, 10, 2.0f);
    EXPECT_EQ(fc.canvas()->backingScale, 2.0f);
    EXPECT_EQ(fc.canvas()->pixelWidth(), 240);
    EXPECT_EQ(fc.canvas()->pixelHeight(), 20);

    fc.ensureCanvas(60, 5, 1.5f);
    EXPECT_EQ(fc.canvas()->pixelWidth(), 90);
    EXPECT_EQ(fc.canvas()->pixelHeight(), 8) << "7.5 pixels round up";
}

// The string cache must be invisible: the same sequence of draws, with the
// cache on and off, leaves the same bytes, including clipped placements,
// translucent colours, a second scale and canvases that grow between draws.
TEST(TrueTypeFontCache, CachedDrawsMatchUncachedDrawsByteForByte)
{
    struct Draw {
        const char* text;
        int x, y;
        Color color;
    };
    const std::vector<Draw> draws = {
        { shortText, 4, 4, Color::DARK },
        { longText, 2, 20, Color::DARK },
        { shortText, 4, 40, Color::DARK },
        { "Cancelling...", -3, 60, Color(17, 17, 17, 128) },
        { "Installing...", 150, -6, Color::ACCENT },
        { longText, 300, 80, Color::LIGHT },
        { shortText, 4, 4, Color::DARK },
        { "(brackets) | pipes_ and [squares]", 0, 100, Color::DARK },
        { "Cancelling...", -3, 60, Color(17, 17, 17, 128) },
    };
    auto render = [&](bool caching, float scale) {
        TrueTypeFont font = regularFont();
        font.setCaching(caching);
        Bitmap target = clearedBitmap(int(420 * scale), int(130 * scale), scale, white);
        for (int round = 0; round < 2; ++round)
            for (const Draw& d : draws)
                font.drawTo(target, d.text, d.x, d.y, d.color);
        return target;
    };
    for (float scale : { 1.0f, 2.0f }) {
        SCOPED_TRACE(scale);
        EXPECT_TRUE(samePixels(render(true, scale), render(false, scale)));
    }
}
