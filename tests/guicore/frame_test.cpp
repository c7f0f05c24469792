#include <gtest/gtest.h>

#include <string>

#include "gui_harness.h"

namespace {

using guitest::bare;
using Texts = std::vector<std::string>;

// One frame of windows, each labelled with its own name.
void frame_of(gui_Context *ctx, std::initializer_list<std::pair<const char *, gui_Rect>> windows) {
  gui_begin(ctx);
  for (auto &[name, rect] : windows) {
    if (gui_begin_window_ex(ctx, name, rect, bare)) {
      gui_label(ctx, name);
      gui_end_window(ctx);
    }
  }
  gui_end(ctx);
}

const gui_Rect lower = gui_rect(0, 0, 100, 100);
const gui_Rect upper = gui_rect(50, 50, 100, 100);

TEST(GuiFrame, FocusIsClearedWhenNoControlConfirmsIt) {
  auto ctx = guitest::make_context();
  ctx->focus = 1234;
  gui_begin(ctx.get());
  gui_end(ctx.get());
  EXPECT_EQ(ctx->focus, 0u);
  EXPECT_EQ(ctx->updated_focus, 0);
}

TEST(GuiFrame, PressOnLowerWindowBringsItToFront) {
  auto ctx = guitest::make_context();
  frame_of(ctx.get(), {{"A", lower}, {"B", upper}});
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"A", "B"}));

  gui_input_mousedown(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
  frame_of(ctx.get(), {{"A", lower}, {"B", upper}});
  EXPECT_EQ(gui_get_container(ctx.get(), "A")->zindex, ctx->last_zindex);
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"B", "A"}));

  gui_input_mouseup(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
  frame_of(ctx.get(), {{"A", lower}, {"B", upper}});
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"B", "A"}));
}

TEST(GuiFrame, PressWhereWindowsOverlapPicksTheUpperOne) {
  auto ctx = guitest::make_context();
  frame_of(ctx.get(), {{"A", lower}, {"B", upper}});
  int before = ctx->last_zindex;
  gui_input_mousedown(ctx.get(), 60, 60, GUI_MOUSE_LEFT);
  frame_of(ctx.get(), {{"A", lower}, {"B", upper}});
  EXPECT_EQ(ctx->last_zindex, before) << "the upper window is already in front";
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"A", "B"}));
}

TEST(GuiFrame, WalkVisitsRootsBackToFrontEachInOneRun) {
  auto ctx = guitest::make_context();
  frame_of(ctx.get(), {{"1", lower}, {"2", lower}, {"3", lower}});
  gui_bring_to_front(ctx.get(), gui_get_container(ctx.get(), "2"));
  gui_bring_to_front(ctx.get(), gui_get_container(ctx.get(), "1"));

  gui_begin(ctx.get());
  for (const char *name : {"1", "2", "3"}) {
    ASSERT_TRUE(gui_begin_window_ex(ctx.get(), name, lower, bare));
    gui_label(ctx.get(), name);
    gui_label(ctx.get(), name);
    gui_end_window(ctx.get());
  }
  gui_end(ctx.get());
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"3", "3", "2", "2", "1", "1"}));
  for (gui_Command *cmd : guitest::walk(ctx.get())) EXPECT_NE(cmd->type, GUI_COMMAND_JUMP);
}

TEST(GuiFrame, WindowBegunInsideAnotherIsNotClippedByIt) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "outer", gui_rect(0, 0, 50, 50), bare));
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "inner", gui_rect(200, 200, 100, 100), bare));
  gui_label(ctx.get(), "inner");
  gui_end_window(ctx.get());
  gui_label(ctx.get(), "outer");
  gui_end_window(ctx.get());
  gui_end(ctx.get());
  EXPECT_EQ(guitest::texts(ctx.get()), (Texts{"outer", "inner"}));
}

TEST(GuiFrame, CheckClipTreatsTouchingAsPartlyVisible) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "clip", gui_rect(0, 0, 100, 100), bare));
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(10, 10, 5, 5)), 0);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(0, 0, 100, 100)), 0);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(100, 10, 5, 5)), GUI_CLIP_PART);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(-5, 10, 5, 5)), GUI_CLIP_PART);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(10, 100, 5, 5)), GUI_CLIP_PART);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(95, 95, 10, 10)), GUI_CLIP_PART);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(101, 10, 5, 5)), GUI_CLIP_ALL);
  EXPECT_EQ(gui_check_clip(ctx.get(), gui_rect(10, -6, 5, 5)), GUI_CLIP_ALL);
  gui_end_window(ctx.get());
  gui_end(ctx.get());
}

TEST(GuiFrame, NestedClipRectsIntersect) {
  auto ctx = guitest::make_context();
  gui_begin(ctx.get());
  ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "clip", gui_rect(0, 0, 100, 100), bare));
  gui_push_clip_rect(ctx.get(), gui_rect(50, -20, 100, 40));
  gui_Rect c = gui_get_clip_rect(ctx.get());
  EXPECT_EQ(c.x, 50);
  EXPECT_EQ(c.y, 0);
  EXPECT_EQ(c.w, 50);
  EXPECT_EQ(c.h, 20);
  gui_push_clip_rect(ctx.get(), gui_rect(200, 200, 10, 10));
  EXPECT_EQ(gui_get_clip_rect(ctx.get()).w, 0);
  EXPECT_EQ(gui_get_clip_rect(ctx.get()).h, 0);
  gui_pop_clip_rect(ctx.get());
  gui_pop_clip_rect(ctx.get());
  gui_end_window(ctx.get());
  gui_end(ctx.get());
}

TEST(GuiFrame, UndeclaredContainerLosesItsSlotToTheLeastRecentlyUsed) {
  auto ctx = guitest::make_context();
  auto name = [](int i) { return "c" + std::to_string(i); };
  auto touch_all_but = [&](int skip) {
    gui_begin(ctx.get());
    for (int i = 0; i < GUI_CONTAINERPOOL_SIZE; i++) {
      if (i != skip && i != 3) gui_get_container(ctx.get(), name(i).c_str());
    }
  };
  gui_begin(ctx.get());
  for (int i = 0; i < GUI_CONTAINERPOOL_SIZE; i++) gui_get_container(ctx.get(), name(i).c_str());
  gui_Container *third = gui_get_container(ctx.get(), "c3");
  third->scroll = gui_vec2(7, 7);
  gui_end(ctx.get());
  touch_all_but(7); // c3 and c7 idle
  gui_end(ctx.get());
  touch_all_but(-1); // only c3 idle

  gui_Container *fresh = gui_get_container(ctx.get(), "fresh");
  EXPECT_EQ(fresh, third);
  EXPECT_EQ(fresh->scroll.y, 0) << "a reassigned slot starts over";
  EXPECT_EQ(fresh->open, 1);
  EXPECT_EQ(fresh->zindex, ctx->last_zindex);
  gui_end(ctx.get());
}

} // namespace
