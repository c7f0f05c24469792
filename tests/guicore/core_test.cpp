#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "gui_harness.h"

namespace {

using namespace guitest;
using Texts = std::vector<std::string>;

gui_Id hash(gui_Context* ctx, const char* s) { return gui_get_id(ctx, s, (int)std::strlen(s)); }

TEST(GuiIds, Fnv1aVectorsAndChainedScopes) {
    auto ctx = make_context();
    EXPECT_EQ(hash(ctx.get(), ""), 0x811c9dc5u);
    EXPECT_EQ(hash(ctx.get(), "a"), 0xe40c292cu);
    EXPECT_EQ(hash(ctx.get(), "foobar"), 0xbf9cf968u);
    EXPECT_EQ(ctx->last_id, 0xbf9cf968u);
    const gui_Id joined = hash(ctx.get(), "windowbutton"), alone = hash(ctx.get(), "button");
    const gui_Id window = hash(ctx.get(), "window");
    gui_push_id(ctx.get(), "window", 6);
    EXPECT_EQ(ctx->last_id, window);
    EXPECT_EQ(hash(ctx.get(), "button"), joined) << "hashing continues from the scope";
    gui_pop_id(ctx.get());
    EXPECT_EQ(hash(ctx.get(), "button"), alone);
}

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

TEST(GuiFrame, FocusIsClearedWhenNoControlConfirmsIt) {
    auto ctx = make_context();
    ctx->focus = 1234;
    gui_begin(ctx.get());
    gui_end(ctx.get());
    EXPECT_EQ(ctx->focus, 0u);
}

// Records drawn inside a bare window whose clip rectangle is (0, 0, 100, 100).
class GuiCommands : public ::testing::Test {
protected:
    void SetUp() override {
        gui_begin(ctx.get());
        ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "cmds", gui_rect(0, 0, 100, 100), bare));
    }
    std::vector<gui_Command*> finish() {
        gui_end_window(ctx.get());
        gui_end(ctx.get());
        return walk(ctx.get());
    }
    std::unique_ptr<gui_Context> ctx = make_context();
    gui_Color red = gui_color(255, 0, 0, 255);
};

TEST_F(GuiCommands, ShapesAreCutToTheClipOrDropped) {
    const gui_Rect in[] = {{10, 10, 5, 5},   {0, 0, 100, 100}, {100, 10, 5, 5}, {-5, 10, 5, 5},
                           {95, 95, 10, 10}, {101, 10, 5, 5},  {10, -6, 5, 5}};
    const int clip[] = {0, 0, GUI_CLIP_PART, GUI_CLIP_PART, GUI_CLIP_PART, GUI_CLIP_ALL, GUI_CLIP_ALL};
    for (int i = 0; i < 7; i++) EXPECT_EQ(gui_check_clip(ctx.get(), in[i]), clip[i]) << i;
    gui_push_clip_rect(ctx.get(), gui_rect(50, -20, 100, 40));
    EXPECT_EQ(box(gui_get_clip_rect(ctx.get())), (Box{50, 0, 50, 20}));
    gui_push_clip_rect(ctx.get(), gui_rect(200, 200, 10, 10));
    EXPECT_EQ(box(gui_get_clip_rect(ctx.get())), (Box{200, 200, 0, 0}));
    gui_pop_clip_rect(ctx.get());
    gui_pop_clip_rect(ctx.get());

    gui_draw_rect(ctx.get(), gui_rect(90, -10, 20, 30), red);
    gui_draw_rect(ctx.get(), gui_rect(100, 10, 20, 30), red);  // touches only: nothing visible
    gui_draw_rect(ctx.get(), gui_rect(10, 10, 0, 30), red);
    gui_draw_box(ctx.get(), gui_rect(10, 20, 30, 40), red);
    std::vector<Box> rects;
    for (gui_Command* cmd : finish()) rects.push_back(box(cmd->rect.rect));
    EXPECT_EQ(rects,
              (std::vector<Box>{{90, 0, 10, 20}, {11, 20, 28, 1}, {11, 59, 28, 1}, {10, 20, 1, 40}, {39, 20, 1, 40}}));
}

TEST_F(GuiCommands, PartlyVisibleTextAndIconsAreBracketedByClipRecords) {
    gui_draw_text(ctx.get(), nullptr, "clipped", -1, gui_vec2(80, 10), red);  // 56 wide
    gui_draw_text(ctx.get(), nullptr, "gone", -1, gui_vec2(150, 10), red);
    gui_draw_text(ctx.get(), nullptr, "inside!", 6, gui_vec2(10, 10), red);
    gui_draw_icon(ctx.get(), GUI_ICON_CHECK, gui_rect(95, 95, 10, 10), red);
    gui_draw_icon(ctx.get(), GUI_ICON_CLOSE, gui_rect(200, 0, 10, 10), red);
    auto cmds = finish();
    std::vector<int> types;
    for (gui_Command* cmd : cmds) types.push_back(cmd->type);
    const int clip = GUI_COMMAND_CLIP;
    ASSERT_EQ(types, (std::vector<int>{clip, GUI_COMMAND_TEXT, clip, GUI_COMMAND_TEXT, clip, GUI_COMMAND_ICON, clip}));
    EXPECT_EQ(box(cmds[0]->clip.rect), (Box{0, 0, 100, 100}));
    EXPECT_STREQ(cmds[1]->text.str, "clipped");
    EXPECT_EQ(cmds[1]->text.pos.x, 80);
    EXPECT_EQ(box(cmds[2]->clip.rect), (Box{0, 0, 0x1000000, 0x1000000}));
    EXPECT_STREQ(cmds[3]->text.str, "inside");
    EXPECT_EQ(cmds[5]->icon.id, GUI_ICON_CHECK);
}

// Records following an odd-length text, or too small for their own header, used to be read misaligned.
TEST_F(GuiCommands, RecordsStayAlignedAndWalkable) {
    for (const char* s : {"a", "ab", "abc", "abcd", "abcde", "abcdefghi"}) {
        gui_draw_text(ctx.get(), nullptr, s, -1, gui_vec2(0, 0), red);
        gui_Command* cmd = gui_push_command(ctx.get(), -1, 24);
        std::memset(reinterpret_cast<char*>(cmd) + sizeof(gui_BaseCommand), 0xab, 24 - sizeof(gui_BaseCommand));
    }
    gui_push_command(ctx.get(), -2, 0);
    gui_push_command(ctx.get(), -3, 3);
    auto cmds = finish();
    ASSERT_EQ(cmds.size(), 14u);
    for (gui_Command* cmd : cmds) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cmd) % alignof(gui_Command), 0u);
    EXPECT_STREQ(cmds[10]->text.str, "abcdefghi");
    EXPECT_EQ(cmds[11]->type, -1);
    EXPECT_GE(cmds[12]->base.size, (int)sizeof(gui_BaseCommand));
    EXPECT_EQ(cmds[13]->type, -3);
}

void frame_of(gui_Context* ctx, std::initializer_list<const char*> names, gui_Rect (*rect)(int)) {
    gui_begin(ctx);
    int i = 0;
    for (const char* name : names) {
        if (gui_begin_window_ex(ctx, name, rect(i++), bare)) {
            gui_label(ctx, name);
            gui_end_window(ctx);
        }
    }
    gui_end(ctx);
}

TEST(GuiZOrder, PressBringsTheUpperWindowUnderTheMouseToFront) {
    auto ctx = make_context();
    auto frame = [&] { frame_of(ctx.get(), {"A", "B"}, [](int i) { return gui_rect(50 * i, 50 * i, 100, 100); }); };
    frame();
    const int before = ctx->last_zindex;
    gui_input_mousedown(ctx.get(), 60, 60, GUI_MOUSE_LEFT);  // where both are: B is already in front
    frame();
    EXPECT_EQ(ctx->last_zindex, before);
    EXPECT_EQ(texts(ctx.get()), (Texts{"A", "B"}));
    gui_input_mouseup(ctx.get(), 60, 60, GUI_MOUSE_LEFT);
    gui_input_mousedown(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
    frame();
    EXPECT_EQ(texts(ctx.get()), (Texts{"B", "A"}));
}

TEST(GuiZOrder, WalkVisitsRootsBackToFrontAfterRecordsOfNoWindow) {
    auto ctx = make_context();
    auto frame = [&](bool own) {
        gui_begin(ctx.get());
        if (own) {
            char* record = reinterpret_cast<char*>(gui_push_command(ctx.get(), -1, 96));
            std::memset(record + sizeof(gui_BaseCommand), 0x5a, 96 - sizeof(gui_BaseCommand));
        }
        for (const char* name : {"1", "2", "3"}) {
            ASSERT_TRUE(gui_begin_window_ex(ctx.get(), name, gui_rect(0, 0, 100, 100), bare));
            gui_label(ctx.get(), name);
            if (*name == '2') {  // begun inside another, not clipped by it
                ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "inner", gui_rect(200, 200, 100, 100), bare));
                gui_label(ctx.get(), "inner");
                gui_end_window(ctx.get());
            }
            gui_label(ctx.get(), name);
            gui_end_window(ctx.get());
        }
        gui_end(ctx.get());
    };
    frame(false);
    gui_bring_to_front(ctx.get(), gui_get_container(ctx.get(), "2"));
    gui_bring_to_front(ctx.get(), gui_get_container(ctx.get(), "1"));
    frame(true);
    auto cmds = walk(ctx.get());
    ASSERT_FALSE(cmds.empty());
    EXPECT_EQ((std::array{cmds[0]->type, cmds[0]->base.size, (int)reinterpret_cast<unsigned char*>(cmds[0])[95]}),
              (std::array{-1, 96, 0x5a}));
    EXPECT_EQ(texts(ctx.get()), (Texts{"inner", "3", "3", "2", "2", "1", "1"}));
    for (gui_Command* cmd : cmds) EXPECT_NE(cmd->type, GUI_COMMAND_JUMP);
    gui_begin(ctx.get());
    gui_end(ctx.get());
    gui_Command* none = nullptr;
    EXPECT_EQ(gui_next_command(ctx.get(), &none), 0) << "an empty frame walks nothing";
}

// A window whose layout body is (5, 5, 300, 400).
class GuiLayout : public ::testing::Test {
protected:
    void SetUp() override {
        gui_begin(ctx.get());
        gui_get_container(ctx.get(), "layout")->scroll = scroll;
        ASSERT_TRUE(gui_begin_window_ex(ctx.get(), "layout", gui_rect(0, 0, 310, 410), bare));
    }
    Box next() { return box(gui_layout_next(ctx.get())); }
    gui_Vec2 finish() {
        gui_Container* cnt = gui_get_current_container(ctx.get());
        gui_end_window(ctx.get());
        gui_end(ctx.get());
        return cnt->content_size;
    }
    std::unique_ptr<gui_Context> ctx = make_context();
    gui_Vec2 scroll{0, 0};
};

TEST_F(GuiLayout, RowsWrapWithTheirPatternAndReachTowardTheRightEdge) {
    EXPECT_EQ(next(), (Box{5, 5, 78, 20}));
    EXPECT_EQ(box(ctx->last_rect), (Box{5, 5, 78, 20}));
    int two[] = {0, 0};
    gui_layout_row(ctx.get(), 2, two, 0);
    EXPECT_EQ(next(), (Box{5, 29, 78, 20}));
    EXPECT_EQ(next(), (Box{87, 29, 78, 20}));
    int fill[] = {100, -1};
    gui_layout_row(ctx.get(), 2, fill, 30);
    for (int i = 0; i < 2; i++) next();
    EXPECT_EQ(next(), (Box{5, 87, 100, 30})) << "a full row wraps with the same pattern";
    EXPECT_EQ(next(), (Box{109, 87, 196, 30}));
    int short_of_edge[] = {-10};
    gui_layout_row(ctx.get(), 1, short_of_edge, -1);
    EXPECT_EQ(next(), (Box{5, 121, 291, 400 - 116}));
    EXPECT_EQ(finish().y, 400);
}

TEST_F(GuiLayout, SetNextAndColumns) {
    gui_layout_set_next(ctx.get(), gui_rect(200, 300, 10, 11), 0);
    EXPECT_EQ(next(), (Box{200, 300, 10, 11})) << "absolute: the row is left alone";
    int two[] = {0, 0};
    gui_layout_row(ctx.get(), 2, two, 0);
    gui_layout_set_next(ctx.get(), gui_rect(10, 20, 30, 40), 1);
    EXPECT_EQ(next(), (Box{15, 25, 30, 40}));
    EXPECT_EQ(next(), (Box{39, 5, 78, 20})) << "past the relative cell, which does not count as an item";
    EXPECT_EQ(next(), (Box{121, 5, 78, 20}));
    int columns[] = {120, 100};
    gui_layout_row(ctx.get(), 2, columns, 20);
    gui_layout_begin_column(ctx.get());
    for (int i = 0; i < 3; i++) next();  // 72 high with spacing
    gui_layout_end_column(ctx.get());
    EXPECT_EQ(next(), (Box{129, 69, 100, 20}));
    EXPECT_EQ(next(), (Box{5, 69 + 72, 120, 20}));
    const gui_Vec2 content = finish();
    EXPECT_EQ(content.x, 224);
    EXPECT_EQ(content.y, 69 + 72 + 20 - 5);
}

class GuiLayoutScrolled : public GuiLayout {
protected:
    GuiLayoutScrolled() { scroll = gui_vec2(3, 17); }
};

TEST_F(GuiLayoutScrolled, ScrollShiftsTheBody) {
    EXPECT_EQ(next(), (Box{2, -12, 78, 20}));
    finish();
}

TEST(GuiText, WrapsAtSpacesAndLineFeedsToTheCellWidth) {
    struct Case {
        const char* text;
        int width;
        Texts lines;
    } cases[] = {{"aaa bbb", 40, {"aaa", "bbb"}},
                 {"aaaa bbbb", 72, {"aaaa bbbb"}},
                 {"aaaa bbbb", 71, {"aaaa", "bbbb"}},
                 {"a verylongword b", 40, {"a", "verylongword", "b"}},
                 {"ab\ncd\n\nef", 400, {"ab", "cd", "", "ef"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto ctx = make_context();
        gui_Rect after{};
        run_frame(ctx.get(), [&](gui_Context* x) {
            gui_layout_row(x, 1, &c.width, 0);
            gui_text(x, c.text);
            after = gui_layout_next(x);
        });
        EXPECT_EQ(texts(ctx.get()), c.lines);
        EXPECT_TRUE(c.lines.size() < 2 || after.y == 5 + (int)c.lines.size() * 14) << "text takes its lines' height";
        std::vector<Box> at;  // each line 14 below the last, relative to where it should be
        for (gui_Command* cmd : walk(ctx.get()))
            if (cmd->type == GUI_COMMAND_TEXT) at.push_back({cmd->text.pos.x, cmd->text.pos.y - 14 * (int)at.size()});
        EXPECT_EQ(at, std::vector<Box>(c.lines.size(), Box{5, 5}));
    }
}

}  // namespace
