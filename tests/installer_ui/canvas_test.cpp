#include <gtest/gtest.h>

#include <stdexcept>

#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/colors.h"

namespace {

SPixel pixelAt(const Bitmap& bmp, int x, int y)
{
    return surfGet(bmp.surfHandle(), x, y);
}

const SPixel black{0, 0, 0, 255};
const SPixel red{255, 0, 0, 255};

} // namespace

TEST(Canvas, DrawsInUnitsAndBlendsOntoTheTargetInPixels)
{
    Canvas c(8, 8, 2.0f);
    c.reset();
    c.setFill(Color(255, 0, 0));
    c.fillRectangle(1, 1, 2, 2);

    Bitmap target(20, 20, 2.0f);
    surfClear(target.surfHandle(), black);
    c.drawTo(target, 3, 4);
    // Units (1..3) are pixels (2..6) of the canvas, placed from pixel (3, 4).
    EXPECT_EQ(pixelAt(target, 3 + 2, 4 + 2), red);
    EXPECT_EQ(pixelAt(target, 3 + 5, 4 + 5), red);
    EXPECT_EQ(pixelAt(target, 3 + 1, 4 + 2), black);
    EXPECT_EQ(pixelAt(target, 3 + 6, 4 + 5), black);
}

TEST(Canvas, ResetWithAnOpaqueFillErasesEverything)
{
    // At 1.5 the canvas is 9 by 8 pixels, the last row only half inside the
    // logical 5 units: it must be erased all the same.
    for (const float scale : { 1.0f, 1.5f }) {
        Canvas c(6, 5, scale);
        c.resetTransform();
        c.setFill(Color(255, 0, 0));
        c.fillRectangle(0, 0, 6, 6);
        c.setFill(Color(0, 0, 0));
        c.reset();

        Bitmap target(c.pixelWidth(), c.pixelHeight(), scale);
        surfClear(target.surfHandle(), black);
        c.drawTo(target, 0, 0);
        for (int y = 0; y < c.pixelHeight(); ++y)
            for (int x = 0; x < c.pixelWidth(); ++x)
                ASSERT_EQ(pixelAt(target, x, y), black) << scale << ": " << x << "," << y;
    }
}

TEST(Canvas, LoadsAFontOnceAndThenOnlyChangesItsSize)
{
    const auto font = assets::raw(EMBEDDED_ASSET(roboto_regular));
    Canvas c(10, 10, 1.0f);
    c.setFont(font, 14);
    const float at14 = c.measureText("abc");
    c.setFont(font, 28);
    EXPECT_FLOAT_EQ(c.measureText("abc"), 2.0f * at14);
    c.setFont(font, 14);
    EXPECT_FLOAT_EQ(c.measureText("abc"), at14);

    // Another face is parsed anew.
    c.setFont(assets::raw(EMBEDDED_ASSET(roboto_bold)), 14);
    EXPECT_GT(c.measureText("abc"), 0.0f);
}

TEST(Canvas, RefusesDataThatIsNoFont)
{
    static const unsigned char junk[16] = {};
    Canvas c(10, 10, 1.0f);
    EXPECT_THROW(c.setFont(std::span<const unsigned char>(junk), 14), std::runtime_error);
}
