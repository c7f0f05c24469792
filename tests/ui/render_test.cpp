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

void pushText(gui_Context* ctx, Font* font, const char* text, gui_Vec2 pos) {
    auto& cmd = push<gui_TextCommand>(ctx, GUI_COMMAND_TEXT, static_cast<int>(std::strlen(text)));
    cmd.font = font;
    cmd.pos = pos;
    cmd.color = Color(blue);
    std::memcpy(cmd.str, text, std::strlen(text) + 1);
}

struct RendererTest : ::testing::Test {
    UIHarness ui;
    ScriptedDelegate delegate;
    void renderInto(Bitmap& target, const UIIconSet& icons = whiteIcons(18)) {
        UIRenderer(target, ui.ctx.get(), icons, delegate).render();
    }
};

}  // namespace

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
