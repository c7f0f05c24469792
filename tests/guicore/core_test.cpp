#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "gui_harness.h"

namespace {

using namespace guitest;

TEST(GuiPool, NewContainerTakesTheLeastRecentlyUsedSlotAndStartsOver) {
    auto ctx = make_context();
    auto touch_all_but = [&](std::initializer_list<int> idle) {
        gui_begin(ctx.get());
        for (int i = 0; i < GUI_CONTAINERPOOL_SIZE; i++)
            if (std::find(idle.begin(), idle.end(), i) == idle.end())
                gui_get_container(ctx.get(), ("c" + std::to_string(i)).c_str());
    };
    touch_all_but({});
    gui_Container* seventh = gui_get_container(ctx.get(), "c7");
    seventh->scroll = gui_vec2(7, 7);
    gui_end(ctx.get());
    touch_all_but({7, 9});
    gui_end(ctx.get());
    touch_all_but({3, 7, 9});  // c7 and c9 idle longest, c3 since this frame
    gui_Container* fresh = gui_get_container(ctx.get(), "fresh");
    EXPECT_EQ(fresh, seventh) << "the first of the oldest";
    EXPECT_EQ(fresh->scroll.y, 0);
    EXPECT_EQ(fresh->open, 1);
    EXPECT_EQ(fresh->zindex, ctx->last_zindex);
    gui_end(ctx.get());
}

// Records following an odd-length text, or too small for their own header, used to be read misaligned.
TEST(GuiCommands, RecordsStayAlignedAndWalkable) {
    auto ctx = make_context();
    gui_begin(ctx.get());
    ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "w", gui_rect(0, 0, 100, 100), bare));
    const gui_Color red = gui_color(255, 0, 0, 255);
    for (const char* s : {"a", "ab", "abc", "abcd", "abcde", "abcdefghi"}) {
        gui_draw_text(ctx.get(), nullptr, s, -1, gui_vec2(0, 0), red);
        gui_Command* cmd = gui_push_command(ctx.get(), -1, 24);
        std::memset(reinterpret_cast<char*>(cmd) + sizeof(gui_BaseCommand), 0xab, 24 - sizeof(gui_BaseCommand));
    }
    gui_push_command(ctx.get(), -2, 0);
    gui_push_command(ctx.get(), -3, 3);
    gui_end_window(ctx.get());
    gui_end(ctx.get());
    auto cmds = walk(ctx.get());
    ASSERT_EQ(cmds.size(), 14u);
    for (gui_Command* cmd : cmds) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cmd) % alignof(gui_Command), 0u);
    EXPECT_STREQ(cmds[10]->text.str, "abcdefghi");
    EXPECT_EQ(cmds[11]->type, -1);
    EXPECT_GE(cmds[12]->base.size, (int)sizeof(gui_BaseCommand));
    EXPECT_EQ(cmds[13]->type, -3);
}

}  // namespace
