#include <gtest/gtest.h>

#include <string>

#include "gui_harness.h"

namespace {

using Texts = std::vector<std::string>;

struct Wrapped {
  Texts lines;
  std::vector<gui_Vec2> positions;
  gui_Rect after; // the cell laid out after the text
};

// Wraps text into a cell `width` glyph-pixels wide (8 pixels a byte).
Wrapped wrap(const char *text, int width) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  EXPECT_TRUE(gui_begin_window_ex(ctx.get(), "text", gui_rect(0, 0, 400, 400), guitest::bare));
  gui_layout_row(ctx.get(), 1, &width, 0);
  gui_text(ctx.get(), text);
  Wrapped out;
  out.after = gui_layout_next(ctx.get());
  gui_end_window(ctx.get());
  gui_end(ctx.get());
  for (gui_Command *cmd : guitest::walk(ctx.get())) {
    if (cmd->type != GUI_COMMAND_TEXT) continue;
    out.lines.emplace_back(cmd->text.str);
    out.positions.push_back(cmd->text.pos);
  }
  return out;
}

TEST(GuiText, TwoWordsThatDoNotFitTakeOneLineEach) {
  Wrapped w = wrap("aaa bbb", 40);
  EXPECT_EQ(w.lines, (Texts{"aaa", "bbb"}));
  ASSERT_EQ(w.positions.size(), 2u);
  EXPECT_EQ(w.positions[0].x, 5);
  EXPECT_EQ(w.positions[0].y, 5);
  EXPECT_EQ(w.positions[1].y, 5 + guitest::line_height + 4);
}

TEST(GuiText, WordsThatExactlyFitShareALine) {
  EXPECT_EQ(wrap("aaaa bbbb", 72).lines, (Texts{"aaaa bbbb"}));
  EXPECT_EQ(wrap("aaaa bbbb", 71).lines, (Texts{"aaaa", "bbbb"}));
}

TEST(GuiText, WordWiderThanTheCellStandsAlone) {
  EXPECT_EQ(wrap("a verylongword b", 40).lines, (Texts{"a", "verylongword", "b"}));
}

TEST(GuiText, LineFeedsEndLines) {
  EXPECT_EQ(wrap("ab\ncd\n\nef", 400).lines, (Texts{"ab", "cd", "", "ef"}));
}

TEST(GuiText, OccupiesTheHeightOfItsLines) {
  Wrapped w = wrap("one two three", 40);
  EXPECT_EQ(w.lines, (Texts{"one", "two", "three"}));
  EXPECT_EQ(w.after.y, 5 + 3 * (guitest::line_height + 4));
}

} // namespace
