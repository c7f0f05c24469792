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
