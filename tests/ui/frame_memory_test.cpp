#include <gtest/gtest.h>

#include <string>

#include "ui/frame_memory.h"
#include "ui/generic_command.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

struct FrameMemoryTest : ::testing::Test {
    UIHarness ui{100, 50};
    Bitmap target{100, 50, 1.0f};
    FrameMemory memory;
    std::string label = "Go";

    // Describes one frame of a button and asks whether it repeats the last one drawn.
    bool frameRepeats(Bitmap& into) {
        ui.frame([&](UIToolkit& t) { t.button(label); });
        return memory.repeats(*ui.ctx, into);
    }
};

}  // namespace

TEST_F(FrameMemoryTest, OnlyAnIdenticalFrameIntoTheSameBitmapRepeats) {
    gui_input_mousemove(ui.ctx.get(), -10, -10);
    EXPECT_FALSE(frameRepeats(target)) << "nothing drawn yet";
    frameRepeats(target);  // a new root window settles in its second frame
    EXPECT_TRUE(frameRepeats(target));

    label = "Stop";
    EXPECT_FALSE(frameRepeats(target));
    EXPECT_TRUE(frameRepeats(target));

    // The pointer comes to rest on the button; the hover shows within two frames.
    gui_input_mousemove(ui.ctx.get(), 5, 5);
    const bool first = frameRepeats(target);
    EXPECT_FALSE(first && frameRepeats(target));
    EXPECT_TRUE(frameRepeats(target));

    Bitmap larger(120, 50, 1.0f);
    EXPECT_FALSE(frameRepeats(larger));
    larger.setBackingScale(2.0f);
    EXPECT_FALSE(frameRepeats(larger)) << "same pixels, other scale";
    EXPECT_TRUE(frameRepeats(larger));
}

TEST_F(FrameMemoryTest, FramesWithCustomDrawingAlwaysDraw) {
    const auto customFrame = [&] {
        ui.frame([](UIToolkit& t) {
            pushGenericDrawCommand(&t.context(), geo::Rect(0, 0, 1, 1), [](Bitmap&, geo::Rect&) {});
        });
        const bool repeats = memory.repeats(*ui.ctx, target);
        ScriptedDelegate unused;
        UIRenderer(target, ui.ctx.get(), whiteIcons(1), unused).replay();  // destroys the drawers
        return repeats;
    };
    EXPECT_FALSE(customFrame());
    EXPECT_FALSE(customFrame());
}
