#include <gtest/gtest.h>

#include <cstring>

#include "ui/frame_memory.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

constexpr SPixel black{0, 0, 0, 255}, red{255, 0, 0, 255}, blue{0, 0, 255, 255};

template <typename Record>
Record& push(gui_Context* ctx, int type, int extra = 0) {
    return *reinterpret_cast<Record*>(gui_push_command(ctx, type, static_cast<int>(sizeof(Record)) + extra));
}

void pushRect(gui_Context* ctx, gui_Rect r, SPixel c) {
    auto& cmd = push<gui_RectCommand>(ctx, GUI_COMMAND_RECT);
    cmd.rect = r;
    cmd.color = Color(c);
}

void pushText(gui_Context* ctx, Font* font, const char* text, gui_Vec2 pos) {
    auto& cmd = push<gui_TextCommand>(ctx, GUI_COMMAND_TEXT, static_cast<int>(std::strlen(text)));
    cmd.font = font;
    cmd.pos = pos;
    cmd.color = Color(blue);
    std::memcpy(cmd.str, text, std::strlen(text) + 1);
}

void pushIcon(gui_Context* ctx, int id, gui_Rect r) {
    auto& cmd = push<gui_IconCommand>(ctx, GUI_COMMAND_ICON);
    cmd.rect = r;
    cmd.id = id;
    cmd.color = Color(red);
}

struct RendererTest : ::testing::Test {
    UIHarness ui;
    ScriptedDelegate delegate;
    void renderInto(Bitmap& target, const UIIconSet& icons = whiteIcons(18)) {
        UIRenderer(target, ui.ctx.get(), icons, delegate).render();
    }
};

}  // namespace

TEST_F(RendererTest, ReplaysRectsTextAndClipsInUnitsOverOpaqueBlack) {
    Bitmap target(61, 41, 2.0f);
    surfClear(target.surfHandle(), SPixel{10, 20, 30, 40});
    surfClip(target.surfHandle(), 2, 2, 1, 1);
    FakeFont other(1, 2);
    UIContext seen{};
    delegate.describe = [&](UIContext& c) {
        seen = c;
        pushRect(c.ctx, gui_rect(10, 10, 5, 5), red);
        pushText(c.ctx, nullptr, "skipped", gui_vec2(0, 0));
        pushText(c.ctx, &other, "ab", gui_vec2(3, 4));
        push<gui_ClipCommand>(c.ctx, GUI_COMMAND_CLIP).rect = gui_rect(3, 4, 5, 6);
    };
    renderInto(target);
    EXPECT_EQ(seen.ctx, ui.ctx.get());
    EXPECT_EQ((std::array{seen.width, seen.height}), (std::array{30, 20})) << "the bitmap's size in units";
    EXPECT_EQ(seen.backingScale, 2.0f);
    const Surf* s = target.surfHandle();
    const std::pair<int, SPixel> pixels[] = {{20 * 61 + 20, red},   {29 * 61 + 29, red}, {30 * 61 + 30, black},
                                             {20 * 61 + 19, black}, {8 * 61 + 6, blue},  {40 * 61 + 60, black}};
    for (auto [at, color] : pixels) EXPECT_EQ(s->pix[at], color) << at;
    ASSERT_EQ(other.drawn.size(), 1u);
    EXPECT_EQ(other.drawn[0].text, "ab");
    EXPECT_EQ((std::array{other.drawn[0].x, other.drawn[0].y}), (std::array{3, 4}));
    EXPECT_EQ((std::array{s->cx, s->cy, s->cw, s->ch}), (std::array{6, 8, 10, 12})) << "every pixel touched";
    EXPECT_EQ((geo::Rect(0.25f, 0.25f, 1, 1) * 2.0f).integerBounds(), geo::Rect(0, 0, 3, 3));

    Font* handle = &other;  // the UI core measures through the font, at most the string
    EXPECT_EQ((std::array{ui.ctx->text_width(handle, "hello", -1), ui.ctx->text_width(handle, "hello", 2),
                          ui.ctx->text_width(handle, "hello", 50), ui.ctx->text_height(handle)}),
              (std::array{5, 2, 5, 2}));
}

// Edges used to fall between pixels at fractional scales, leaving gaps and overlaps.
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
    EXPECT_EQ(surfGet(s, 4, 0), red);
    EXPECT_EQ(surfGet(s, 5, 0), blue);
    EXPECT_EQ(surfGet(s, 10, 2), blue);
    EXPECT_EQ(surfGet(s, 11, 2), black);
    EXPECT_EQ(surfGet(s, 5, 3), black);
    for (const int left : {15, 20}) {  // each one-unit square is two pixels each way
        int covered = 0;
        for (int x = left - 1; x <= left + 3; ++x) covered += surfGet(s, x, 6) == red;
        EXPECT_EQ(covered, 2) << left;
    }
}

TEST_F(RendererTest, IconsAreChosenByIdCentredTintedAndScaledSmoothly) {
    Bitmap target(100, 20, 1.0f);
    // Sizes tell the four icons apart: the icon for id n is n pixels square.
    UIIconSet icons(solidBitmap(1, 1), solidBitmap(2, 2), solidBitmap(3, 3), solidBitmap(4, 4));
    delegate.describe = [&](UIContext& c) {
        for (int id = GUI_ICON_CLOSE; id <= GUI_ICON_EXPANDED; ++id) pushIcon(c.ctx, id, gui_rect(id * 20, 0, 0, 0));
        pushIcon(c.ctx, 0, gui_rect(0, 0, 10, 10));  // not icons: ignored
        pushIcon(c.ctx, 99, gui_rect(0, 0, 10, 10));
    };
    renderInto(target, icons);
    for (int id = 1; id <= 4; ++id) {  // centred in a zero-size cell: the icon starts at x - n / 2
        const int left = id * 20 - id / 2;
        EXPECT_EQ(surfGet(target.surfHandle(), left + id - 1, id - 1 - id / 2), red) << id;
        EXPECT_EQ(surfGet(target.surfHandle(), left + id, 0), black) << id;
    }
    EXPECT_EQ(surfGet(target.surfHandle(), 5, 5), black);

    // Left half white, right half transparent: scaled up, the edge fades instead of stepping.
    Bitmap large(100, 100, 2.0f);
    auto half = solidBitmap(4, 4, {0, 0, 0, 0});
    surfFill(half.get(), 0, 0, 2, 4, {255, 255, 255, 255});
    delegate.describe = [&](UIContext& c) { pushIcon(c.ctx, GUI_ICON_CHECK, gui_rect(10, 10, 8, 8)); };
    renderInto(large, UIIconSet(half, half, half, half));
    const Surf* s = large.surfHandle();  // units 12 to 16, pixels 24 to 32
    EXPECT_EQ(surfGet(s, 24, 28), red);
    EXPECT_EQ(surfGet(s, 23, 28), black);
    EXPECT_EQ(surfGet(s, 31, 28), black);
    const SPixel edge = surfGet(s, 28, 28);
    EXPECT_TRUE(edge.r > 0 && edge.r < 255 && edge.g == 0) << "blended across the edge";
}

// A throwing drawer used to leak the generic draw commands after it.
TEST_F(RendererTest, GenericDrawersRunOnceAndAreDestroyedEvenWhenOneThrows) {
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
            pushText(c.ctx, nullptr, "x", gui_vec2(0, 0));  // shifts the next record off any alignment
        }
    };
    renderInto(target);
    EXPECT_EQ(*captured, 3);
    EXPECT_EQ(seen, geo::Rect(1.5f, 2, 3, 4));
    EXPECT_EQ(captured.use_count(), 1);
    EXPECT_EQ(surfGet(target.surfHandle(), 0, 0), red);

    delegate.describe = [&](UIContext& c) {
        pushGenericDrawCommand(c.ctx, geo::Rect(), GenericDrawer());
        pushGenericDrawCommand(c.ctx, geo::Rect(), [captured](Bitmap&, geo::Rect&) { ++*captured; });
    };
    EXPECT_THROW(renderInto(target), std::bad_function_call);
    EXPECT_EQ(*captured, 3);
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(Style, OverridesRestoreInTurnAndPalettesSetOnlyTheirRoles) {
    UIHarness ui;
    gui_Style& s = *ui.ctx->style;
    const gui_Style original = s;
    auto font = std::make_shared<FakeFont>();
    std::weak_ptr<FakeFont> watch = font;
    {
        UIStyle outer(ui.ctx.get());
        outer.padding(0).spacing(2).font(font).baseSize(1, 2).indent(3).titleHeight(4).scrollbarSize(5).thumbSize(6);
        outer.color(GUI_COLOR_TEXT, Color::DARK).color(GUI_COLOR_MAX, Color::DARK).color(-1, Color::DARK);
        font.reset();
        EXPECT_EQ((std::array{s.padding, s.spacing, s.size.x, s.size.y, s.indent, s.title_height, s.scrollbar_size,
                              s.thumb_size}),
                  (std::array{0, 2, 1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(s.font, static_cast<Font*>(watch.lock().get())) << "the override keeps its font alive";
        const gui_Style afterOuter = s;
        {
            UIStyle inner(ui.ctx.get());
            inner.palette(UIStyle::Palette{});
            EXPECT_EQ(std::memcmp(&s, &afterOuter, sizeof s), 0);
            UIStyle::Palette hoverOnly;
            hoverOnly.buttonHover = Color::ACCENT;
            inner.palette(hoverOnly).spacing(9);
            gui_Style expected = afterOuter;
            expected.colors[GUI_COLOR_BUTTONHOVER] = Color::ACCENT;
            EXPECT_EQ(std::memcmp(s.colors, expected.colors, sizeof s.colors), 0);
        }
        EXPECT_EQ(std::memcmp(&s, &afterOuter, sizeof s), 0);
        EXPECT_EQ(static_cast<const SPixel&>(Color(s.colors[GUI_COLOR_TEXT])), static_cast<const SPixel&>(Color::DARK));
        s.indent = 99;  // changed directly while an override is open: lost when it ends
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(std::memcmp(&s, &original, sizeof s), 0);
}

TEST(Style, PaletteExtractionKeepsDistinctColoursInFirstAppearanceOrder) {
    auto bmp = solidBitmap(2, 2);
    const SPixel a{1, 2, 3, 4}, b{1, 2, 3, 5}, c{0, 9, 9, 9};
    bmp->pix[0] = a, bmp->pix[1] = b, bmp->pix[2] = a, bmp->pix[3] = c;
    std::vector<SPixel> colors;
    for (const Color& color : extractColorsFromPalette(*bmp)) colors.push_back(color);
    EXPECT_EQ(colors, (std::vector<SPixel>{a, b, c}));
    EXPECT_TRUE(extractColorsFromPalette(Surf{}).empty());
}

TEST(FrameMemoryTest, OnlyAnIdenticalFrameIntoTheSameBitmapRepeats) {
    UIHarness ui{100, 50};
    Bitmap target{100, 50, 1.0f}, larger(120, 50, 1.0f);
    FrameMemory memory;
    std::string label = "Go";
    const auto repeats = [&](Bitmap& into) {
        ui.frame([&](UIToolkit& t) { t.button(label); });
        return memory.repeats(*ui.ctx, into);
    };
    gui_input_mousemove(ui.ctx.get(), -10, -10);
    EXPECT_FALSE(repeats(target)) << "nothing drawn yet";
    repeats(target);  // a new root window settles in its second frame
    EXPECT_TRUE(repeats(target));
    label = "Stop";
    EXPECT_FALSE(repeats(target));
    EXPECT_TRUE(repeats(target));
    gui_input_mousemove(ui.ctx.get(), 5, 5);  // the hover shows within two frames
    const bool first = repeats(target);
    EXPECT_FALSE(first && repeats(target));
    EXPECT_TRUE(repeats(target));
    EXPECT_FALSE(repeats(larger));
    larger.setBackingScale(2.0f);
    EXPECT_FALSE(repeats(larger)) << "same pixels, other scale";
    EXPECT_TRUE(repeats(larger));

    for (int i = 0; i < 2; ++i) {  // frames with custom drawing always draw
        ui.frame([](UIToolkit& t) {
            pushGenericDrawCommand(&t.context(), geo::Rect(0, 0, 1, 1), [](Bitmap&, geo::Rect&) {});
        });
        EXPECT_FALSE(memory.repeats(*ui.ctx, target));
        ScriptedDelegate unused;
        UIRenderer(target, ui.ctx.get(), whiteIcons(1), unused).replay();  // destroys the drawers
    }
}
