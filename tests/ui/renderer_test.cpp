#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "ui/bitmap.h"
#include "ui/context.h"
#include "ui/generic_command.h"
#include "ui/iconset.h"
#include "ui/renderer.h"
#include "ui_harness.h"

namespace {

constexpr SPixel opaqueBlack{0, 0, 0, 255};
constexpr SPixel red{255, 0, 0, 255};
constexpr SPixel blue{0, 0, 255, 255};

void pushRect(gui_Context* ctx, gui_Rect r, SPixel c) {
    auto* cmd = gui_push_command(ctx, GUI_COMMAND_RECT, sizeof(gui_RectCommand));
    cmd->rect.rect = r;
    cmd->rect.color = Color(c);
}

void pushClip(gui_Context* ctx, gui_Rect r) {
    auto* cmd = gui_push_command(ctx, GUI_COMMAND_CLIP, sizeof(gui_ClipCommand));
    cmd->clip.rect = r;
}

void pushText(gui_Context* ctx, Font* font, const char* text, gui_Vec2 pos, SPixel c) {
    const int size = static_cast<int>(sizeof(gui_TextCommand) + std::strlen(text));
    auto* cmd = gui_push_command(ctx, GUI_COMMAND_TEXT, size);
    cmd->text.font = font;
    cmd->text.pos = pos;
    cmd->text.color = Color(c);
    std::memcpy(cmd->text.str, text, std::strlen(text) + 1);
}

void pushIcon(gui_Context* ctx, int id, gui_Rect r, SPixel c) {
    auto* cmd = gui_push_command(ctx, GUI_COMMAND_ICON, sizeof(gui_IconCommand));
    cmd->icon.id = id;
    cmd->icon.rect = r;
    cmd->icon.color = Color(c);
}

bool same(SPixel a, SPixel b) { return a == b; }

struct RendererTest : ::testing::Test {
    UIHarness ui;
    ScriptedDelegate delegate;

    void renderInto(Bitmap& target, const UIIconSet& icons = whiteIcons(18)) {
        UIRenderer renderer(target, ui.ctx.get(), icons, delegate);
        renderer.render();
    }
};

}  // namespace

TEST_F(RendererTest, ContextIsTheBitmapSizeInUnits) {
    Bitmap target(61, 41, 2.0f);
    UIContext seen{};
    delegate.describe = [&](UIContext& c) { seen = c; };
    renderInto(target);
    EXPECT_EQ(seen.ctx, ui.ctx.get());
    EXPECT_EQ(seen.width, 30);
    EXPECT_EQ(seen.height, 20);
    EXPECT_EQ(seen.backingScale, 2.0f);
}

TEST_F(RendererTest, FrameStartsFromOpaqueBlack) {
    Bitmap target(8, 8, 1.0f);
    surfClear(target.surfHandle(), SPixel{10, 20, 30, 40});
    surfClip(target.surfHandle(), 2, 2, 1, 1);
    renderInto(target);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(same(target.surfHandle()->pix[i], opaqueBlack)) << i;
}

TEST_F(RendererTest, RectanglesScaleWithTheBackingScale) {
    Bitmap target(40, 40, 2.0f);
    delegate.describe = [&](UIContext& c) { pushRect(c.ctx, gui_rect(10, 10, 5, 5), red); };
    renderInto(target);
    Surf* s = target.surfHandle();
    EXPECT_TRUE(same(surfGet(s, 20, 20), red));
    EXPECT_TRUE(same(surfGet(s, 29, 29), red));
    EXPECT_TRUE(same(surfGet(s, 30, 30), opaqueBlack));
    EXPECT_TRUE(same(surfGet(s, 19, 20), opaqueBlack));
}

TEST_F(RendererTest, RectanglesLandOnWholePixelsAtFractionalScales) {
    Bitmap target(30, 12, 1.5f);
    delegate.describe = [&](UIContext& c) {
        // Two boxes meeting at unit 3, and one-unit lines at odd and even units.
        pushRect(c.ctx, gui_rect(0, 0, 3, 2), red);
        pushRect(c.ctx, gui_rect(3, 0, 4, 2), blue);
        pushRect(c.ctx, gui_rect(10, 4, 1, 1), red);
        pushRect(c.ctx, gui_rect(13, 4, 1, 1), red);
    };
    renderInto(target);
    const Surf* s = target.surfHandle();
    // Unit 3 is pixel 4.5, which rounds to 5: the boxes meet there, no gap, no overlap.
    EXPECT_TRUE(same(surfGet(s, 4, 0), red));
    EXPECT_TRUE(same(surfGet(s, 5, 0), blue));
    EXPECT_TRUE(same(surfGet(s, 10, 2), blue));
    EXPECT_TRUE(same(surfGet(s, 11, 2), opaqueBlack));
    EXPECT_TRUE(same(surfGet(s, 5, 3), opaqueBlack));
    // Each one-unit square is two pixels each way, wherever it falls.
    for (const int left : {15, 20}) {
        int covered = 0;
        for (int x = left - 1; x <= left + 3; ++x) covered += same(surfGet(s, x, 6), red) ? 1 : 0;
        EXPECT_EQ(covered, 2) << left;
    }
}

TEST_F(RendererTest, IconsScaleSmoothlyWithTheBackingScale) {
    Bitmap target(100, 100, 2.0f);
    // Left half white, right half transparent: scaled up, the edge fades
    // over a pixel or two instead of stepping.
    auto half = std::shared_ptr<Surf>(surfBitmap(4, 4), surfFree);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) surfPlot(half.get(), x, y, {255, 255, 255, 255});
    const UIIconSet icons(half, half, half, half);
    delegate.describe = [&](UIContext& c) { pushIcon(c.ctx, GUI_ICON_CHECK, gui_rect(10, 10, 8, 8), red); };
    renderInto(target, icons);
    const Surf* s = target.surfHandle();
    // The 4-unit icon is centred in the 8-unit cell: units 12 to 16, pixels 24 to 32.
    EXPECT_TRUE(same(surfGet(s, 24, 28), red));
    EXPECT_TRUE(same(surfGet(s, 23, 28), opaqueBlack));
    EXPECT_TRUE(same(surfGet(s, 31, 28), opaqueBlack));
    const SPixel edge = surfGet(s, 28, 28);
    EXPECT_GT(edge.r, 0);
    EXPECT_LT(edge.r, 255) << "blended across the edge";
    EXPECT_EQ(edge.g, 0);
}

TEST_F(RendererTest, ClipsCoverEveryPixelTheyTouch) {
    EXPECT_EQ((geo::Rect(0.25f, 0.25f, 1, 1) * 2.0f).integerBounds(), geo::Rect(0, 0, 3, 3));
    EXPECT_EQ(geo::Rect(1.5f, 2.25f, 2, 2).integerBounds(), geo::Rect(1, 2, 3, 3));

    Bitmap target(40, 40, 2.0f);
    delegate.describe = [&](UIContext& c) { pushClip(c.ctx, gui_rect(3, 4, 5, 6)); };
    renderInto(target);
    const Surf* s = target.surfHandle();
    EXPECT_EQ(s->cx, 6);
    EXPECT_EQ(s->cy, 8);
    EXPECT_EQ(s->cw, 10);
    EXPECT_EQ(s->ch, 12);
}

TEST_F(RendererTest, TextGoesToItsFontInUnitsAndANullFontIsSkipped) {
    Bitmap target(40, 40, 2.0f);
    FakeFont other(1, 2);
    delegate.describe = [&](UIContext& c) {
        pushText(c.ctx, nullptr, "skipped", gui_vec2(0, 0), blue);
        pushText(c.ctx, &other, "ab", gui_vec2(3, 4), blue);
        pushRect(c.ctx, gui_rect(15, 15, 1, 1), red);
    };
    renderInto(target);
    ASSERT_EQ(other.drawn.size(), 1u);
    EXPECT_EQ(other.drawn[0].text, "ab");
    EXPECT_EQ(other.drawn[0].x, 3);
    EXPECT_EQ(other.drawn[0].y, 4);
    EXPECT_TRUE(same(surfGet(target.surfHandle(), 6, 8), blue));
    EXPECT_TRUE(same(surfGet(target.surfHandle(), 30, 30), red));
}

TEST_F(RendererTest, IconsAreCentredInTheirCellAndTinted) {
    Bitmap target(200, 100, 1.0f);
    delegate.describe = [&](UIContext& c) { pushIcon(c.ctx, GUI_ICON_CHECK, gui_rect(100, 50, 24, 24), blue); };
    renderInto(target);
    Surf* s = target.surfHandle();
    EXPECT_TRUE(same(surfGet(s, 103, 53), blue));
    EXPECT_TRUE(same(surfGet(s, 120, 70), blue));
    EXPECT_TRUE(same(surfGet(s, 102, 53), opaqueBlack));
    EXPECT_TRUE(same(surfGet(s, 103, 52), opaqueBlack));
    EXPECT_TRUE(same(surfGet(s, 121, 70), opaqueBlack));
}

TEST_F(RendererTest, IconIdentifiersSelectTheSetInOrder) {
    Bitmap target(100, 20, 1.0f);
    // Sizes tell the four icons apart: the icon for id n is n pixels square.
    UIIconSet icons(solidBitmap(1, 1, {255, 255, 255, 255}), solidBitmap(2, 2, {255, 255, 255, 255}),
                    solidBitmap(3, 3, {255, 255, 255, 255}), solidBitmap(4, 4, {255, 255, 255, 255}));
    delegate.describe = [&](UIContext& c) {
        for (int id = GUI_ICON_CLOSE; id <= GUI_ICON_EXPANDED; ++id) pushIcon(c.ctx, id, gui_rect(id * 20, 0, 0, 0), red);
        pushIcon(c.ctx, 0, gui_rect(0, 0, 10, 10), red);   // not an icon: ignored
        pushIcon(c.ctx, 99, gui_rect(0, 0, 10, 10), red);  // not an icon: ignored
    };
    renderInto(target, icons);
    Surf* s = target.surfHandle();
    for (int id = 1; id <= 4; ++id) {
        // Centred in a zero-size cell: the icon starts at x - n / 2.
        const int left = id * 20 - id / 2;
        EXPECT_TRUE(same(surfGet(s, left + id - 1, id - 1 - id / 2), red)) << id;
        EXPECT_TRUE(same(surfGet(s, left + id, 0), opaqueBlack)) << id;
    }
    EXPECT_TRUE(same(surfGet(s, 5, 5), opaqueBlack));
}

TEST_F(RendererTest, GenericDrawersRunWithTheTargetAndAreDestroyedAfterReplay) {
    Bitmap target(40, 40, 2.0f);
    auto captured = std::make_shared<int>(0);
    geo::Rect seen;
    delegate.describe = [&](UIContext& c) {
        for (int i = 0; i < 3; ++i) {
            pushGenericDrawCommand(c.ctx, geo::Rect(1.5f, 2, 3, 4), [captured, &seen](Bitmap& b, geo::Rect& r) {
                ++*captured;
                seen = r;
                surfFill(b.surfHandle(), 0, 0, 1, 1, red);
            });
            // A text record of odd length shifts the next slot off any alignment.
            pushText(c.ctx, nullptr, "x", gui_vec2(0, 0), red);
        }
    };
    renderInto(target);
    EXPECT_EQ(*captured, 3);
    EXPECT_EQ(seen, geo::Rect(1.5f, 2, 3, 4));
    EXPECT_EQ(captured.use_count(), 1);
    EXPECT_TRUE(same(surfGet(target.surfHandle(), 0, 0), red));
}

TEST_F(RendererTest, EmptyDrawerThrowsAndStillReleasesTheOtherCommands) {
    Bitmap target(10, 10, 1.0f);
    auto captured = std::make_shared<int>(0);
    delegate.describe = [&](UIContext& c) {
        pushGenericDrawCommand(c.ctx, geo::Rect(), GenericDrawer());
        pushGenericDrawCommand(c.ctx, geo::Rect(), [captured](Bitmap&, geo::Rect&) { ++*captured; });
    };
    EXPECT_THROW(renderInto(target), std::bad_function_call);
    EXPECT_EQ(*captured, 0);
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(RendererCallbacks, TextWidthMeasuresAtMostTheString) {
    auto ctx = std::make_unique<gui_Context>();
    gui_init(ctx.get());
    prepareContext(ctx.get());
    FakeFont font(3, 11);
    Font* handle = &font;
    EXPECT_EQ(ctx->text_width(handle, "hello", -1), 15);
    EXPECT_EQ(ctx->text_width(handle, "hello", 2), 6);
    EXPECT_EQ(ctx->text_width(handle, "hello", 50), 15);
    EXPECT_EQ(ctx->text_width(handle, "", -1), 0);
    EXPECT_EQ(ctx->text_height(handle), 11);
}
