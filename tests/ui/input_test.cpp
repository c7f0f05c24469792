#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "guicore/guicore.h"
#include "ui/surfinput.h"

namespace {

// Input as the window layer would report it after one update.
struct FakeInput : WindowInput {
    int x = 0, y = 0, buttons = 0;
    std::set<int> down, held;
    int pendingChar = 0;
    int charReads = 0;

    void mouse(int& mx, int& my, int& b) override {
        mx = x;
        my = y;
        b = buttons;
    }
    bool keyDown(int key) override { return down.count(key) != 0; }
    bool keyHeld(int key) override { return held.count(key) != 0 || keyDown(key); }
    int readChar() override {
        ++charReads;
        const int c = pendingChar;
        pendingChar = 0;
        return c;
    }
};

struct InputBridgeTest : ::testing::Test {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    FakeInput input;
    MouseBridge mouse;
    KeyboardBridge keys;

    InputBridgeTest() { gui_init(ctx.get()); }

    // The UI core's per-frame bits, cleared as gui_end would.
    void endFrame() {
        ctx->mouse_pressed = 0;
        ctx->key_pressed = 0;
        ctx->input_text[0] = 0;
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
    EXPECT_EQ(keys.lastUp, GUI_KEY_BACKSPACE | GUI_KEY_RETURN | GUI_KEY_SHIFT);
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
