#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "ui/debugdialog.h"
#include "ui_harness.h"

namespace {

using namespace std::chrono_literals;
using Clock = DebugDialog::Clock;

const Clock::time_point start = Clock::time_point{} + 5s;

}  // namespace

TEST(DebugDialogRate, TwoFramesWithinAMicrosecondLeaveTheRateFinite) {
    DebugDialog dialog;
    dialog.frameAt(start);
    dialog.frameAt(start + 16ms);
    const float before = dialog.fps();
    dialog.frameAt(start + 16ms);        // the same instant
    dialog.frameAt(start + 16ms + 999ns);  // less than a microsecond later
    EXPECT_TRUE(std::isfinite(dialog.fps()));
    EXPECT_EQ(dialog.fps(), before);
    dialog.frameAt(start + 32ms);
    EXPECT_TRUE(std::isfinite(dialog.fps()));
    EXPECT_GT(dialog.fps(), before);
}

TEST(DebugDialogRate, ApproachesASteadyRate) {
    DebugDialog dialog;
    Clock::time_point now = start;
    dialog.frameAt(now);  // the first frame, a long way from tick 0, changes nothing
    EXPECT_EQ(dialog.fps(), 0.0f);
    for (int i = 0; i < 60; ++i) dialog.frameAt(now += 16667us);
    // 1 - 0.95^60 of the way there.
    EXPECT_NEAR(dialog.fps(), 60.0f * (1.0f - std::pow(0.95f, 60.0f)), 0.1f);
    EXPECT_GT(dialog.fps(), 0.95f * 60.0f);
}

TEST(DebugDialogRate, PausesAndClockStepsBackDoNotCount) {
    DebugDialog dialog;
    Clock::time_point now = start;
    dialog.frameAt(now);
    for (int i = 0; i < 10; ++i) dialog.frameAt(now += 10ms);
    const float steady = dialog.fps();
    dialog.frameAt(now += 2s);
    EXPECT_EQ(dialog.fps(), steady);
    dialog.frameAt(now -= 5ms);
    EXPECT_EQ(dialog.fps(), steady);
}

namespace {

struct DialogFrames {
    UIHarness ui{500, 350};
    DebugDialog dialog;

    void frame(int keysDown, int keysPressed) {
        ui.ctx->key_down = keysDown;
        ui.ctx->key_pressed = keysPressed;
        gui_begin(ui.ctx.get());
        dialog.render(ui.uic);
        gui_end(ui.ctx.get());
    }
};

}  // namespace

TEST(DebugDialogToggle, ShiftReturnShowsAndHidesItAlone) {
    DialogFrames f;
    f.frame(GUI_KEY_RETURN, GUI_KEY_RETURN);
    EXPECT_FALSE(f.dialog.visible());
    f.frame(GUI_KEY_SHIFT, GUI_KEY_SHIFT);
    EXPECT_FALSE(f.dialog.visible());
    f.frame(GUI_KEY_SHIFT | GUI_KEY_RETURN, GUI_KEY_RETURN);
    EXPECT_TRUE(f.dialog.visible());
    f.frame(GUI_KEY_SHIFT | GUI_KEY_RETURN, 0);  // still held: no new press
    EXPECT_TRUE(f.dialog.visible());
    f.frame(GUI_KEY_SHIFT | GUI_KEY_RETURN, GUI_KEY_RETURN);
    EXPECT_FALSE(f.dialog.visible());
}

TEST(DebugDialogToggle, ShownDialogIsCentredWithItsThreeLines) {
    DialogFrames f;
    auto font = std::make_shared<FakeFont>(1, 10);
    f.dialog.setFont(font);
    const gui_Style before = *f.ui.ctx->style;
    f.frame(GUI_KEY_SHIFT | GUI_KEY_RETURN, GUI_KEY_RETURN);
    EXPECT_EQ(f.ui.ctx->style->font, before.font);  // the style is restored

    const gui_Container* window = gui_get_container(f.ui.ctx.get(), "Debuginfo");
    EXPECT_EQ(window->rect.x, 125);
    EXPECT_EQ(window->rect.y, 44);
    EXPECT_EQ(window->rect.w, 250);
    EXPECT_EQ(window->rect.h, 262);

    std::vector<std::string> lines;
    gui_Command* cmd = nullptr;
    while (gui_next_command(f.ui.ctx.get(), &cmd)) {
        if (cmd->type == GUI_COMMAND_TEXT && cmd->text.font == static_cast<Font*>(font.get())) {
            lines.emplace_back(cmd->text.str);
        }
    }
    ASSERT_EQ(lines.size(), 4u);  // the title and the three lines
    EXPECT_EQ(lines[0], "Debuginfo");
    EXPECT_EQ(lines[1], "UI: 500x350");
    EXPECT_EQ(lines[2], "Backing scale: 1.000000");
    EXPECT_EQ(lines[3], "FPS: 0");
}
