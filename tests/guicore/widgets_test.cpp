#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>

#include "gui_harness.h"

namespace {

using guitest::move_mouse;
using guitest::run_frame;

// Presses and releases at the mouse position, one frame each; returns the
// widget's results of the press frame and of the release frame.
template <typename Widget>
std::pair<int, int> click(gui_Context *ctx, Widget widget, int button = GUI_MOUSE_LEFT) {
  int pressed = 0, released = 0;
  auto run = [&](int &result) {
    run_frame(ctx, [&](gui_Context *c) {
      if constexpr (std::is_void_v<decltype(widget(c))>) {
        widget(c);
      } else {
        result = widget(c);
      }
    });
  };
  gui_input_mousedown(ctx, ctx->mouse_pos.x, ctx->mouse_pos.y, button);
  run(pressed);
  gui_input_mouseup(ctx, ctx->mouse_pos.x, ctx->mouse_pos.y, button);
  run(released);
  return {pressed, released};
}

TEST(GuiButton, FiresOnTheLeftPressAlone) {
  auto ctx = guitest::make_context();
  auto button = [](gui_Context *c) { return gui_button_ex(c, "OK", 0, GUI_OPT_ALIGNCENTER); };
  move_mouse(ctx.get(), 10, 10, button);
  EXPECT_EQ(ctx->hover, gui_get_id(ctx.get(), "wOK", 3)) << "hashed inside the window's scope";

  auto [pressed, released] = click(ctx.get(), button);
  EXPECT_EQ(pressed, GUI_RES_SUBMIT);
  EXPECT_EQ(released, 0);

  EXPECT_EQ(click(ctx.get(), button, GUI_MOUSE_RIGHT).first, 0);
  EXPECT_EQ(click(ctx.get(), button, GUI_MOUSE_LEFT | GUI_MOUSE_RIGHT).first, 0);
  EXPECT_EQ(click(ctx.get(), button).first, GUI_RES_SUBMIT) << "still works afterwards";
}

TEST(GuiButton, DoesNotFireWhenPressedElsewhereAndDraggedOn) {
  auto ctx = guitest::make_context();
  int fired = 0;
  auto button = [&](gui_Context *c) { fired |= gui_button_ex(c, "OK", 0, 0); };
  move_mouse(ctx.get(), 200, 200, button);
  gui_input_mousedown(ctx.get(), 200, 200, GUI_MOUSE_LEFT);
  run_frame(ctx.get(), button);
  gui_input_mousemove(ctx.get(), 10, 10);
  run_frame(ctx.get(), button);
  gui_input_mouseup(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
  run_frame(ctx.get(), button);
  EXPECT_EQ(fired, 0);
}

TEST(GuiButton, IconOnlyButtonWorksAndShowsItsIcon) {
  auto ctx = guitest::make_context();
  auto button = [](gui_Context *c) { return gui_button_ex(c, nullptr, GUI_ICON_CLOSE, 0); };
  move_mouse(ctx.get(), 10, 10, button);
  EXPECT_EQ(click(ctx.get(), button).first, GUI_RES_SUBMIT);
  int icons = 0;
  for (gui_Command *cmd : guitest::walk(ctx.get())) icons += cmd->type == GUI_COMMAND_ICON;
  EXPECT_EQ(icons, 1);
  EXPECT_TRUE(guitest::texts(ctx.get()).empty());
}

TEST(GuiButton, OnlyTheHoverRootsControlsReact) {
  auto ctx = guitest::make_context();
  gui_Id button = 0;
  auto frame = [&] {
    gui_begin(ctx.get());
    gui_begin_window_ex(ctx.get(), "lower", gui_rect(0, 0, 100, 100), guitest::bare);
    gui_button_ex(ctx.get(), "x", 0, 0); // at (5, 5, 78, 20)
    button = ctx->last_id;
    gui_end_window(ctx.get());
    gui_begin_window_ex(ctx.get(), "upper", gui_rect(0, 0, 50, 50), guitest::bare);
    gui_end_window(ctx.get());
    gui_end(ctx.get());
  };
  gui_input_mousemove(ctx.get(), 10, 10);
  frame();
  frame();
  EXPECT_EQ(ctx->hover, 0u) << "covered by the upper window";
  gui_input_mousemove(ctx.get(), 60, 10);
  frame();
  frame();
  EXPECT_EQ(ctx->hover, button);
}

TEST(GuiCheckbox, LeftPressTogglesTheState) {
  auto ctx = guitest::make_context();
  int state = 0;
  auto box = [&](gui_Context *c) { return gui_checkbox(c, "check", &state); };
  move_mouse(ctx.get(), 10, 10, box);
  EXPECT_EQ(click(ctx.get(), box).first, GUI_RES_CHANGE);
  EXPECT_EQ(state, 1);
  bool check_icon = false;
  for (gui_Command *cmd : guitest::walk(ctx.get())) {
    check_icon |= cmd->type == GUI_COMMAND_ICON && cmd->icon.id == GUI_ICON_CHECK;
  }
  EXPECT_TRUE(check_icon);
  click(ctx.get(), box);
  EXPECT_EQ(state, 0);
}

class GuiTextbox : public ::testing::Test {
protected:
  void SetUp() override {
    move_mouse(ctx.get(), 10, 10, box);
    click(ctx.get(), box);
    ASSERT_NE(ctx->focus, 0u) << "focus is held after the release";
  }
  int type(const char *text) {
    gui_input_text(ctx.get(), text);
    return frame();
  }
  int key(int k) {
    gui_input_keydown(ctx.get(), k);
    int res = frame();
    gui_input_keyup(ctx.get(), k);
    return res;
  }
  int frame() {
    run_frame(ctx.get(), box);
    return result;
  }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
  char buf[8] = "";
  int result = 0;
  std::function<void(gui_Context *)> box = [this](gui_Context *c) {
    int width = 40;
    gui_layout_row(c, 1, &width, 0);
    result = gui_textbox_ex(c, buf, sizeof(buf), 0);
  };
};

TEST_F(GuiTextbox, TypedTextIsAppendedUpToTheBufferSize) {
  EXPECT_EQ(type("abc"), GUI_RES_CHANGE);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(type("defghij"), GUI_RES_CHANGE);
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(type("k"), 0);
  EXPECT_STREQ(buf, "abcdefg");
}

TEST_F(GuiTextbox, BackspaceRemovesAWholeUtf8Character) {
  type("a\xc3\xa9\xe2\x82\xac"); // a, e-acute, euro sign
  EXPECT_EQ(std::strlen(buf), 6u);
  EXPECT_EQ(key(GUI_KEY_BACKSPACE), GUI_RES_CHANGE);
  EXPECT_STREQ(buf, "a\xc3\xa9");
  key(GUI_KEY_BACKSPACE);
  EXPECT_STREQ(buf, "a");
  key(GUI_KEY_BACKSPACE);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(key(GUI_KEY_BACKSPACE), 0);
}

TEST_F(GuiTextbox, CharacterThatDoesNotFitWholeIsNotSplit) {
  type("abcdef");
  EXPECT_EQ(type("\xc3\xa9"), 0);
  EXPECT_STREQ(buf, "abcdef");
  EXPECT_EQ(type("x\xc3\xa9"), GUI_RES_CHANGE);
  EXPECT_STREQ(buf, "abcdefx");
}

TEST_F(GuiTextbox, ReturnSubmitsAndDropsTheFocus) {
  type("hi");
  EXPECT_EQ(key(GUI_KEY_RETURN), GUI_RES_SUBMIT);
  EXPECT_EQ(ctx->focus, 0u);
  EXPECT_EQ(type("more"), 0);
  EXPECT_STREQ(buf, "hi");
}

TEST_F(GuiTextbox, FocusedTextScrollsLeftToKeepTheCaretVisible) {
  auto text_x = [&] {
    for (gui_Command *cmd : guitest::walk(ctx.get())) {
      if (cmd->type == GUI_COMMAND_TEXT) return cmd->text.pos.x;
    }
    return -1000;
  };
  type("ab"); // 16 pixels in a 40-pixel cell at x = 5
  EXPECT_EQ(text_x(), 5 + 5);
  type("cdefg"); // 56 pixels: the end stays one caret short of the padding
  EXPECT_EQ(text_x(), 5 + 40 - 5 - 56 - 1);
}

// A slider over a 200-pixel cell at x = 5.
class GuiSlider : public ::testing::Test {
protected:
  void SetUp() override { move_mouse(ctx.get(), 10, 10, slider); }
  int press_at(int x) {
    gui_input_mousedown(ctx.get(), x, 10, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), slider);
    return result;
  }
  int drag_to(int x) {
    gui_input_mousemove(ctx.get(), x, 10);
    run_frame(ctx.get(), slider);
    return result;
  }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
  gui_Real value = 50;
  int result = 0;
  std::function<void(gui_Context *)> slider = [this](gui_Context *c) {
    int width = 200;
    gui_layout_row(c, 1, &width, 0);
    result = gui_slider_ex(c, &value, 0, 100, 10, "%.0f", 0);
  };
};

TEST_F(GuiSlider, PressSnapsToTheNearestStep) {
  EXPECT_EQ(press_at(5 + 66), GUI_RES_CHANGE);
  EXPECT_FLOAT_EQ(value, 30);
  EXPECT_EQ(drag_to(5 + 75), GUI_RES_CHANGE);
  EXPECT_FLOAT_EQ(value, 40);
  EXPECT_EQ(drag_to(5 + 76), 0);
}

TEST_F(GuiSlider, DraggingPastTheEndsClamps) {
  press_at(10);
  drag_to(1000);
  EXPECT_FLOAT_EQ(value, 100);
  drag_to(-300);
  EXPECT_FLOAT_EQ(value, 0);
  EXPECT_TRUE(guitest::texts(ctx.get()) == std::vector<std::string>{"0"});
}

TEST(GuiSliderRange, EmptyRangeKeepsTheValueAtItsOnlyPoint) {
  auto ctx = guitest::make_context();
  gui_Real value = 7;
  auto slider = [&](gui_Context *c) { gui_slider_ex(c, &value, 3, 3, 0, "%.1f", 0); };
  move_mouse(ctx.get(), 10, 10, slider);
  gui_input_mousedown(ctx.get(), 40, 10, GUI_MOUSE_LEFT);
  run_frame(ctx.get(), slider);
  EXPECT_FLOAT_EQ(value, 3);
  auto thumbs = guitest::rects_of(ctx.get(), ctx->style->colors[GUI_COLOR_BUTTONFOCUS]);
  ASSERT_EQ(thumbs.size(), 1u);
  EXPECT_EQ(thumbs[0].x, 5);
}

TEST(GuiNumber, LeftDragChangesByDeltaTimesStep) {
  auto ctx = guitest::make_context();
  gui_Real value = 1;
  int result = 0;
  auto number = [&](gui_Context *c) { result = gui_number_ex(c, &value, 0.5f, "%.2f", 0); };
  move_mouse(ctx.get(), 10, 10, number);
  gui_input_mousedown(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
  run_frame(ctx.get(), number);
  EXPECT_EQ(result, 0);
  gui_input_mousemove(ctx.get(), 16, 10);
  run_frame(ctx.get(), number);
  EXPECT_EQ(result, GUI_RES_CHANGE);
  EXPECT_FLOAT_EQ(value, 4);
}

TEST(GuiNumber, ShiftClickEditsTheValueAsText) {
  auto ctx = guitest::make_context();
  gui_Real value = 2.5f;
  int result = -1;
  auto number = [&](gui_Context *c) { return result = gui_number_ex(c, &value, 1, "%.2f", 0); };
  move_mouse(ctx.get(), 10, 10, number);

  gui_input_keydown(ctx.get(), GUI_KEY_SHIFT);
  auto [pressed, released] = click(ctx.get(), number);
  EXPECT_EQ(pressed, 0);
  EXPECT_EQ(released, 0);
  EXPECT_STREQ(ctx->number_edit_buf, "2.5");
  EXPECT_NE(ctx->number_edit, 0u);
  EXPECT_EQ(guitest::texts(ctx.get()), std::vector<std::string>{"2.5"}) << "a text box stands in";
  gui_input_keyup(ctx.get(), GUI_KEY_SHIFT);

  for (int i = 0; i < 3; i++) {
    gui_input_keydown(ctx.get(), GUI_KEY_BACKSPACE);
    run_frame(ctx.get(), number);
  }
  gui_input_text(ctx.get(), "42");
  run_frame(ctx.get(), number);
  EXPECT_EQ(result, 0);
  EXPECT_FLOAT_EQ(value, 2.5f);

  gui_input_keydown(ctx.get(), GUI_KEY_RETURN);
  run_frame(ctx.get(), number);
  EXPECT_EQ(result, GUI_RES_CHANGE);
  EXPECT_FLOAT_EQ(value, 42);
  EXPECT_EQ(ctx->number_edit, 0u);

  run_frame(ctx.get(), number);
  EXPECT_EQ(guitest::texts(ctx.get()), std::vector<std::string>{"42.00"});
}

// A tree node at the top of the window with one label inside.
struct Tree {
  int result = 0;
  gui_Rect child{};
  int opt = 0;
  void operator()(gui_Context *c) {
    result = gui_begin_treenode_ex(c, "node", opt);
    if (result & GUI_RES_ACTIVE) {
      gui_label(c, "child");
      child = c->last_rect;
      gui_end_treenode(c);
    }
  }
};

TEST(GuiTreeNode, ExpandedStateSurvivesFrames) {
  auto ctx = guitest::make_context();
  Tree tree;
  auto body = [&](gui_Context *c) { tree(c); };
  move_mouse(ctx.get(), 10, 10, body);
  EXPECT_EQ(tree.result, 0);

  auto [pressed, released] = click(ctx.get(), [&](gui_Context *c) {
    tree(c);
    return tree.result;
  });
  EXPECT_EQ(pressed, 0) << "the frame of the click still shows the old state";
  EXPECT_EQ(released, GUI_RES_ACTIVE);
  EXPECT_EQ(tree.child.x, 5 + 24) << "children are indented";
  for (int i = 0; i < 5; i++) run_frame(ctx.get(), body);
  EXPECT_EQ(tree.result, GUI_RES_ACTIVE);

  click(ctx.get(), [&](gui_Context *c) {
    tree(c);
    return tree.result;
  });
  EXPECT_EQ(tree.result, 0);
}

TEST(GuiTreeNode, ExpandedOptionStartsOpen) {
  auto ctx = guitest::make_context();
  Tree tree;
  tree.opt = GUI_OPT_EXPANDED;
  run_frame(ctx.get(), [&](gui_Context *c) { tree(c); });
  EXPECT_EQ(tree.result, GUI_RES_ACTIVE);
  bool expanded_icon = false;
  for (gui_Command *cmd : guitest::walk(ctx.get())) {
    expanded_icon |= cmd->type == GUI_COMMAND_ICON && cmd->icon.id == GUI_ICON_EXPANDED;
  }
  EXPECT_TRUE(expanded_icon);
}

TEST(GuiHeader, TakesAFullWidthRowAndToggles) {
  auto ctx = guitest::make_context();
  int result = 0;
  gui_Rect row{};
  auto header = [&](gui_Context *c) {
    result = gui_header_ex(c, "Header", 0);
    row = c->last_rect;
  };
  move_mouse(ctx.get(), 300, 10, header);
  EXPECT_EQ(row.w, 390);
  click(ctx.get(), [&](gui_Context *c) {
    header(c);
    return result;
  });
  EXPECT_EQ(result, GUI_RES_ACTIVE);
}

} // namespace
