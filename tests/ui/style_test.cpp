#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include "fake_font.h"
#include "guicore/guicore.h"
#include "ui/colors.h"
#include "ui/style.h"

namespace {

struct StyleTest : ::testing::Test {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    StyleTest() { gui_init(ctx.get()); }

    bool styleEquals(const gui_Style& s) const { return std::memcmp(ctx->style, &s, sizeof s) == 0; }
};

bool sameColor(gui_Color a, gui_Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

}  // namespace

TEST(ColorTest, ViewsShareTheBytes) {
    const gui_Color accent = Color::ACCENT;
    EXPECT_TRUE(sameColor(accent, gui_color(255, 204, 71, 255)));
    EXPECT_EQ(static_cast<const SPixel&>(Color(gui_color(4, 5, 6, 7))), (SPixel{4, 5, 6, 7}));
    EXPECT_EQ(static_cast<const SPixel&>(Color(1, 2, 3)), (SPixel{1, 2, 3, 255}));
    const Color c(255, 0, 51, 102);
    EXPECT_FLOAT_EQ(c.blue(), 0.2f);
    EXPECT_FLOAT_EQ(c.alpha(), 0.4f);
}

TEST(ColorTest, PixelOrderIsStrictAndTotal) {
    const SPixel a{1, 2, 3, 4}, b{1, 2, 3, 5}, c{0, 9, 9, 9};
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_FALSE(a < a);
    EXPECT_TRUE(c < a);
    EXPECT_NE(a, b);
    std::set<SPixel> set{a, b, c, a};
    EXPECT_EQ(set.size(), 3u);
}

TEST(ColorTest, PaletteExtractionKeepsFirstAppearanceOrder) {
    std::unique_ptr<Surf, void (*)(Surf*)> bmp(surfBitmap(2, 2), surfFree);
    const SPixel A{1, 1, 1, 255}, B{2, 2, 2, 255}, C{3, 3, 3, 0};
    bmp->pix[0] = A;
    bmp->pix[1] = B;
    bmp->pix[2] = A;
    bmp->pix[3] = C;
    const std::vector<Color> colors = extractColorsFromPalette(*bmp);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(static_cast<const SPixel&>(colors[0]), A);
    EXPECT_EQ(static_cast<const SPixel&>(colors[1]), B);
    EXPECT_EQ(static_cast<const SPixel&>(colors[2]), C);

    Surf empty{};
    EXPECT_TRUE(extractColorsFromPalette(empty).empty());
}

TEST_F(StyleTest, PaletteWritesOnlyTheRolesItSets) {
    const gui_Style before = *ctx->style;
    {
        UIStyle style(ctx.get());
        style.palette(UIStyle::Palette{});
        EXPECT_TRUE(styleEquals(before));

        UIStyle::Palette hoverOnly;
        hoverOnly.buttonHover = Color::ACCENT;
        style.palette(hoverOnly);
        for (int slot = 0; slot < GUI_COLOR_MAX; ++slot) {
            const gui_Color expected = slot == GUI_COLOR_BUTTONHOVER ? gui_Color(Color::ACCENT) : before.colors[slot];
            EXPECT_TRUE(sameColor(ctx->style->colors[slot], expected)) << slot;
        }
    }
    EXPECT_TRUE(styleEquals(before));
}

TEST_F(StyleTest, EveryRoleMapsToItsSlot) {
    UIStyle::Palette p;
    std::optional<Color>* roles[] = {&p.text,       &p.border,     &p.windowBackground, &p.titleBackground,
                                     &p.titleText,  &p.panelBackground, &p.button,      &p.buttonHover,
                                     &p.buttonFocus, &p.base,      &p.baseHover,        &p.baseFocus,
                                     &p.scrollBase, &p.scrollThumb};
    for (int slot = 0; slot < GUI_COLOR_MAX; ++slot) *roles[slot] = Color(slot, 0, 0, 255);
    GuiPalette colors{};
    p.update(colors);
    for (int slot = 0; slot < GUI_COLOR_MAX; ++slot) EXPECT_EQ(colors[slot].r, slot);
}

TEST_F(StyleTest, EndingRestoresTheWholeStyle) {
    const gui_Style before = *ctx->style;
    auto font = std::make_shared<FakeFont>();
    std::weak_ptr<FakeFont> watch = font;
    {
        UIStyle style(ctx.get());
        style.padding(0).spacing(2).font(font).baseSize(1, 2).indent(3).titleHeight(4).scrollbarSize(5).thumbSize(6)
            .color(GUI_COLOR_TEXT, Color::DARK)
            .color(GUI_COLOR_MAX, Color::DARK)
            .color(-1, Color::DARK);
        font.reset();
        EXPECT_EQ(ctx->style->padding, 0);
        EXPECT_EQ(ctx->style->spacing, 2);
        EXPECT_EQ(ctx->style->font, static_cast<Font*>(watch.lock().get()));
        EXPECT_EQ(ctx->style->size.x, 1);
        EXPECT_EQ(ctx->style->size.y, 2);
        EXPECT_EQ(ctx->style->indent, 3);
        EXPECT_EQ(ctx->style->title_height, 4);
        EXPECT_EQ(ctx->style->scrollbar_size, 5);
        EXPECT_EQ(ctx->style->thumb_size, 6);
        EXPECT_TRUE(sameColor(ctx->style->colors[GUI_COLOR_TEXT], Color::DARK));
        EXPECT_FALSE(watch.expired());  // the override keeps its font alive
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(styleEquals(before));
}

TEST_F(StyleTest, NestedOverridesRestoreInTurn) {
    const gui_Style original = *ctx->style;
    {
        UIStyle outer(ctx.get());
        outer.padding(16).spacing(8);
        const gui_Style afterOuter = *ctx->style;
        {
            UIStyle inner(ctx.get());
            inner.padding(0).spacing(2);
            EXPECT_EQ(ctx->style->padding, 0);
        }
        EXPECT_TRUE(styleEquals(afterOuter));
        // A change made directly while an override is open is lost when it ends.
        ctx->style->indent = 99;
    }
    EXPECT_TRUE(styleEquals(original));
}
