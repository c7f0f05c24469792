// One scene, rendered at 1.5 pixels a unit, holds every command kind (rects, text, clips, icons, generic drawers),
// every palette role, nested style overrides, row arithmetic with fixed cells and shares, label alignments, sprites and
// a knob; it must match data/scene.png byte for byte (see golden_picture.h after an intended change of the look).
#include <gtest/gtest.h>

#include <cstring>

#include "../shared/golden_picture.h"
#include "ui/controls.h"
#include "ui/frame_memory.h"
#include "ui/generic_command.h"
#include "ui/style.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

SPixel shade(int i) {
    return {static_cast<unsigned char>(40 + 15 * i), static_cast<unsigned char>(200 - 12 * i),
            static_cast<unsigned char>(90 + 9 * i), 255};
}

UIStyle::Palette everyRole() {
    UIStyle::Palette p;
    int i = 0;
    for (std::optional<Color>* role :
         {&p.text, &p.border, &p.windowBackground, &p.titleBackground, &p.titleText, &p.panelBackground, &p.button,
          &p.buttonHover, &p.buttonFocus, &p.base, &p.baseHover, &p.baseFocus, &p.scrollBase, &p.scrollThumb})
        *role = Color(shade(i++));
    return p;
}

UI::Cell frameCell(int i, UI::CellSize size) {
    return {[i](UIToolkit& t) { t.frame(Color(shade(i))); }, size};
}

// The widths the row hands to the UI core, read back from the row's layout record by its first cell (whose own column
// layout sits on top of it).
std::vector<int> rowWidths(int areaWidth, int spacing, std::vector<UI::CellSize> sizes) {
    UIHarness ui(areaWidth, 100);
    ui.ctx->style->spacing = spacing;
    std::vector<int> widths;
    const ChildUI readRow = [&](UIToolkit& t) {
        const gui_Layout& row = t.context().layout_stack.items[t.context().layout_stack.idx - 2];
        if (widths.empty()) widths.assign(row.widths, row.widths + row.items);
    };
    ui.frame([&](UIToolkit& t) {
        std::vector<UI::Cell> row;
        for (UI::CellSize size : sizes) row.emplace_back(readRow, size);
        t.row(-1, row);
    });
    return widths;
}

}  // namespace

TEST(UIScene, EveryCommandKindAndPaletteRoleMatchesThePicture) {
    UIHarness ui(240, 200);
    Bitmap target(360, 300, 1.5f);
    // Icons of sizes 2 to 5, the last half transparent so that scaling shows its smoothing.
    auto half = solidBitmap(4, 4, {0, 0, 0, 0});
    surfFill(half.get(), 0, 0, 2, 4, {255, 255, 255, 255});
    const UIIconSet icons(solidBitmap(2, 2), solidBitmap(3, 3), solidBitmap(5, 5), half);
    SpriteSheet sheet{solidBitmap(12, 8), 4, 4};  // cel (column c, row r) is coloured (60c, 60r, 200)
    for (int c = 0; c < 6; ++c)
        surfFill(sheet.image.get(), c % 3 * 4, c / 3 * 4, 4, 4,
                 SPixel{(unsigned char)(c % 3 * 60), (unsigned char)(c / 3 * 60), 200, 255});
    IndexedSprite row{sheet, geo::Point{}, IndexedSprite::Row, 1, 2},
        column{sheet, geo::Point{}, IndexedSprite::Column, 2, 1};
    auto palette = solidBitmap(2, 2);
    palette->pix[0] = palette->pix[2] = shade(3), palette->pix[1] = shade(8), palette->pix[3] = shade(12);
    int knob = 6;
    const auto scene = [&](UIToolkit& t) {
        gui_Context* c = &t.context();
        t.row(12, {frameCell(0, UI::Fixed(24)), frameCell(1, UI::Share(1.0f)), frameCell(2, UI::Share(0.5f))});
        t.row(12, {frameCell(3, UI::Fixed(24)), frameCell(4, UI::Fixed(1.5f)), frameCell(5, UI::Share(1.0f))});
        t.row(12, {frameCell(6, UI::Share(0.0f)), frameCell(7, UI::Share(1.0f)), frameCell(8, UI::Share(1.0f))});
        t.row(-1, {});
        t.column(-1, true, {});
        t.row(14, {{[](UIToolkit& t) { t.label("left", UIToolkit::alignLeft); }, UI::Share(1.0f)},
                   {[&](UIToolkit& t) {
                        UIStyle inner(c);
                        inner.color(GUI_COLOR_TEXT, Color::ACCENT).padding(0);
                        t.label("mid", UIToolkit::alignCenter);
                    },
                    UI::Share(1.0f)},
                   {[](UIToolkit& t) { t.label("right", UIToolkit::alignRight); }, UI::Share(1.0f)}});
        t.row(24, {{UI::Button("Go", [] {}), UI::Fixed(40)},
                   {[&](UIToolkit&) { gui_image_knob(c, row, &knob); }, UI::Fixed(10)},
                   {UI::Panel([](UIToolkit& t) { t.text("a panel of words wrapping"); }, "panel"), UI::Share(1.0f)}});
        pushGenericDrawCommand(c, geo::Rect(0, 0, 1, 1), [&](Bitmap& b, geo::Rect&) {
            for (int i : {-3, 1, 7}) row.draw(b, i, 10 + 10 * (i + 3), 250);
            for (int i : {1, 9}) column.draw(b, i, 130 + 10 * i, 250);
            int x = 200;
            for (const Color& color : extractColorsFromPalette(*palette))
                surfFill(b.surfHandle(), x += 6, 250, 5, 5, color);
        });
        for (int id = GUI_ICON_CLOSE; id <= GUI_ICON_EXPANDED; ++id)
            gui_draw_icon(c, id, gui_rect(20 * id, 150, id < GUI_ICON_EXPANDED ? 0 : 12, 12), Color(shade(13)));
        gui_draw_icon(c, 99, gui_rect(0, 150, 10, 10), Color::DARK);  // not an icon: ignored
        gui_draw_rect(c, gui_rect(120, 150, 3, 2), Color(shade(9)));  // meeting at a half pixel
        gui_draw_rect(c, gui_rect(123, 150, 4, 2), Color(shade(10)));
        gui_draw_rect(c, gui_rect(130, 150, 1, 1), Color(shade(11)));
        gui_draw_text(c, c->style->font, "clipped at the edge", -1, gui_vec2(160, 180), Color::DARK);
    };
    const gui_Style original = *ui.ctx->style;
    {
        UIStyle style(ui.ctx.get());  // the only owner of its font
        style.palette(everyRole()).font(std::make_shared<FakeFont>(6, 9)).spacing(3).scrollbarSize(7).thumbSize(5);
        style.color(GUI_COLOR_MAX, Color::DARK).color(-1, Color::DARK);  // no such roles: ignored
        gui_input_mousemove(ui.ctx.get(), 30, 65);  // over the button: the hover shows from the second frame
        for (int i = 0; i < 3; ++i) ui.render(target, scene, icons);
    }
    EXPECT_EQ(std::memcmp(ui.ctx->style, &original, sizeof original), 0) << "overrides end with their scope";
    // Boxes meeting at unit 123, pixel 184.5, used to leave a gap or overlap there.
    EXPECT_EQ((std::array{surfGet(target.surfHandle(), 184, 226), surfGet(target.surfHandle(), 185, 226)}),
              (std::array{shade(9), shade(10)}));
    expectPicture(target.surfHandle(), std::string(TEST_DATA_DIR) + "/scene.png", "scene");
}

// A throwing drawer used to leak the generic draw commands after it.
TEST(UIRenderer, GenericDrawersRunOnceAndAreDestroyedEvenWhenOneThrows) {
    UIHarness ui;
    Bitmap target(40, 40, 2.0f);
    auto runs = std::make_shared<int>(0);
    geo::Rect seen;
    ui.render(target, [&](UIToolkit& t) {
        for (int i = 0; i < 3; ++i) {
            pushGenericDrawCommand(&t.context(), geo::Rect(1.5f, 2, 3, 4),
                                   [runs, &seen](Bitmap&, geo::Rect& r) { ++*runs, seen = r; });
            t.label("x", UIToolkit::alignLeft);  // shifts the next record off any alignment
        }
    });
    EXPECT_EQ((std::array{*runs, int(runs.use_count())}), (std::array{3, 1}));
    EXPECT_EQ(seen, geo::Rect(1.5f, 2, 3, 4));
    const auto throwing = [&](UIToolkit& t) {
        pushGenericDrawCommand(&t.context(), geo::Rect(), GenericDrawer());
        pushGenericDrawCommand(&t.context(), geo::Rect(), [runs](Bitmap&, geo::Rect&) { ++*runs; });
    };
    EXPECT_THROW(ui.render(target, throwing), std::bad_function_call);
    EXPECT_EQ((std::array{*runs, int(runs.use_count())}), (std::array{3, 1}));
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
    EXPECT_FALSE(repeats(target) || !repeats(target));
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

// Beyond the scene's rows: no room at all, a share that would truncate to nothing, fixed cells that fill the row, and
// only zero shares (no 0/0). Every cell gets at least one unit rather than the core's default size.
TEST(Toolkit, RowWidthArithmetic) {
    const UI::Share one(1.0f), none(0.0f);
    EXPECT_EQ(rowWidths(10, 8, {one, one, one}), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(rowWidths(300, 8, {UI::Share(0.001f), one}), (std::vector<int>{1, 290}));
    EXPECT_EQ(rowWidths(100, 4, {UI::Fixed(60), UI::Fixed(36), one}), (std::vector<int>{60, 36, 1}));
    EXPECT_EQ(rowWidths(100, 4, {none, none}), (std::vector<int>{1, 1}));
}

TEST(Controls, VerticalDragSweepsTheValueWithinItsRange) {
    int notified = 0;
    UIValue<float> value(0.0f, [&](float) { ++notified; });
    const auto drag = [&](float dy, bool shift = false, bool down = true, UIValue<float>* into = nullptr) {
        upDownDragInteraction({.mouseDelta = {0, dy}, .leftMouseDown = down, .shiftDown = shift}, into, geo::Rect());
        return static_cast<float>(value);
    };
    EXPECT_FLOAT_EQ(drag(-75, false, true, &value), 1.0f);
    EXPECT_FLOAT_EQ(drag(-75, false, true, &value), 1.0f);
    EXPECT_EQ(notified, 2) << "told even when nothing changed";
    value = 0.0f;
    EXPECT_FLOAT_EQ(drag(-75, true, true, &value), 0.375f);
    EXPECT_FLOAT_EQ(drag(500, false, true, &value), 0.0f);
    EXPECT_FLOAT_EQ(drag(-75, false, false, &value), 0.0f) << "released";
    drag(-75);  // no value: nothing to do, and no crash
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
    // Hover, press, then drag with the left button held; each row: dy, shift, start, expected.
    const int drags[][4] = {{3, 0, 5, 2}, {3, 1, 5, 4}, {40, 0, 5, 0}, {-40, 0, 9, 10}};
    for (auto [dy, shift, start, expected] : drags) {
        value = start;
        const int x = knob.x + 1, y = knob.y + 1;
        gui_input_mousemove(ui.ctx.get(), x, y), frame(), gui_input_mousedown(ui.ctx.get(), x, y, GUI_MOUSE_LEFT),
            frame();
        if (shift) gui_input_keydown(ui.ctx.get(), GUI_KEY_SHIFT);
        gui_input_mousemove(ui.ctx.get(), x, y + dy);
        EXPECT_EQ(frame(), expected) << dy;
        EXPECT_EQ((std::array{value, result}), (std::array{expected, int(GUI_RES_CHANGE)}));
        gui_input_mouseup(ui.ctx.get(), x, y + dy, GUI_MOUSE_LEFT), gui_input_keyup(ui.ctx.get(), GUI_KEY_SHIFT),
            frame();
    }
}
