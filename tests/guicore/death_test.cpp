#include <gtest/gtest.h>

#include "gui_harness.h"

namespace {

// The report names the source position and the violated condition verbatim.
std::string fatal(const std::string& condition) {
    std::string escaped;
    for (char c : condition) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
        escaped += c;
    }
    return "Fatal error: [^:]+:[0-9]+: assertion '" + escaped + "' failed\n";
}

std::string stack_full(const std::string& s) {
    return "(ctx->" + s + ").idx < (int) (sizeof((ctx->" + s + ").items) / sizeof(*(ctx->" + s + ").items))";
}

using Step = void (*)(gui_Context*);
void window(gui_Context* c) { gui_begin_window_ex(c, "w", gui_rect(0, 0, 300, 300), guitest::bare); }
void end(gui_Context* c) { gui_end_window(c), gui_end(c); }
void clip(gui_Context* c) { gui_push_clip_rect(c, gui_rect(0, 0, 10, 10)); }
void id(gui_Context* c) { gui_push_id(c, "x", 1); }
void all_clips(gui_Context* c) {
    while (c->clip_stack.idx < GUI_CLIPSTACK_SIZE) clip(c);
}
void no_clips(gui_Context* c) {
    while (c->clip_stack.idx > 0) gui_pop_clip_rect(c);
}
void all_ids(gui_Context* c) {
    while (c->id_stack.idx < GUI_IDSTACK_SIZE) id(c);
}
void all_columns(gui_Context* c) {
    while (c->layout_stack.idx < GUI_LAYOUTSTACK_SIZE) gui_layout_begin_column(c);
}
void all_widths(gui_Context* c) { gui_layout_row(c, GUI_MAX_WIDTHS, nullptr, 0); }
void one_width_more(gui_Context* c) { gui_layout_row(c, GUI_MAX_WIDTHS + 1, nullptr, 0); }
void all_containers(gui_Context* c) {
    for (int i = 0; i < GUI_CONTAINERPOOL_SIZE; i++) gui_get_container(c, std::to_string(i).c_str());
}
void all_roots(gui_Context* c) {
    for (int i = 0; i < GUI_ROOTLIST_SIZE; i++)
        if (gui_begin_window_ex(c, std::to_string(i).c_str(), gui_rect(0, 0, 10, 10), guitest::bare)) gui_end_window(c);
    EXPECT_EQ(c->root_list.idx, GUI_ROOTLIST_SIZE);
}
void one_more_window(gui_Context* c) { gui_begin_window_ex(c, "one more", gui_rect(0, 0, 10, 10), guitest::bare); }
void full_commands(gui_Context* c) {
    for (;;) gui_push_command(c, -1, 1000);
}
void no_callbacks(gui_Context* c) { c->text_height = nullptr; }
void typed_full(gui_Context* c) { gui_input_text(c, "0123456789012345678901234567890"); }
void type_one_more(gui_Context* c) { gui_input_text(c, "x"); }
void clip_rect(gui_Context* c) { gui_get_clip_rect(c); }
void container(gui_Context* c) { gui_get_current_container(c); }
void next_cell(gui_Context* c) { gui_layout_next(c); }

struct Misuse {
    const char* what;
    std::vector<Step> fill;  // brings the context to the limit, which must still be fine
    Step one_more;
    std::string condition;
};

TEST(GuiDeath, FatalMisuseNamesTheViolatedCondition) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const Misuse cases[] = {
        {"window left open", {gui_begin, window}, gui_end, "ctx->container_stack.idx == 0"},
        {"clip left pushed", {gui_begin, window, clip}, end, "ctx->clip_stack.idx == 0"},
        {"id left pushed", {gui_begin, id}, gui_end, "ctx->id_stack.idx == 0"},
        {"column left open", {gui_begin, window, gui_layout_begin_column}, end, "ctx->layout_stack.idx == 0"},
        {"no text callbacks", {no_callbacks}, gui_begin, "ctx->text_width && ctx->text_height"},
        {"command buffer full",
         {gui_begin, window},
         full_commands,
         "ctx->command_list.idx + size < GUI_COMMANDLIST_SIZE"},
        {"nested layouts", {gui_begin, window, all_columns}, gui_layout_begin_column, stack_full("layout_stack")},
        {"widths", {gui_begin, window, all_widths}, one_width_more, "items <= GUI_MAX_WIDTHS"},
        {"containers", {gui_begin, all_containers}, one_more_window, "n > -1"},
        {"roots", {gui_begin, all_roots}, one_more_window, stack_full("root_list")},
        {"id pushes", {gui_begin, all_ids}, id, stack_full("id_stack")},
        {"clip pushes", {gui_begin, window, all_clips}, clip, stack_full("clip_stack")},
        {"clip pops", {gui_begin, window, no_clips}, gui_pop_clip_rect, "(ctx->clip_stack).idx > 0"},
        {"id pop", {gui_begin}, gui_pop_id, "(ctx->id_stack).idx > 0"},
        {"clip of none", {gui_begin}, clip_rect, "ctx->clip_stack.idx > 0"},
        {"container of none", {gui_begin}, container, "ctx->container_stack.idx > 0"},
        {"cell of no layout", {gui_begin}, next_cell, "ctx->layout_stack.idx > 0"},
        {"typed text", {typed_full}, type_one_more, "len + size <= (int) sizeof(ctx->input_text)"},
    };
    for (const Misuse& m : cases) {
        SCOPED_TRACE(m.what);
        auto ctx = guitest::make_context();
        for (Step step : m.fill) step(ctx.get());
        EXPECT_DEATH(m.one_more(ctx.get()), fatal(m.condition));
    }
}

}  // namespace
