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

// The widths the row hands to the UI core, read back from the row's layout
// record by its first cell (whose own column layout sits on top of it).
std::vector<int> rowWidths(int areaWidth, int spacing, std::vector<UI::CellSize> sizes) {
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
        for (UI::CellSize size : sizes) row.emplace_back(readRow, size);
        t.row(-1, row);
    });
    return widths;
}

bool sameRect(gui_Rect a, gui_Rect b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ToolkitRow, WidthArithmetic) {
    // Shares divide what the fixed cells and the gaps leave, as weights.
    const UI::Share one(1.0f), none(0.0f);
    EXPECT_EQ(rowWidths(300, 8, {UI::Fixed(24), one, UI::Share(0.5f)}), (std::vector<int>{24, 173, 86}));
    // 1.5 is one fixed unit, though all of it counts against the rest.
    EXPECT_EQ(rowWidths(300, 8, {UI::Fixed(24), UI::Fixed(1.5f), one}), (std::vector<int>{24, 1, 258}));
    // A zero share gets one unit, taken from the cells after it.
    EXPECT_EQ(rowWidths(300, 8, {none, one, one}), (std::vector<int>{1, 141, 141}));
    // A share that comes to less than one unit gets one unit, not the UI core's default width.
    EXPECT_EQ(rowWidths(300, 8, {UI::Share(0.001f), one}), (std::vector<int>{1, 290}));
    // No room at all: every share gets one unit rather than the UI core's default width.
    EXPECT_EQ(rowWidths(10, 8, {one, one, one}), (std::vector<int>{1, 1, 1}));
    // Fixed cells keep their widths even when they fill the row.
    EXPECT_EQ(rowWidths(100, 4, {UI::Fixed(60), UI::Fixed(36), one}), (std::vector<int>{60, 36, 1}));
    // Only zero shares: no 0/0, each gets one unit.
    EXPECT_EQ(rowWidths(100, 4, {none, none}), (std::vector<int>{1, 1}));
}

TEST(ToolkitRow, RowWidgetHeightDefaultsToFill) {
    UIHarness ui(300, 100);
    std::vector<gui_Rect> filled, fixed;
    ui.frame([&](UIToolkit& t) {
        t.column(-1, false,
                 {{UI::Row{{recordCell(filled), UI::Share(1.0f)}}, UI::Fixed(40)},
                  {UI::Row(UI::Height(24), {{recordCell(fixed), UI::Share(1.0f)}}), UI::Fixed(50)}});
    });
    ASSERT_EQ(filled.size() + fixed.size(), 2u);
    EXPECT_EQ(filled[0].h, 40);
    EXPECT_EQ(fixed[0].h, 24);
}

TEST(ToolkitColumn, HeightsWidthsAndBackground) {
    UIHarness ui(300, 200);
    ui.ctx->style->spacing = 8;
    ui.ctx->style->colors[GUI_COLOR_PANELBG] = gui_color(1, 2, 3, 255);
    std::vector<gui_Rect> cells;
    ui.frame([&](UIToolkit& t) {
        t.column(120, true,
                 {{recordCell(cells), UI::Share(1.0f)},
                  {recordCell(cells), UI::Fixed(24)},
                  {recordCell(cells), UI::Share(0.5f)},
                  {recordCell(cells), UI::Share(0.0f)}});
    });
    // avail = 200 - 24 = 176; rest = 152; 1.0 -> 101, 0.5 -> 50; a zero share
    // gets one unit, not the UI core's default height.
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].h, 101);
    EXPECT_EQ(cells[1].h, 24);
    EXPECT_EQ(cells[2].h, 50);
    EXPECT_EQ(cells[3].h, 1);
    EXPECT_EQ(cells[1].y, cells[0].y + 101 + 8);
    for (const gui_Rect& cell : cells) EXPECT_EQ(cell.w, 120);

    int backgrounds = 0;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ui.ctx.get(), &cmd)) {
        if (cmd->type == GUI_COMMAND_RECT && cmd->rect.color.r == 1) {
            ++backgrounds;
            EXPECT_TRUE(sameRect(cmd->rect.rect, gui_rect(0, 0, 300, 200)));
        }
    }
    EXPECT_EQ(backgrounds, 1);
}

TEST(ToolkitLayout, EmptyRowsAndColumnsIssueNothing) {
    UIHarness ui;
    ui.frame([&](UIToolkit& t) {
        gui_Context& ctx = t.context();
        const int commandBytes = ctx.command_list.idx;
        const gui_Layout before = ctx.layout_stack.items[ctx.layout_stack.idx - 1];
        t.row(-1, {});
        t.column(-1, true, {});
        EXPECT_EQ(ctx.command_list.idx, commandBytes);
        EXPECT_EQ(std::memcmp(&before, &ctx.layout_stack.items[ctx.layout_stack.idx - 1], sizeof before), 0);
    });
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
        EXPECT_TRUE(sameRect(ctx.last_rect, peeked));
        // The outline drawn by frame() does not take the cell either.
        t.frame(Color::DARK);
        EXPECT_TRUE(sameRect(gui_layout_next(&ctx), peeked));
    });
}

TEST(ToolkitLabel, AlignmentPlacesTheTextInItsCell) {
    // "abcd" is 28 wide and 10 high in the fake font; the cell is 300 x 200.
    for (auto [alignment, x] : {std::pair{UIToolkit::alignLeft, 5}, std::pair{UIToolkit::alignCenter, 136},
                                std::pair{UIToolkit::alignRight, 300 - 5 - 28}}) {
        UIHarness ui(300, 200);
        ui.frame([&, alignment = alignment](UIToolkit& t) { t.label("abcd", alignment); });
        gui_Command* cmd = nullptr;
        while (gui_next_command(ui.ctx.get(), &cmd) && cmd->type != GUI_COMMAND_TEXT) {}
        ASSERT_NE(cmd, nullptr);
        EXPECT_EQ(cmd->text.pos.x, x) << "alignment " << alignment;
        EXPECT_EQ(cmd->text.pos.y, 95);
    }
}

TEST(ToolkitWindow, RootWindowAlwaysCoversTheDrawingArea) {
    UIHarness ui(500, 350);
    UIToolkit toolkit(ui.uic);
    const auto frame = [&] {
        gui_begin(ui.ctx.get());
        toolkit.window(
            "Root", [](UIToolkit&) {}, GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
        gui_end(ui.ctx.get());
    };
    frame();
    gui_Container* root = gui_get_container(ui.ctx.get(), "Root");
    root->rect = gui_rect(20, 30, 100, 100);
    frame();
    EXPECT_TRUE(sameRect(root->rect, gui_rect(20, 30, 500, 350)));
}

TEST(ToolkitDialog, IsCentredInFrontWithARuleUnderTheTitle) {
    UIHarness ui(500, 350);
    ui.ctx->style->colors[GUI_COLOR_BORDER] = gui_color(9, 8, 7, 255);
    UIToolkit toolkit(ui.uic);
    std::vector<gui_Rect> cells;
    gui_begin(ui.ctx.get());
    toolkit.window(
        "Root", [](UIToolkit&) {}, GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
    toolkit.dialog("Dialog", UI::Column{{recordCell(cells), UI::Share(1.0f)}}, 200, 100);
    gui_end(ui.ctx.get());

    const gui_Container* dialog = gui_get_container(ui.ctx.get(), "Dialog");
    EXPECT_TRUE(sameRect(dialog->rect, gui_rect(150, 125, 200, 100)));
    EXPECT_GT(dialog->zindex, gui_get_container(ui.ctx.get(), "Root")->zindex);
    EXPECT_EQ(cells.size(), 1u);

    bool rule = false;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ui.ctx.get(), &cmd)) {
        rule |= cmd->type == GUI_COMMAND_RECT && cmd->rect.color.r == 9 &&
                sameRect(cmd->rect.rect, gui_rect(dialog->body.x, dialog->body.y, dialog->body.w, 1));
    }
    EXPECT_TRUE(rule);
}

TEST(ToolkitButton, ButtonWidgetActsInTheFrameOfThePress) {
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
