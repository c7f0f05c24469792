#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>
#include <utility>

#include "ui/debugdialog.h"
#include "ui/surfinput.h"
#include "ui_harness.h"

namespace {

// Input as the window layer would report it after one update.
struct FakeInput : WindowInput {
    int x = 0, y = 0, buttons = 0, pendingChar = 0, charReads = 0;
    float wheelX = 0, wheelY = 0, scale = 1.0f;
    std::set<int> down, held;
    void mouse(int& mx, int& my, int& b) override { mx = x, my = y, b = buttons; }
    void wheel(float& dx, float& dy) override { dx = wheelX, dy = wheelY; }
    float backingScale() override { return scale; }
    bool keyDown(int key) override { return down.count(key) != 0; }
    bool keyHeld(int key) override { return held.count(key) != 0 || keyDown(key); }
    int readChar() override { return ++charReads, std::exchange(pendingChar, 0); }
};

using Seen = std::array<int, 4>;

struct InputBridgeTest : ::testing::Test {
    UIHarness ui{500, 350};
    gui_Context* ctx = ui.ctx.get();
    FakeInput input;
    MouseBridge mouse;
    KeyboardBridge keys;
    // The UI core's per-frame bits, cleared as gui_end would.
    template <class T>
    T endFrame(T seen) {
        ctx->mouse_pressed = ctx->key_pressed = ctx->input_text[0] = 0;
        ctx->scroll_delta = gui_vec2(0, 0);
        return seen;
    }
    Seen mouseFrame() {
        mouse.process(ctx, input);
        return endFrame(Seen{ctx->mouse_pos.x, ctx->mouse_pos.y, ctx->mouse_down, ctx->mouse_pressed});
    }
    bool keyFrame() { return endFrame(keys.process(ctx, input)); }
};

}  // namespace

TEST_F(InputBridgeTest, ButtonsReachTheCoreOneFrameLatePositionsAndWheelInUnitsAtOnce) {
    input.x = 10, input.y = 20, input.buttons = 1;  // frame N: the window layer sees the press
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, 0, 0}));
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, GUI_MOUSE_LEFT, GUI_MOUSE_LEFT}));
    input.buttons = 0;
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, GUI_MOUSE_LEFT, 0}));
    EXPECT_EQ(mouseFrame(), (Seen{10, 20, 0, 0}));
    input.buttons = 4, mouseFrame();  // the physical right button: the bits pass unchanged
    EXPECT_EQ(mouseFrame()[2], GUI_MOUSE_MIDDLE);
    ctx->mouse_pos = gui_vec2(-1, -1);  // a still mouse sends nothing that would overwrite this
    EXPECT_EQ(mouseFrame()[0], -1);
    input.scale = 1.5f, input.x = 300, input.y = 7;
    EXPECT_EQ(mouseFrame(), (Seen{200, 4, GUI_MOUSE_MIDDLE, 0}));
    input.x = -1;  // left of the bitmap stays left of it
    EXPECT_EQ(mouseFrame()[0], -1);
    const int notch = static_cast<int>(MouseBridge::unitsPerNotch);
    const auto scrolled = [&](float x, float y) {
        input.wheelX = x, input.wheelY = y, mouse.process(ctx, input);
        return endFrame(std::array{ctx->scroll_delta.x, ctx->scroll_delta.y});
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
    for (auto [typed, text] : {std::pair{int('a'), "a"}, {0xE9, "\xC3\xA9"}}) {
        input.pendingChar = typed;
        EXPECT_TRUE(keys.process(ctx, input));
        EXPECT_STREQ(endFrame(std::string(ctx->input_text)).c_str(), text);
    }
    for (int dropped : {10, 31, 127}) {
        input.pendingChar = dropped;
        EXPECT_FALSE(keyFrame()) << dropped;
        EXPECT_EQ(input.pendingChar, 0) << "read and dropped";
    }
    const int keyMap[] = {SK_BACKSPACE, GUI_KEY_BACKSPACE, SK_TAB,    GUI_KEY_TAB,      SK_ESCAPE, GUI_KEY_ESCAPE,
                          SK_SPACE,     GUI_KEY_SPACE,     SK_UP,     GUI_KEY_UP,       SK_DOWN,   GUI_KEY_DOWN,
                          SK_PAGEUP,    GUI_KEY_PAGEUP,    SK_PAGEDN, GUI_KEY_PAGEDOWN, SK_HOME,   GUI_KEY_HOME,
                          SK_END,       GUI_KEY_END};  // window's, UI core's
    for (int k = 0; k < 20; k += 2) {
        const int windowKey = keyMap[k], uiKey = keyMap[k + 1];
        SCOPED_TRACE(windowKey);
        input.down = {windowKey};
        EXPECT_TRUE(keys.process(ctx, input));
        EXPECT_EQ(endFrame(std::array{ctx->key_pressed, ctx->key_down}), (std::array{uiKey, uiKey}));
        input.down.clear(), input.held = {windowKey};
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
        input.down = std::move(down), input.held = std::move(held);
        keys.process(ctx, input), ui.render(target, [](UIToolkit&) {});
        return debugDialog.visible() != before;
    };
    for (const std::set<int>& down : {std::set<int>{}, {SK_RETURN}, {}, {SK_SHIFT}}) EXPECT_FALSE(frameWith(down, {}));
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
