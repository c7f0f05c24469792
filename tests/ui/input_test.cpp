#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "fake_window_input.h"
#include "ui/debugdialog.h"
#include "ui_harness.h"

namespace {

using Seen = std::array<int, 4>;

struct InputBridgeTest : ::testing::Test {
    UIHarness ui{500, 350};
    gui_Context* ctx = ui.ctx.get();
    FakeInput input;
    MouseBridge mouse;
    KeyboardBridge keys;

    // The UI core's per-frame bits, cleared as gui_end would.
    void endFrame() {
        ctx->mouse_pressed = ctx->key_pressed = 0;
        ctx->input_text[0] = 0;
        ctx->scroll_delta = gui_vec2(0, 0);
    }
    std::array<int, 4> mouseFrame() {
        mouse.process(ctx, input);
        const std::array<int, 4> seen{ctx->mouse_pos.x, ctx->mouse_pos.y, ctx->mouse_down, ctx->mouse_pressed};
        endFrame();
        return seen;
    }
    bool keyFrame() {
        const bool sent = keys.process(ctx, input);
        endFrame();
        return sent;
    }
};

}  // namespace

TEST_F(InputBridgeTest, ButtonsReachTheCoreOneFrameLatePositionsAndWheelInUnitsAtOnce) {
    input.x = 10, input.y = 20, input.buttons = 1;  // frame N: the window layer sees the press
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, 0, 0}));
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, GUI_MOUSE_LEFT, GUI_MOUSE_LEFT}));
    input.buttons = 0;
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, GUI_MOUSE_LEFT, 0}));
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, 0, 0}));
    input.buttons = 4;  // the physical right button: the bits pass unchanged
    mouseFrame();
    EXPECT_EQ(mouseFrame()[2], GUI_MOUSE_MIDDLE);

    ctx->mouse_pos = gui_vec2(-1, -1);  // a still mouse sends nothing that would overwrite this
    EXPECT_EQ(mouseFrame()[0], -1);
    input.scale = 1.5f, input.x = 300, input.y = 7;
    EXPECT_EQ(mouseFrame(), (Seen{200, 4, GUI_MOUSE_MIDDLE, 0}));
    input.x = -1;  // left of the bitmap stays left of it
    EXPECT_EQ(mouseFrame()[0], -1);

    const int notch = static_cast<int>(MouseBridge::unitsPerNotch);
    const auto scrolled = [&](float x, float y) {
        input.wheelX = x, input.wheelY = y;
        mouse.process(ctx, input);
        const std::array<int, 2> seen{ctx->scroll_delta.x, ctx->scroll_delta.y};
        endFrame();
        return seen;
    };
    EXPECT_EQ(scrolled(0, 1), (std::array{0, notch}));  // toward the end of the content
    EXPECT_EQ(scrolled(0.5f, -2), (std::array{notch / 2, -2 * notch}));
    int total = 0;  // a smooth wheel's small steps add up instead of each rounding to nothing
    for (int i = 0; i < 10; ++i) total += scrolled(0, 1.0f / 128)[1];  // 0.47 units, exact in binary
    EXPECT_EQ(total, 4);
}

TEST_F(InputBridgeTest, KeysAreSentDownOnceAndTypedCharactersWaitForAQuietFrame) {
    input.pendingChar = 'a';
    EXPECT_TRUE(keys.process(ctx, input)) << "the first frame sends every key up";
    EXPECT_EQ(input.charReads, 0);
    EXPECT_TRUE(keys.process(ctx, input));
    EXPECT_STREQ(ctx->input_text, "a");
    endFrame();
    input.pendingChar = 0xE9;  // é
    EXPECT_TRUE(keys.process(ctx, input));
    EXPECT_STREQ(ctx->input_text, "\xC3\xA9");
    endFrame();
    for (int dropped : {10, 31, 127}) {
        input.pendingChar = dropped;
        EXPECT_FALSE(keyFrame()) << dropped;
        EXPECT_EQ(input.pendingChar, 0) << "read and dropped";
    }
    const int windowKeys[] = {SK_BACKSPACE, SK_TAB,    SK_ESCAPE, SK_SPACE, SK_UP,
                              SK_DOWN,      SK_PAGEUP, SK_PAGEDN, SK_HOME,  SK_END};
    const int uiKeys[] = {GUI_KEY_BACKSPACE, GUI_KEY_TAB,    GUI_KEY_ESCAPE,   GUI_KEY_SPACE, GUI_KEY_UP,
                          GUI_KEY_DOWN,      GUI_KEY_PAGEUP, GUI_KEY_PAGEDOWN, GUI_KEY_HOME,  GUI_KEY_END};
    for (int k = 0; k < 10; ++k) {
        const int windowKey = windowKeys[k], uiKey = uiKeys[k];
        SCOPED_TRACE(windowKey);
        input.down = {windowKey};
        EXPECT_TRUE(keys.process(ctx, input));
        EXPECT_EQ((std::array{ctx->key_pressed, ctx->key_down}), (std::array{uiKey, uiKey}));
        endFrame();
        input.down.clear();
        input.held = {windowKey};
        EXPECT_FALSE(keyFrame()) << "held: nothing new to send";
        EXPECT_EQ(ctx->key_down, uiKey);
        input.held.clear();
        EXPECT_TRUE(keyFrame());
        EXPECT_EQ(ctx->key_down, 0);
    }
}

// The one check of the debug overlay's key: through the bridge into frames that the renderer describes.
TEST_F(InputBridgeTest, ShiftReturnTogglesTheDebugOverlayAndNothingElseDoes) {
    Bitmap target(500, 350, 1.0f);
    const bool before = debugDialog.visible();
    const auto frameWith = [&](std::set<int> down, std::set<int> held) {
        input.down = std::move(down);
        input.held = std::move(held);
        keys.process(ctx, input);
        ui.render(target, [](UIToolkit&) {});
        return debugDialog.visible() != before;
    };
    EXPECT_FALSE(frameWith({}, {}));
    EXPECT_FALSE(frameWith({SK_RETURN}, {}));
    EXPECT_FALSE(frameWith({}, {}));
    EXPECT_FALSE(frameWith({SK_SHIFT}, {}));
    EXPECT_TRUE(frameWith({SK_RETURN}, {SK_SHIFT}));
    EXPECT_TRUE(frameWith({}, {SK_SHIFT, SK_RETURN})) << "still held: no new press";
    EXPECT_TRUE(frameWith({}, {SK_SHIFT}));
    EXPECT_FALSE(frameWith({SK_RETURN}, {SK_SHIFT})) << "and hidden again";
}

// Two frames within a microsecond used to make the rate infinite for good.
TEST(DebugDialog, RateApproachesASteadyRateAndIgnoresPausesStepsBackAndInstants) {
    using namespace std::chrono_literals;
    DebugDialog dialog;
    DebugDialog::Clock::time_point now = DebugDialog::Clock::time_point{} + 5s;
    dialog.frameAt(now);  // the first frame, a long way from tick 0, changes nothing
    EXPECT_EQ(dialog.fps(), 0.0f);
    for (int i = 0; i < 60; ++i) dialog.frameAt(now += 16667us);
    EXPECT_NEAR(dialog.fps(), 60.0f * (1.0f - std::pow(0.95f, 60.0f)), 0.1f);  // 1 - 0.95^60 of the way
    const float steady = dialog.fps();
    for (auto step : {std::chrono::nanoseconds(2s), std::chrono::nanoseconds(-5ms), std::chrono::nanoseconds(0),
                      std::chrono::nanoseconds(999)}) {
        dialog.frameAt(now += step);
        EXPECT_EQ(dialog.fps(), steady) << step.count();
    }
    dialog.frameAt(now += 16ms);
    EXPECT_TRUE(std::isfinite(dialog.fps()));
    EXPECT_GT(dialog.fps(), steady);
}
