#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "guicore/guicore.h"
#include "ui/surfinput.h"
#include "fake_window_input.h"

namespace {

struct InputBridgeTest : ::testing::Test {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    FakeInput input;
    MouseBridge mouse;
    KeyboardBridge keys;

    InputBridgeTest() { gui_init(ctx.get()); }

    static constexpr int allKeys = GUI_KEY_BACKSPACE | GUI_KEY_RETURN | GUI_KEY_SHIFT | GUI_KEY_TAB | GUI_KEY_ESCAPE |
                                   GUI_KEY_SPACE | GUI_KEY_UP | GUI_KEY_DOWN | GUI_KEY_PAGEUP | GUI_KEY_PAGEDOWN |
                                   GUI_KEY_HOME | GUI_KEY_END;

    // The UI core's per-frame bits, cleared as gui_end would.
    void endFrame() {
        ctx->mouse_pressed = 0;
        ctx->key_pressed = 0;
        ctx->input_text[0] = 0;
        ctx->scroll_delta = gui_vec2(0, 0);
    }
};

}  // namespace

TEST_F(InputBridgeTest, ButtonChangesReachTheCoreOneFrameLate) {
    input.x = 10;
    input.y = 20;
    input.buttons = 1;  // frame N: the window layer sees the press
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_down, 0);
    EXPECT_EQ(ctx->mouse_pos.x, 10);  // but the position is current
    EXPECT_EQ(ctx->mouse_pos.y, 20);
    endFrame();

    mouse.process(ctx.get(), input);  // N + 1: the press arrives
    EXPECT_EQ(ctx->mouse_down, GUI_MOUSE_LEFT);
    EXPECT_EQ(ctx->mouse_pressed, GUI_MOUSE_LEFT);
    endFrame();

    input.buttons = 0;  // N + 2: released
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_down, GUI_MOUSE_LEFT);
    EXPECT_EQ(ctx->mouse_pressed, 0);
    endFrame();

    mouse.process(ctx.get(), input);  // N + 3: the release arrives
    EXPECT_EQ(ctx->mouse_down, 0);
}

TEST_F(InputBridgeTest, ButtonBitsPassUnchanged) {
    input.buttons = 4;  // the physical right button
    mouse.process(ctx.get(), input);
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_down, GUI_MOUSE_MIDDLE);
}

TEST_F(InputBridgeTest, StillMouseSendsNothing) {
    input.x = 5;
    input.y = 6;
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_pos.x, 5);
    ctx->mouse_pos = gui_vec2(-1, -1);  // any event would overwrite this
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_pos.x, -1);
    input.x = 7;
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_pos.x, 7);
    EXPECT_EQ(ctx->mouse_pos.y, 6);
}

TEST_F(InputBridgeTest, HeldKeyIsSentDownOnlyInItsFirstFrame) {
    // First frame: nothing held, so every key reads as up, which differs from
    // the initial zero and is sent once.
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_EQ(keys.lastUp, allKeys);
    endFrame();
    EXPECT_FALSE(keys.process(ctx.get(), input));

    input.down = {SK_BACKSPACE};
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_EQ(ctx->key_pressed, GUI_KEY_BACKSPACE);
    EXPECT_EQ(ctx->key_down, GUI_KEY_BACKSPACE);
    endFrame();

    input.down.clear();
    input.held = {SK_BACKSPACE};
    EXPECT_FALSE(keys.process(ctx.get(), input));  // held: its up bit stays clear, nothing to send
    EXPECT_EQ(ctx->key_pressed, 0);
    EXPECT_EQ(ctx->key_down, GUI_KEY_BACKSPACE);

    input.held.clear();
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_EQ(ctx->key_down, 0);
}

TEST_F(InputBridgeTest, ShiftReturnArriveTogether) {
    keys.process(ctx.get(), input);
    endFrame();
    input.down = {SK_SHIFT};
    keys.process(ctx.get(), input);
    endFrame();
    input.held = {SK_SHIFT};
    input.down = {SK_RETURN};
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_EQ(ctx->key_pressed, GUI_KEY_RETURN);
    EXPECT_EQ(ctx->key_down, GUI_KEY_RETURN | GUI_KEY_SHIFT);
}

TEST_F(InputBridgeTest, TypedCharactersWaitForAFrameWithoutKeyEvents) {
    input.pendingChar = 'a';
    EXPECT_TRUE(keys.process(ctx.get(), input));  // first frame sends key-up bits
    EXPECT_EQ(input.charReads, 0);
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_STREQ(ctx->input_text, "a");
    endFrame();

    input.pendingChar = 0xE9;  // é
    EXPECT_TRUE(keys.process(ctx.get(), input));
    EXPECT_STREQ(ctx->input_text, "\xC3\xA9");
    endFrame();

    for (int dropped : {10, 31, 127}) {
        input.pendingChar = dropped;
        EXPECT_FALSE(keys.process(ctx.get(), input)) << dropped;
        EXPECT_EQ(input.pendingChar, 0) << "read and dropped";
        EXPECT_STREQ(ctx->input_text, "");
    }
}

TEST_F(InputBridgeTest, PositionsReachTheCoreInUnits) {
    input.scale = 1.5f;
    input.x = 300;
    input.y = 7;
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_pos.x, 200);
    EXPECT_EQ(ctx->mouse_pos.y, 4);
    input.x = -1;  // left of the bitmap stays left of it
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->mouse_pos.x, -1);
}

TEST_F(InputBridgeTest, WheelScrollsInUnitsAtOnceKeepingFractions) {
    input.wheelY = 1.0f;  // toward the end of the content
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->scroll_delta.y, static_cast<int>(MouseBridge::unitsPerNotch));
    EXPECT_EQ(ctx->scroll_delta.x, 0);
    endFrame();

    input.wheelY = -2.0f;
    input.wheelX = 0.5f;
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->scroll_delta.y, -2 * static_cast<int>(MouseBridge::unitsPerNotch));
    EXPECT_EQ(ctx->scroll_delta.x, static_cast<int>(MouseBridge::unitsPerNotch / 2));
    endFrame();

    // A smooth wheel's small steps add up instead of each rounding to nothing.
    input.wheelX = 0.0f;
    input.wheelY = 1.0f / 128;  // 0.47 units, exact in binary
    int total = 0;
    for (int i = 0; i < 10; ++i) {
        mouse.process(ctx.get(), input);
        total += ctx->scroll_delta.y;
        endFrame();
    }
    EXPECT_EQ(total, 4);

    input.wheelY = 0.0f;
    ctx->scroll_delta = gui_vec2(-9, -9);  // a frame without wheel sends nothing
    mouse.process(ctx.get(), input);
    EXPECT_EQ(ctx->scroll_delta.y, -9);
}

TEST_F(InputBridgeTest, NavigationKeysPassAsTheirOwnBits) {
    keys.process(ctx.get(), input);
    endFrame();
    const std::pair<int, int> mapping[] = {{SK_TAB, GUI_KEY_TAB},       {SK_ESCAPE, GUI_KEY_ESCAPE},
                                           {SK_SPACE, GUI_KEY_SPACE},   {SK_UP, GUI_KEY_UP},
                                           {SK_DOWN, GUI_KEY_DOWN},     {SK_PAGEUP, GUI_KEY_PAGEUP},
                                           {SK_PAGEDN, GUI_KEY_PAGEDOWN}, {SK_HOME, GUI_KEY_HOME},
                                           {SK_END, GUI_KEY_END}};
    for (const auto& [windowKey, uiKey] : mapping) {
        input.down = {windowKey};
        EXPECT_TRUE(keys.process(ctx.get(), input));
        EXPECT_EQ(ctx->key_pressed, uiKey) << windowKey;
        endFrame();
        input.down.clear();
        EXPECT_TRUE(keys.process(ctx.get(), input));  // released in the next update
        EXPECT_EQ(ctx->key_down, 0) << windowKey;
        endFrame();
    }
}
