#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "gui_harness.h"

namespace {

using guitest::bare;

// Records drawn inside a bare window whose clip rectangle is (0, 0, 100, 100).
class GuiCommands : public ::testing::Test {
protected:
  void SetUp() override {
    gui_begin(ctx.get());
    ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "cmds", gui_rect(0, 0, 100, 100), bare));
  }
  std::vector<gui_Command *> finish() {
    gui_end_window(ctx.get());
    gui_end(ctx.get());
    return guitest::walk(ctx.get());
  }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
  gui_Color red = gui_color(255, 0, 0, 255);
};

TEST_F(GuiCommands, RectIsCutToTheClipOrDropped) {
  gui_draw_rect(ctx.get(), gui_rect(90, -10, 20, 30), red);
  gui_draw_rect(ctx.get(), gui_rect(100, 10, 20, 30), red); // touches only: nothing visible
  gui_draw_rect(ctx.get(), gui_rect(10, 10, 0, 30), red);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 1u);
  ASSERT_EQ(cmds[0]->type, GUI_COMMAND_RECT);
  gui_Rect r = cmds[0]->rect.rect;
  EXPECT_EQ(r.x, 90);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.w, 10);
  EXPECT_EQ(r.h, 20);
}

TEST_F(GuiCommands, PartlyVisibleTextIsBracketedByClipRecords) {
  gui_draw_text(ctx.get(), nullptr, "clipped", -1, gui_vec2(80, 10), red); // 56 wide
  gui_draw_text(ctx.get(), nullptr, "gone", -1, gui_vec2(150, 10), red);
  gui_draw_text(ctx.get(), nullptr, "inside!", 6, gui_vec2(10, 10), red);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 4u);
  ASSERT_EQ(cmds[0]->type, GUI_COMMAND_CLIP);
  EXPECT_EQ(cmds[0]->clip.rect.w, 100);
  ASSERT_EQ(cmds[1]->type, GUI_COMMAND_TEXT);
  EXPECT_STREQ(cmds[1]->text.str, "clipped");
  EXPECT_EQ(cmds[1]->text.pos.x, 80);
  ASSERT_EQ(cmds[2]->type, GUI_COMMAND_CLIP);
  EXPECT_EQ(cmds[2]->clip.rect.w, 0x1000000);
  EXPECT_EQ(cmds[2]->clip.rect.x, 0);
  ASSERT_EQ(cmds[3]->type, GUI_COMMAND_TEXT);
  EXPECT_STREQ(cmds[3]->text.str, "inside");
}

TEST_F(GuiCommands, IconsAreClippedLikeText) {
  gui_draw_icon(ctx.get(), GUI_ICON_CHECK, gui_rect(95, 95, 10, 10), red);
  gui_draw_icon(ctx.get(), GUI_ICON_CLOSE, gui_rect(200, 0, 10, 10), red);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 3u);
  EXPECT_EQ(cmds[0]->type, GUI_COMMAND_CLIP);
  ASSERT_EQ(cmds[1]->type, GUI_COMMAND_ICON);
  EXPECT_EQ(cmds[1]->icon.id, GUI_ICON_CHECK);
  EXPECT_EQ(cmds[2]->type, GUI_COMMAND_CLIP);
}

TEST_F(GuiCommands, BoxIsFourOnePixelRects) {
  gui_draw_box(ctx.get(), gui_rect(10, 20, 30, 40), red);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 4u);
  const int expected[4][4] = {{11, 20, 28, 1}, {11, 59, 28, 1}, {10, 20, 1, 40}, {39, 20, 1, 40}};
  for (int i = 0; i < 4; i++) {
    gui_Rect r = cmds[i]->rect.rect;
    EXPECT_EQ(r.x, expected[i][0]);
    EXPECT_EQ(r.y, expected[i][1]);
    EXPECT_EQ(r.w, expected[i][2]);
    EXPECT_EQ(r.h, expected[i][3]);
  }
}

TEST_F(GuiCommands, DefaultFrameAddsABorderExceptForBarsAndTitles) {
  ctx->draw_frame(ctx.get(), gui_rect(10, 10, 20, 20), GUI_COLOR_BUTTON);
  ctx->draw_frame(ctx.get(), gui_rect(10, 10, 20, 20), GUI_COLOR_SCROLLTHUMB);
  ctx->style->colors[GUI_COLOR_BORDER].a = 0;
  ctx->draw_frame(ctx.get(), gui_rect(10, 10, 20, 20), GUI_COLOR_BUTTON);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 1u + 4u + 1u + 1u);
  gui_Rect left_border = cmds[3]->rect.rect;
  EXPECT_EQ(left_border.x, 9);
  EXPECT_EQ(left_border.h, 22);
}

TEST_F(GuiCommands, RecordsStayAlignedAfterTextsOfAnyLength) {
  for (const char *s : {"a", "ab", "abc", "abcd", "abcde", "abcdefghi"}) {
    gui_draw_text(ctx.get(), nullptr, s, -1, gui_vec2(0, 0), red);
    gui_Command *cmd = gui_push_command(ctx.get(), -1, 24);
    std::memset(reinterpret_cast<char *>(cmd) + sizeof(gui_BaseCommand), 0xab, 24 - sizeof(gui_BaseCommand));
  }
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 12u);
  for (gui_Command *cmd : cmds) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cmd) % alignof(gui_Command), 0u);
  }
  EXPECT_STREQ(cmds[10]->text.str, "abcdefghi");
  EXPECT_EQ(cmds[11]->type, -1);
  EXPECT_GE(cmds[11]->base.size, 24);
}

TEST(GuiCommandList, RecordsBeforeTheFirstWindowSurviveTheChaining) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  gui_Command *own = gui_push_command(ctx.get(), -1, 96);
  std::memset(reinterpret_cast<char *>(own) + sizeof(gui_BaseCommand), 0x5a, 96 - sizeof(gui_BaseCommand));
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "w", gui_rect(0, 0, 100, 100), bare));
  gui_label(ctx.get(), "w");
  gui_end_window(ctx.get());
  gui_end(ctx.get());

  auto cmds = guitest::walk(ctx.get());
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(cmds[0], own);
  EXPECT_EQ(own->type, -1);
  EXPECT_EQ(own->base.size, 96);
  EXPECT_EQ(static_cast<unsigned char>(reinterpret_cast<char *>(own)[95]), 0x5a);
  EXPECT_EQ(cmds[1]->type, GUI_COMMAND_TEXT);
}

TEST_F(GuiCommands, RecordTooSmallForItsHeaderStillAdvancesTheWalk) {
  gui_push_command(ctx.get(), -1, 0);
  gui_push_command(ctx.get(), -2, 3);
  auto cmds = finish();
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(cmds[1]->type, -2);
  EXPECT_GE(cmds[0]->base.size, (int)sizeof(gui_BaseCommand));
}

TEST(GuiCommandList, EmptyFrameWalksNothing) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  gui_end(ctx.get());
  gui_Command *cmd = nullptr;
  EXPECT_EQ(gui_next_command(ctx.get(), &cmd), 0);
}

} // namespace
