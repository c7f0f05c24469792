#include <gtest/gtest.h>

#include <cstring>

#include "ui/controls.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

// The widths the row hands to the UI core, read back from the row's layout
// record by its first cell (whose own column layout sits on top of it).
std::vector<int> rowWidths(int areaWidth, int spacing, std::vector<float> sizes) {
    UIHarness ui(areaWidth, 100);
    ui.ctx->style->spacing = spacing;
    std::vector<int> widths;
    const ChildUI readRow = [&](UIToolkit& t) {
        const gui_Layout& row = t.context().layout_stack.items[t.context().layout_stack.idx - 2];
        if (widths.empty()) widths.assign(row.widths, row.widths + row.items);
    };
    ui.frame([&](UIToolkit& t) {
        std::vector<UI::Cell> row;
        for (float size : sizes) row.emplace_back(readRow, size);
        t.row(-1, row);
    });
    return widths;
}

}  // namespace

TEST(Toolkit, RowWidthArithmetic) {
    // Shares divide what the fixed cells and the gaps leave, as weights.
    EXPECT_EQ(rowWidths(300, 8, {24.0f, 1.0f, 0.5f}), (std::vector<int>{24, 173, 86}));
    // 1.5 is one fixed unit, though all of it counts against the rest.
    EXPECT_EQ(rowWidths(300, 8, {24.0f, 1.5f, 1.0f}), (std::vector<int>{24, 1, 258}));
    // A zero share gets one unit, taken from the cells after it.
    EXPECT_EQ(rowWidths(300, 8, {0.0f, 1.0f, 1.0f}), (std::vector<int>{1, 141, 141}));
    // No room at all: the first share gets one unit, which the others then lack.
    EXPECT_EQ(rowWidths(10, 8, {1.0f, 1.0f, 1.0f}), (std::vector<int>{1, 0, 0}));
    // Fixed cells keep their widths even when they fill the row.
    EXPECT_EQ(rowWidths(100, 4, {60.0f, 36.0f, 1.0f}), (std::vector<int>{60, 36, 1}));
    // Only zero shares: no 0/0, each gets one unit.
    EXPECT_EQ(rowWidths(100, 4, {0.0f, 0.0f}), (std::vector<int>{1, 1}));
}

TEST(Controls, VerticalDragSweepsTheValueWithinItsRange) {
    int notified = 0;
    UIValue<float> value(0.0f, [&](float) { ++notified; });
    const auto drag = [&](float dy, bool shift = false, bool down = true) {
        UIToolkit::InputState in;
        in.leftMouseDown = down;
        in.mouseDelta = geo::Point{0, dy};
        in.shiftDown = shift;
        upDownDragInteraction(in, &value, geo::Rect());
        return static_cast<float>(value);
    };
    EXPECT_FLOAT_EQ(drag(-75), 1.0f);
    EXPECT_FLOAT_EQ(drag(-75), 1.0f);
    EXPECT_EQ(notified, 2) << "told even when nothing changed";
    value = 0.0f;
    EXPECT_FLOAT_EQ(drag(-75, true), 0.375f);
    EXPECT_FLOAT_EQ(drag(500), 0.0f);
    EXPECT_FLOAT_EQ(drag(-75, false, false), 0.0f) << "released";
    UIToolkit::InputState held;
    held.leftMouseDown = true;
    upDownDragInteraction(held, nullptr, geo::Rect());  // no value: nothing to do, and no crash
}

TEST(Controls, KnobTakesACelSizedCellAndDragsThroughItsFrames) {
    UIHarness ui{100, 100};
    SpriteSheet sheet{solidBitmap(44, 20), 4, 20};  // cel i is coloured (i, 0, 0)
    for (int i = 0; i < 11; ++i) surfFill(sheet.image.get(), i * 4, 0, 4, 20, SPixel{(unsigned char)i, 0, 0, 255});
    Bitmap target{100, 100, 1.0f};
    IndexedSprite sprite{sheet, geo::Point{}, IndexedSprite::Row, 0, 10};
    int value = 5, result = 0;
    gui_Rect knob{};
    const auto frame = [&] {
        ui.render(target, [&](UIToolkit& t) {
            result = gui_image_knob(&t.context(), sprite, &value);
            knob = t.context().last_rect;
        });
        return surfGet(target.surfHandle(), knob.x, knob.y).r;
    };
    EXPECT_EQ(frame(), 5);
    EXPECT_EQ(result, 0);
    EXPECT_EQ((std::array{knob.w, knob.h}), (std::array{4, 20}));
    EXPECT_EQ(surfGet(target.surfHandle(), knob.x + 3, knob.y + 19).r, 5);
    EXPECT_EQ(surfGet(target.surfHandle(), knob.x + 4, knob.y).r, 0);
    // Hover, press, then drag with the left button held; each row: dy, shift, start, expected.
    const int drags[][4] = {{3, 0, 5, 2}, {3, 1, 5, 4}, {40, 0, 5, 0}, {-40, 0, 9, 10}};
    for (auto [dy, shift, start, expected] : drags) {
        value = start;
        const int x = knob.x + 1, y = knob.y + 1;
        gui_input_mousemove(ui.ctx.get(), x, y);
        frame();
        gui_input_mousedown(ui.ctx.get(), x, y, GUI_MOUSE_LEFT);
        frame();
        if (shift) gui_input_keydown(ui.ctx.get(), GUI_KEY_SHIFT);
        gui_input_mousemove(ui.ctx.get(), x, y + dy);
        EXPECT_EQ(frame(), expected) << dy;
        EXPECT_EQ(value, expected);
        EXPECT_EQ(result, GUI_RES_CHANGE);
        gui_input_mouseup(ui.ctx.get(), x, y + dy, GUI_MOUSE_LEFT);
        gui_input_keyup(ui.ctx.get(), GUI_KEY_SHIFT);
        frame();
    }
}
