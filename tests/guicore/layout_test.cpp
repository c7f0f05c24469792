#include <gtest/gtest.h>

#include "gui_harness.h"

namespace {

using guitest::bare;

void expect_rect(gui_Rect r, int x, int y, int w, int h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.w, w);
  EXPECT_EQ(r.h, h);
}

// A window whose layout body is (5, 5, 300, 400).
class GuiLayout : public ::testing::Test {
protected:
  void SetUp() override {
    gui_begin(ctx.get());
    ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "layout", gui_rect(0, 0, 310, 410), bare));
  }
  void TearDown() override {
    gui_end_window(ctx.get());
    gui_end(ctx.get());
  }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
};

TEST_F(GuiLayout, DefaultCellsStackOnePerRow) {
  expect_rect(gui_layout_next(ctx.get()), 5, 5, 78, 20);
  expect_rect(gui_layout_next(ctx.get()), 5, 29, 78, 20);
  expect_rect(ctx->last_rect, 5, 29, 78, 20);
}

TEST_F(GuiLayout, ItemsOfRowAdvanceBySizeAndSpacing) {
  int widths[] = {0, 0};
  gui_layout_row(ctx.get(), 2, widths, 0);
  expect_rect(gui_layout_next(ctx.get()), 5, 5, 78, 20);
  expect_rect(gui_layout_next(ctx.get()), 87, 5, 78, 20);
}

TEST_F(GuiLayout, NegativeWidthsReachTowardTheRightEdge) {
  int fill[] = {100, -1};
  gui_layout_row(ctx.get(), 2, fill, 0);
  expect_rect(gui_layout_next(ctx.get()), 5, 5, 100, 20);
  expect_rect(gui_layout_next(ctx.get()), 109, 5, 196, 20);

  int short_of_edge[] = {-10};
  gui_layout_row(ctx.get(), 1, short_of_edge, -1);
  expect_rect(gui_layout_next(ctx.get()), 5, 29, 291, 400 - 24);
}

TEST_F(GuiLayout, FullRowWrapsWithTheSamePattern) {
  int widths[] = {50, 60, 70};
  gui_layout_row(ctx.get(), 3, widths, 30);
  for (int i = 0; i < 3; i++) gui_layout_next(ctx.get());
  expect_rect(gui_layout_next(ctx.get()), 5, 5 + 34, 50, 30);
  expect_rect(gui_layout_next(ctx.get()), 59, 5 + 34, 60, 30);
}

TEST_F(GuiLayout, SetNextAbsoluteLeavesTheRowAlone) {
  gui_layout_set_next(ctx.get(), gui_rect(200, 300, 10, 11), 0);
  expect_rect(gui_layout_next(ctx.get()), 200, 300, 10, 11);
  expect_rect(ctx->last_rect, 200, 300, 10, 11);
  expect_rect(gui_layout_next(ctx.get()), 5, 5, 78, 20);
}

TEST_F(GuiLayout, SetNextRelativeIsOffsetAndAdvances) {
  int widths[] = {0, 0};
  gui_layout_row(ctx.get(), 2, widths, 0);
  gui_layout_set_next(ctx.get(), gui_rect(10, 20, 30, 40), 1);
  expect_rect(gui_layout_next(ctx.get()), 15, 25, 30, 40);
  // position.x moved past the relative cell (30 + spacing); the item count did not.
  expect_rect(gui_layout_next(ctx.get()), 5 + 34, 5, 78, 20);
  expect_rect(gui_layout_next(ctx.get()), 5 + 34 + 82, 5, 78, 20);
  // The relative cell's bottom (20 + 40) plus spacing starts the next row.
  expect_rect(gui_layout_next(ctx.get()), 5, 5 + 64, 78, 20);
}

TEST_F(GuiLayout, TallColumnPushesTheNextRowDown) {
  int widths[] = {100, 100};
  gui_layout_row(ctx.get(), 2, widths, 20);
  gui_layout_begin_column(ctx.get());
  for (int i = 0; i < 3; i++) gui_layout_next(ctx.get()); // 3 default rows: 72 high with spacing
  gui_layout_end_column(ctx.get());
  expect_rect(gui_layout_next(ctx.get()), 109, 5, 100, 20);
  expect_rect(gui_layout_next(ctx.get()), 5, 5 + 72, 100, 20);
}

TEST(GuiLayoutContent, ContentSizeIsTheExtentReached) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "w", gui_rect(20, 30, 310, 410), bare));
  int widths[] = {120};
  gui_layout_row(ctx.get(), 1, widths, 70);
  gui_layout_next(ctx.get());
  gui_layout_next(ctx.get());
  gui_Container *cnt = gui_get_current_container(ctx.get());
  gui_end_window(ctx.get());
  gui_end(ctx.get());
  EXPECT_EQ(cnt->content_size.x, 120);
  EXPECT_EQ(cnt->content_size.y, 70 + 4 + 70);
}

TEST(GuiLayoutContent, ScrollShiftsTheLayoutBody) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  gui_Container *cnt = gui_get_container(ctx.get(), "scrolled");
  cnt->scroll = gui_vec2(3, 17);
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "scrolled", gui_rect(0, 0, 310, 410), bare));
  expect_rect(gui_layout_next(ctx.get()), 5 - 3, 5 - 17, 78, 20);
  gui_end_window(ctx.get());
  gui_end(ctx.get());
}

} // namespace
