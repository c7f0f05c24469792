#include <gtest/gtest.h>

#include "gui_harness.h"

namespace {

using guitest::run_window;

void nothing(gui_Context *) {}

// Moves the mouse, lets two frames make the control under it hovered, then
// presses the left button there.
void press_at(gui_Context *ctx, int x, int y, const std::function<gui_Container *()> &frame) {
  gui_input_mousemove(ctx, x, y);
  frame();
  frame();
  gui_input_mousedown(ctx, x, y, GUI_MOUSE_LEFT);
  frame();
}

class GuiWindow : public ::testing::Test {
protected:
  gui_Container *frame() { return run_window(ctx.get(), gui_rect(50, 50, 300, 200), opt, body); }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
  int opt = 0;
  std::function<void(gui_Context *)> body = nothing;
};

TEST_F(GuiWindow, KeepsItsFirstRectangle) {
  gui_Container *cnt = frame();
  run_window(ctx.get(), gui_rect(0, 0, 10, 10), 0, nothing);
  EXPECT_EQ(cnt->rect.x, 50);
  EXPECT_EQ(cnt->rect.w, 300);
}

TEST_F(GuiWindow, TitleBarDragMovesIt) {
  press_at(ctx.get(), 60, 55, [&] { return frame(); });
  gui_input_mousemove(ctx.get(), 70, 75);
  gui_Container *cnt = frame();
  EXPECT_EQ(cnt->rect.x, 60);
  EXPECT_EQ(cnt->rect.y, 70);
}

TEST_F(GuiWindow, NoInteractTitleCannotBeDragged) {
  opt = GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE;
  press_at(ctx.get(), 60, 55, [&] { return frame(); });
  gui_input_mousemove(ctx.get(), 70, 75);
  EXPECT_EQ(frame()->rect.x, 50);
}

TEST_F(GuiWindow, CloseButtonClosesIt) {
  press_at(ctx.get(), 340, 60, [&] { return frame(); });
  EXPECT_EQ(frame(), nullptr) << "a closed window is not begun";
  gui_Command *cmd = nullptr;
  EXPECT_EQ(gui_next_command(ctx.get(), &cmd), 0);
}

TEST_F(GuiWindow, ResizeHandleStopsAt96By64) {
  press_at(ctx.get(), 340, 240, [&] { return frame(); });
  gui_input_mousemove(ctx.get(), 360, 250);
  gui_Container *cnt = frame();
  EXPECT_EQ(cnt->rect.w, 320);
  EXPECT_EQ(cnt->rect.h, 210);
  gui_input_mousemove(ctx.get(), -1000, -1000);
  frame();
  EXPECT_EQ(cnt->rect.w, 96);
  EXPECT_EQ(cnt->rect.h, 64);
}

// A 200 x 200 window without chrome holding content 500 high.
class GuiScrolling : public ::testing::Test {
protected:
  void SetUp() override {
    ctx->style->colors[GUI_COLOR_SCROLLTHUMB] = thumb_color;
    frame();
  }
  gui_Container *frame() {
    return run_window(ctx.get(), gui_rect(0, 0, 200, 200), GUI_OPT_NOTITLE | GUI_OPT_NORESIZE | GUI_OPT_NOFRAME,
                      [](gui_Context *c) {
                        int width = -1;
                        gui_layout_row(c, 1, &width, 500);
                        gui_layout_next(c);
                      });
  }
  std::vector<gui_Rect> thumbs() { return guitest::rects_of(ctx.get(), thumb_color); }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
  gui_Color thumb_color = gui_color(1, 2, 3, 255);
};

TEST_F(GuiScrolling, ThumbIsSizedByTheVisibleShare) {
  gui_Container *cnt = frame();
  auto t = thumbs();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].h, 78); // 200 * 200 / (500 + 2 * 5)
  EXPECT_EQ(t[0].x, 188);
  EXPECT_EQ(t[0].w, 12);
  EXPECT_EQ(cnt->body.w, 188);
  EXPECT_EQ(cnt->body.h, 200) << "content is not wider than the body: no horizontal bar";
}

TEST_F(GuiScrolling, DraggingTheBarScrollsByTheContentRatio) {
  press_at(ctx.get(), 194, 10, [&] { return frame(); });
  gui_input_mousemove(ctx.get(), 194, 30);
  gui_Container *cnt = frame();
  EXPECT_EQ(cnt->scroll.y, 20 * 510 / 200);
  EXPECT_EQ(thumbs()[0].y, 51 * (200 - 78) / 310);
  gui_input_mousemove(ctx.get(), 194, 3000);
  frame();
  EXPECT_EQ(cnt->scroll.y, 310) << "clamped to the content height minus the body height";
}

TEST_F(GuiScrolling, WheelScrollsTheContainerUnderTheMouse) {
  gui_input_mousemove(ctx.get(), 50, 50);
  frame();
  gui_input_scroll(ctx.get(), 0, 40);
  gui_Container *cnt = frame();
  EXPECT_EQ(cnt->scroll.y, 40);
  gui_input_scroll(ctx.get(), 0, 1000);
  frame();
  frame();
  EXPECT_EQ(cnt->scroll.y, 310);
}

TEST(GuiScrollingSideways, WideContentGetsAHorizontalBar) {
  auto ctx = guitest::make_context();
  gui_Color thumb = gui_color(1, 2, 3, 255);
  ctx->style->colors[GUI_COLOR_SCROLLTHUMB] = thumb;
  gui_Container *cnt = nullptr;
  for (int i = 0; i < 2; i++) {
    cnt = run_window(ctx.get(), gui_rect(0, 0, 200, 200), GUI_OPT_NOTITLE | GUI_OPT_NORESIZE, [](gui_Context *c) {
      int width = 500;
      gui_layout_row(c, 1, &width, 20);
      gui_layout_next(c);
    });
  }
  auto thumbs = guitest::rects_of(ctx.get(), thumb);
  ASSERT_EQ(thumbs.size(), 1u);
  EXPECT_EQ(thumbs[0].x, 0);
  EXPECT_EQ(thumbs[0].y, 188);
  EXPECT_EQ(thumbs[0].w, 78);
  EXPECT_EQ(thumbs[0].h, 12);
  EXPECT_EQ(cnt->body.w, 200);
  EXPECT_EQ(cnt->body.h, 188);
}

TEST(GuiPanel, HasItsOwnBodyAndScrollBars) {
  auto ctx = guitest::make_context();
  gui_Container *panel = nullptr;
  auto body = [&](gui_Context *c) {
    int width = -1;
    gui_layout_row(c, 1, &width, 50);
    gui_begin_panel_ex(c, "panel", 0);
    panel = gui_get_current_container(c);
    for (int i = 0; i < 5; i++) gui_label(c, "line");
    gui_end_panel(c);
  };
  guitest::run_frame(ctx.get(), body);
  guitest::run_frame(ctx.get(), body);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->head, nullptr) << "panels are no roots";
  EXPECT_EQ(panel->rect.w, 390);
  EXPECT_EQ(panel->content_size.y, 5 * 24 - 4);
  EXPECT_EQ(panel->body.w, 390 - 12);
}

TEST(GuiPanel, ClosedOptionDoesNotLoseThePanel) {
  auto ctx = guitest::make_context();
  gui_Container *panel = nullptr;
  guitest::run_frame(ctx.get(), [&](gui_Context *c) {
    gui_begin_panel_ex(c, "fresh", GUI_OPT_CLOSED);
    panel = gui_get_current_container(c);
    gui_end_panel(c);
  });
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->rect.w, 78);
}

TEST(GuiPopup, OpensAtTheMouseSizesToContentAndClosesOnOutsidePress) {
  auto ctx = guitest::make_context();
  int active = 0;
  auto frame = [&] {
    gui_begin(ctx.get());
    active = gui_begin_popup(ctx.get(), "menu");
    if (active) {
      gui_label(ctx.get(), "item");
      gui_end_popup(ctx.get());
    }
    gui_end(ctx.get());
  };
  frame();
  EXPECT_EQ(active, 0) << "closed until opened";

  gui_input_mousemove(ctx.get(), 30, 40);
  gui_open_popup(ctx.get(), "menu");
  frame();
  frame();
  EXPECT_EQ(active, GUI_RES_ACTIVE);
  gui_Container *menu = gui_get_container(ctx.get(), "menu");
  EXPECT_EQ(menu->rect.x, 30);
  EXPECT_EQ(menu->rect.y, 40);
  EXPECT_EQ(menu->rect.w, 78 + 10);
  EXPECT_EQ(menu->rect.h, 20 + 10);

  gui_input_mousedown(ctx.get(), 35, 45, GUI_MOUSE_RIGHT);
  frame();
  EXPECT_EQ(active, GUI_RES_ACTIVE) << "a press inside keeps it";
  gui_input_mouseup(ctx.get(), 35, 45, GUI_MOUSE_RIGHT);

  gui_input_mousemove(ctx.get(), 300, 300);
  frame();
  gui_input_mousedown(ctx.get(), 300, 300, GUI_MOUSE_RIGHT);
  frame();
  frame();
  EXPECT_EQ(active, 0);
}

} // namespace
