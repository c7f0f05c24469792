#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

// A child that records the cell it was given and draws nothing.
ChildUI recordCell(std::vector<gui_Rect>& cells) {
    return [&cells](UIToolkit& t) { cells.push_back(t.peekNextLayout()); };
}

std::vector<int> widthsOf(const std::vector<gui_Rect>& cells) {
    std::vector<int> widths;
    for (const gui_Rect& r : cells) widths.push_back(r.w);
    return widths;
}

std::vector<int> heightsOf(const std::vector<gui_Rect>& cells) {
    std::vector<int> heights;
    for (const gui_Rect& r : cells) heights.push_back(r.h);
    return heights;
}

// The widths the row hands to the UI core, read back from the row's layout
// record by its first cell (whose own column layout sits on top of it).
std::vector<int> rowWidths(int areaWidth, int spacing, std::vector<float> sizes) {
    UIHarness ui(areaWidth, 100);
    ui.ctx->style->spacing = spacing;
    std::vector<int> widths;
    const ChildUI readRow = [&](UIToolkit& t) {
        if (!widths.empty()) return;
        const gui_Context& ctx = t.context();
        const gui_Layout& row = ctx.layout_stack.items[ctx.layout_stack.idx - 2];
        widths.assign(row.widths, row.widths + row.items);
    };
    ui.frame([&](UIToolkit& t) {
        std::vector<UI::Cell> row;
        for (float size : sizes) row.emplace_back(readRow, size);
        t.row(-1, row);
    });
    return widths;
}

}  // namespace

TEST(ToolkitRow, SharesDivideWhatTheFixedCellsLeave) {
    EXPECT_EQ(rowWidths(300, 8, {24.0f, 1.0f, 0.5f}), (std::vector<int>{24, 173, 86}));
}

TEST(ToolkitRow, SizeOneIsAShareAndFractionalFixedSizesTruncate) {
    // 1.5 is one fixed unit, though all of it counts against the rest:
    // 1.0 takes trunc(300 - 2 * 8 - 24 - 1.5).
    EXPECT_EQ(rowWidths(300, 8, {24.0f, 1.5f, 1.0f}), (std::vector<int>{24, 1, 258}));
}

TEST(ToolkitRow, ZeroShareGetsOneUnitTakenFromTheCellsAfterIt) {
    // rest = 300 - 16 = 284; the zero share gets 1, the others share 283.
    EXPECT_EQ(rowWidths(300, 8, {0.0f, 1.0f, 1.0f}), (std::vector<int>{1, 141, 141}));
}

TEST(ToolkitRow, NoRoomLeftGivesTheFirstShareOneUnitAndTheRestNothing) {
    EXPECT_EQ(rowWidths(10, 8, {1.0f, 1.0f, 1.0f}), (std::vector<int>{1, 0, 0}));
}

TEST(ToolkitRow, FixedCellsKeepTheirWidthWhenTheyFillTheRow) {
    const std::vector<int> widths = rowWidths(100, 4, {60.0f, 36.0f, 1.0f});
    EXPECT_EQ(widths[0], 60);
    EXPECT_EQ(widths[1], 36);
    EXPECT_EQ(widths[2], 1);
}

TEST(ToolkitRow, OnlyZeroSharesGetOneUnitEach) {
    EXPECT_EQ(rowWidths(100, 4, {0.0f, 0.0f}), (std::vector<int>{1, 1}));
    EXPECT_EQ(rowWidths(100, 4, {30.0f, 0.0f}), (std::vector<int>{30, 1}));
}

TEST(ToolkitRow, CellsSitSideBySideSeparatedBySpacing) {
    UIHarness ui(300, 100);
    ui.ctx->style->spacing = 8;
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) { t.row(-1, {{recordCell(cells), 24.0f}, {recordCell(cells), 1.0f}}); });
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].x + 24 + 8, cells[1].x);
    EXPECT_EQ(cells[0].y, cells[1].y);
    EXPECT_EQ(cells[0].h, 100);  // height -1 fills the remaining height
}

TEST(ToolkitRow, RowWidgetWithoutHeightFillsAndWithHeightUsesIt) {
    UIHarness ui(300, 100);
    std::vector<gui_Rect> filled, fixed;
    ui.frame([&](UIToolkit& t) {
        t.column(-1, false,
                 {{UI::Row{{recordCell(filled), 1.0f}}, 40.0f},
                  {UI::Row(UI::Height(24), {{recordCell(fixed), 1.0f}}), 50.0f}});
    });
    ASSERT_EQ(filled.size(), 1u);
    ASSERT_EQ(fixed.size(), 1u);
    EXPECT_EQ(filled[0].h, 40);
    EXPECT_EQ(fixed[0].h, 24);
}

TEST(ToolkitColumn, FixedAndShareCellsStackTopToBottom) {
    UIHarness ui(300, 200);
    ui.ctx->style->spacing = 8;
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) {
        t.column(-1, false, {{recordCell(cells), 1.0f}, {recordCell(cells), 24.0f}, {recordCell(cells), 0.5f}});
    });
    // avail = 200 - 16 = 184; rest = 160; 1.0 -> 106, 0.5 -> 53.
    EXPECT_EQ(heightsOf(cells), (std::vector<int>{106, 24, 53}));
    EXPECT_EQ(cells[1].y, cells[0].y + 106 + 8);
    EXPECT_EQ(cells[0].w, 300);
}

TEST(ToolkitColumn, ZeroShareHeightReachesTheCoreAsItsDefault) {
    UIHarness ui(300, 200);
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) { t.column(-1, false, {{recordCell(cells), 0.0f}, {recordCell(cells), 1.0f}}); });
    const gui_Style& style = *ui.ctx->style;
    EXPECT_EQ(cells[0].h, style.size.y + 2 * style.padding);
}

TEST(ToolkitColumn, WidthIsHandedToEveryRow) {
    UIHarness ui(300, 200);
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) { t.column(120, false, {{recordCell(cells), 1.0f}, {recordCell(cells), 1.0f}}); });
    EXPECT_EQ(widthsOf(cells), (std::vector<int>{120, 120}));
}

TEST(ToolkitColumn, BackgroundFillsThePeekedRectangleInPanelColour) {
    UIHarness ui(300, 200);
    ui.ctx->style->colors[GUI_COLOR_PANELBG] = gui_color(1, 2, 3, 255);
    gui_Rect painted{};
    int rects = 0;
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) { t.column(-1, true, {{recordCell(cells), 1.0f}}); });
    gui_Command* cmd = nullptr;
    while (gui_next_command(ui.ctx.get(), &cmd)) {
        if (cmd->type == GUI_COMMAND_RECT && cmd->rect.color.r == 1) {
            painted = cmd->rect.rect;
            ++rects;
        }
    }
    EXPECT_EQ(rects, 1);
    EXPECT_EQ(painted.w, 300);
    EXPECT_EQ(painted.h, 200);
}

TEST(ToolkitLayout, EmptyRowsAndColumnsIssueNothing) {
    UIHarness ui;
    int commandBytes = -1;
    gui_Layout before{}, after{};
    ui.frame([&](UIToolkit& t) {
        gui_Context& ctx = t.context();
        commandBytes = ctx.command_list.idx;
        before = ctx.layout_stack.items[ctx.layout_stack.idx - 1];
        t.row(-1, {});
        t.column(-1, true, {});
        after = ctx.layout_stack.items[ctx.layout_stack.idx - 1];
        EXPECT_EQ(ctx.command_list.idx, commandBytes);
    });
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST(ToolkitLayout, PeekLeavesTheLayoutStackUntouched) {
    UIHarness ui;
    ui.frame([&](UIToolkit& t) {
        gui_Context& ctx = t.context();
        const int depth = ctx.layout_stack.idx;
        const gui_Layout before = ctx.layout_stack.items[depth - 1];
        const gui_Rect peeked = t.peekNextLayout();
        EXPECT_EQ(ctx.layout_stack.idx, depth);
        EXPECT_EQ(std::memcmp(&before, &ctx.layout_stack.items[depth - 1], sizeof before), 0);
        EXPECT_EQ(std::memcmp(&ctx.last_rect, &peeked, sizeof peeked), 0);
        // Peeking twice sees the same cell, and the next real request gets it too.
        const gui_Rect again = t.peekNextLayout();
        const gui_Rect taken = gui_layout_next(&ctx);
        EXPECT_EQ(std::memcmp(&again, &peeked, sizeof peeked), 0);
        EXPECT_EQ(std::memcmp(&taken, &peeked, sizeof peeked), 0);
    });
}

TEST(ToolkitLayout, FrameOutlinesTheNextCellWithoutTakingIt) {
    UIHarness ui(300, 200);
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) {
        t.frame(Color::DARK);
        cells.push_back(gui_layout_next(&t.context()));
    });
    int outlineRects = 0;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ui.ctx.get(), &cmd)) {
        if (cmd->type == GUI_COMMAND_RECT && cmd->rect.color.r == 17) ++outlineRects;
    }
    EXPECT_EQ(outlineRects, 4);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].w, 300);
}

namespace {

std::vector<gui_Vec2> textPositions(gui_Context* ctx) {
    std::vector<gui_Vec2> positions;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ctx, &cmd)) {
        if (cmd->type == GUI_COMMAND_TEXT) positions.push_back(cmd->text.pos);
    }
    return positions;
}

}  // namespace

TEST(ToolkitLabel, AlignmentPlacesTheTextInItsCell) {
    // "abcd" is 28 wide and 10 high in the fake font; the cell is 300 x 200.
    for (auto [alignment, x] : {std::pair{UIToolkit::alignLeft, 5}, std::pair{UIToolkit::alignCenter, 136},
                                std::pair{UIToolkit::alignRight, 300 - 5 - 28}}) {
        UIHarness ui(300, 200);
        ui.frame([&, alignment = alignment](UIToolkit& t) { t.label("abcd", alignment); });
        const std::vector<gui_Vec2> positions = textPositions(ui.ctx.get());
        ASSERT_EQ(positions.size(), 1u);
        EXPECT_EQ(positions[0].x, x) << "alignment " << alignment;
        EXPECT_EQ(positions[0].y, 95);
    }
}

TEST(ToolkitWindow, RootWindowAlwaysCoversTheDrawingArea) {
    UIHarness ui(500, 350);
    UIToolkit toolkit(ui.uic);
    gui_begin(ui.ctx.get());
    toolkit.window("Root", [](UIToolkit&) {}, GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
    gui_end(ui.ctx.get());
    gui_Container* root = gui_get_container(ui.ctx.get(), "Root");
    root->rect = gui_rect(20, 30, 100, 100);

    gui_begin(ui.ctx.get());
    toolkit.window("Root", [](UIToolkit&) {}, GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
    gui_end(ui.ctx.get());
    EXPECT_EQ(root->rect.x, 20);  // position is the user's...
    EXPECT_EQ(root->rect.w, 500);  // ...the size is the drawing area's
    EXPECT_EQ(root->rect.h, 350);
}

TEST(ToolkitDialog, IsCentredInFrontWithARuleUnderTheTitle) {
    UIHarness ui(500, 350);
    ui.ctx->style->colors[GUI_COLOR_BORDER] = gui_color(9, 8, 7, 255);
    UIToolkit toolkit(ui.uic);
    std::vector<gui_Rect> cells;
    gui_begin(ui.ctx.get());
    toolkit.window("Root", [](UIToolkit&) {}, GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
    toolkit.dialog("Dialog", UI::Column{{recordCell(cells), 1.0f}}, 200, 100);
    gui_end(ui.ctx.get());

    gui_Container* dialog = gui_get_container(ui.ctx.get(), "Dialog");
    gui_Container* root = gui_get_container(ui.ctx.get(), "Root");
    EXPECT_EQ(dialog->rect.x, 150);
    EXPECT_EQ(dialog->rect.y, 125);
    EXPECT_EQ(dialog->rect.w, 200);
    EXPECT_EQ(dialog->rect.h, 100);
    EXPECT_GT(dialog->zindex, root->zindex);
    ASSERT_EQ(cells.size(), 1u);

    bool rule = false;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ui.ctx.get(), &cmd)) {
        if (cmd->type == GUI_COMMAND_RECT && cmd->rect.color.r == 9 && cmd->rect.rect.h == 1 &&
            cmd->rect.rect.y == dialog->body.y && cmd->rect.rect.w == dialog->body.w) {
            rule = true;
        }
    }
    EXPECT_TRUE(rule);
}

TEST(ToolkitButton, ButtonWidgetActsInTheFrameOfTheClick) {
    UIHarness ui(300, 200);
    int presses = 0;
    const UI::Button button("Go", [&presses] { ++presses; });
    const auto describe = [&](UIToolkit& t) { button(t); };
    ui.frame(describe);
    gui_input_mousemove(ui.ctx.get(), 10, 10);
    ui.frame(describe);
    gui_input_mousedown(ui.ctx.get(), 10, 10, GUI_MOUSE_LEFT);
    ui.frame(describe);
    EXPECT_EQ(presses, 1);
    gui_input_mouseup(ui.ctx.get(), 10, 10, GUI_MOUSE_LEFT);
    ui.frame(describe);
    EXPECT_EQ(presses, 1);
}

TEST(ToolkitPanel, EmptyChildThrowsTheStandardException) {
    UIHarness ui;
    gui_begin(ui.ctx.get());
    gui_begin_window_ex(ui.ctx.get(), "Root", gui_rect(0, 0, 300, 200), 0);
    UIToolkit toolkit(ui.uic);
    EXPECT_THROW(toolkit.layoutChild(ChildUI()), std::bad_function_call);
}
