#include <gtest/gtest.h>

#include <string>

#include "gui_harness.h"

namespace {

using guitest::bare;

// The report names the source position and the violated condition verbatim.
std::string fatal(const std::string &condition) {
  std::string escaped;
  for (char c : condition) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return "Fatal error: [^:]+:[0-9]+: assertion '" + escaped + "' failed\n";
}

std::string stack_full(const std::string &stack) {
  return "(ctx->" + stack + ").idx < (int) (sizeof((ctx->" + stack + ").items) / sizeof(*(ctx->" + stack +
         ").items))";
}

class GuiDeath : public ::testing::Test {
protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  gui_Context *begin_window() {
    gui_begin(ctx.get());
    gui_begin_window_ex(ctx.get(), "w", gui_rect(0, 0, 300, 300), bare);
    return ctx.get();
  }
  std::unique_ptr<gui_Context> ctx = guitest::make_context();
};

TEST_F(GuiDeath, UnbalancedStacksAtEnd) {
  EXPECT_DEATH(
      {
        begin_window();
        gui_end(ctx.get());
      },
      fatal("ctx->container_stack.idx == 0"));
  EXPECT_DEATH(
      {
        begin_window();
        gui_push_clip_rect(ctx.get(), gui_rect(0, 0, 10, 10));
        gui_end_window(ctx.get());
        gui_end(ctx.get());
      },
      fatal("ctx->clip_stack.idx == 0"));
  EXPECT_DEATH(
      {
        gui_begin(ctx.get());
        gui_push_id(ctx.get(), "x", 1);
        gui_end(ctx.get());
      },
      fatal("ctx->id_stack.idx == 0"));
  EXPECT_DEATH(
      {
        begin_window();
        gui_layout_begin_column(ctx.get());
        gui_end_window(ctx.get());
        gui_end(ctx.get());
      },
      fatal("ctx->layout_stack.idx == 0"));
}

TEST_F(GuiDeath, MissingTextCallbacks) {
  ctx->text_height = nullptr;
  EXPECT_DEATH(gui_begin(ctx.get()), fatal("ctx->text_width && ctx->text_height"));
}

TEST_F(GuiDeath, FullCommandBuffer) {
  EXPECT_DEATH(
      {
        begin_window();
        for (;;) gui_push_command(ctx.get(), -1, 1000);
      },
      fatal("ctx->command_list.idx + size < GUI_COMMANDLIST_SIZE"));
}

TEST_F(GuiDeath, SeventeenNestedLayouts) {
  begin_window(); // the window's body is the first layout
  for (int i = 1; i < GUI_LAYOUTSTACK_SIZE; i++) gui_layout_begin_column(ctx.get());
  EXPECT_EQ(ctx->layout_stack.idx, 16);
  EXPECT_DEATH(gui_layout_begin_column(ctx.get()), fatal(stack_full("layout_stack")));
}

TEST_F(GuiDeath, SeventeenWidths) {
  begin_window();
  int widths[17] = {};
  gui_layout_row(ctx.get(), 16, widths, 0);
  EXPECT_DEATH(gui_layout_row(ctx.get(), 17, widths, 0), fatal("items <= GUI_MAX_WIDTHS"));
  EXPECT_DEATH(gui_layout_row(ctx.get(), 17, nullptr, 0), fatal("items <= GUI_MAX_WIDTHS"));
}

TEST_F(GuiDeath, FortyNinthContainerFindsNoSlot) {
  gui_begin(ctx.get());
  for (int i = 0; i < GUI_CONTAINERPOOL_SIZE; i++) {
    gui_get_container(ctx.get(), ("window " + std::to_string(i)).c_str());
  }
  EXPECT_DEATH(gui_begin_window_ex(ctx.get(), "one too many", gui_rect(0, 0, 10, 10), 0), fatal("n > -1"));
}

TEST_F(GuiDeath, ThirtyThirdRootInOneFrame) {
  gui_begin(ctx.get());
  for (int i = 0; i < GUI_ROOTLIST_SIZE; i++) {
    ASSERT_TRUE(gui_begin_window_ex(ctx.get(), std::to_string(i).c_str(), gui_rect(0, 0, 10, 10), bare));
    gui_end_window(ctx.get());
  }
  EXPECT_DEATH(gui_begin_window_ex(ctx.get(), "last", gui_rect(0, 0, 10, 10), bare), fatal(stack_full("root_list")));
}

TEST_F(GuiDeath, StackOverflowAndUnderflow) {
  gui_begin(ctx.get());
  EXPECT_DEATH(gui_pop_id(ctx.get()), fatal("(ctx->id_stack).idx > 0"));
  EXPECT_DEATH(gui_get_clip_rect(ctx.get()), fatal("ctx->clip_stack.idx > 0"));
  EXPECT_DEATH(gui_get_current_container(ctx.get()), fatal("ctx->container_stack.idx > 0"));
  EXPECT_DEATH(gui_layout_next(ctx.get()), fatal("ctx->layout_stack.idx > 0"));
  EXPECT_DEATH(
      {
        for (int i = 0; i <= GUI_IDSTACK_SIZE; i++) gui_push_id(ctx.get(), "x", 1);
      },
      fatal(stack_full("id_stack")));

  begin_window();
  EXPECT_DEATH(
      {
        for (int i = 0; i <= GUI_CLIPSTACK_SIZE; i++) gui_push_clip_rect(ctx.get(), gui_rect(0, 0, 1, 1));
      },
      fatal(stack_full("clip_stack")));
  EXPECT_DEATH(
      {
        for (int i = 0; i < 3; i++) gui_pop_clip_rect(ctx.get());
      },
      fatal("(ctx->clip_stack).idx > 0"));
}

TEST_F(GuiDeath, TypedTextBeyondThirtyOneBytes) {
  gui_input_text(ctx.get(), "0123456789012345678901234567890"); // 31 bytes fit
  EXPECT_DEATH(gui_input_text(ctx.get(), "x"), fatal("len + size <= (int) sizeof(ctx->input_text)"));
}

} // namespace
