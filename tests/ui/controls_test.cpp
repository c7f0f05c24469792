#include <gtest/gtest.h>

#include <memory>

#include "ui/controls.h"
#include "ui_harness.h"

namespace {

UIToolkit::InputState dragBy(float dy, bool shift = false) {
    UIToolkit::InputState in;
    in.leftMouseDown = true;
    in.mouseDelta = geo::Point{0, dy};
    in.shiftDown = shift;
    return in;
}

}  // namespace

TEST(Interactions, VerticalDragSweepsTheValueWithinItsRange) {
    int notified = 0;
    UIValue<float> value(0.0f, [&](float) { ++notified; });
    const geo::Rect rect;
    upDownDragInteraction(dragBy(-75), &value, rect);
    EXPECT_FLOAT_EQ(value, 1.0f);
    upDownDragInteraction(dragBy(-75), &value, rect);
    EXPECT_FLOAT_EQ(value, 1.0f);
    EXPECT_EQ(notified, 2);  // told even when nothing changed

    value = 0.0f;
    upDownDragInteraction(dragBy(-75, true), &value, rect);
    EXPECT_FLOAT_EQ(value, 0.375f);
    upDownDragInteraction(dragBy(500), &value, rect);
    EXPECT_FLOAT_EQ(value, 0.0f);

    UIToolkit::InputState released = dragBy(-75);
    released.leftMouseDown = false;
    upDownDragInteraction(released, &value, rect);
    EXPECT_FLOAT_EQ(value, 0.0f);
    upDownDragInteraction(dragBy(-75), nullptr, rect);
}

namespace {

// A 3 x 2 sheet of 4 x 4 cels; cel (column c, row r) is coloured (c, r, 0).
SpriteSheet makeSheet() {
    SpriteSheet sheet{std::shared_ptr<Surf>(surfBitmap(12, 8), surfFree), 4, 4};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            sheet.image->pix[y * 12 + x] =
                SPixel{static_cast<unsigned char>(x / 4), static_cast<unsigned char>(y / 4), 0, 255};
    return sheet;
}

SPixel drawnFrame(const IndexedSprite& sprite, int index) {
    Bitmap target(10, 10, 1.0f);
    sprite.draw(target, index, 5, 5);
    return surfGet(target.surfHandle(), 5, 5);
}

}  // namespace

TEST(SpriteTest, IndexIsClampedAndFollowsTheStripDirection) {
    const SpriteSheet sheet = makeSheet();
    const IndexedSprite row{sheet, geo::Point{}, IndexedSprite::Row, 1, 2};
    EXPECT_EQ(drawnFrame(row, 1), (SPixel{1, 1, 0, 255}));
    EXPECT_EQ(drawnFrame(row, -3), (SPixel{0, 1, 0, 255}));
    EXPECT_EQ(drawnFrame(row, 7), (SPixel{2, 1, 0, 255}));

    const IndexedSprite column{sheet, geo::Point{}, IndexedSprite::Column, 2, 1};
    EXPECT_EQ(drawnFrame(column, 1), (SPixel{2, 1, 0, 255}));
    EXPECT_EQ(drawnFrame(column, 9), (SPixel{2, 1, 0, 255}));
}

namespace {

struct KnobTest : ::testing::Test {
    UIHarness ui{100, 100};
    SpriteSheet sheet{std::shared_ptr<Surf>(surfBitmap(44, 20), surfFree), 4, 20};
    Bitmap target{100, 100, 1.0f};
    IndexedSprite sprite{sheet, geo::Point{}, IndexedSprite::Row, 0, 10};
    int value = 5;
    int result = 0;
    gui_Rect knobRect{};

    KnobTest() {
        // Cel i is coloured (i, 0, 0).
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 44; ++x) sheet.image->pix[y * 44 + x] = SPixel{static_cast<unsigned char>(x / 4), 0, 0, 255};
    }

    void frame() {
        ui.render(target, [&](UIToolkit& t) {
            result = gui_image_knob(&t.context(), sprite, &value);
            knobRect = t.context().last_rect;
        });
    }

    // Hover, press, then drag by dy with the left button held.
    void drag(int dy, bool shift) {
        frame();
        const int x = knobRect.x + 1, y = knobRect.y + 1;
        gui_input_mousemove(ui.ctx.get(), x, y);
        frame();
        gui_input_mousedown(ui.ctx.get(), x, y, GUI_MOUSE_LEFT);
        frame();
        if (shift) gui_input_keydown(ui.ctx.get(), GUI_KEY_SHIFT);
        gui_input_mousemove(ui.ctx.get(), x, y + dy);
        frame();
    }

};

}  // namespace

TEST_F(KnobTest, DragDownLowersTheIndex) {
    drag(3, false);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(result, GUI_RES_CHANGE);
    EXPECT_EQ(surfGet(target.surfHandle(), knobRect.x, knobRect.y), (SPixel{2, 0, 0, 255}));
}

TEST_F(KnobTest, ShiftHalvesTheStep) {
    drag(3, true);
    EXPECT_EQ(value, 4);
}

TEST_F(KnobTest, StopsAtTheEnds) {
    drag(40, false);
    EXPECT_EQ(value, 0);
    value = 9;
    drag(-40, false);
    EXPECT_EQ(value, 10);
}

TEST_F(KnobTest, TakesACelSizedCellAndDrawsTheBoundFrame) {
    frame();
    EXPECT_EQ(knobRect.w, 4);
    EXPECT_EQ(knobRect.h, 20);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(surfGet(target.surfHandle(), knobRect.x, knobRect.y), (SPixel{5, 0, 0, 255}));
    EXPECT_EQ(surfGet(target.surfHandle(), knobRect.x + 3, knobRect.y + 19), (SPixel{5, 0, 0, 255}));
    EXPECT_EQ(surfGet(target.surfHandle(), knobRect.x + 4, knobRect.y), (SPixel{0, 0, 0, 255}));
}
