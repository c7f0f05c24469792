#include <gtest/gtest.h>

#include <type_traits>

#include "gui_harness.h"

namespace {

using namespace guitest;
using Texts = std::vector<std::string>;
using Results = std::pair<int, int>;

// Presses and releases at the mouse position, one frame each; returns the
// widget's results of the press frame and of the release frame.
template <typename Widget>
Results click(gui_Context* ctx, Widget widget, int button = GUI_MOUSE_LEFT) {
    int results[2] = {};
    for (int& result : results) {
        if (&result == results)
            gui_input_mousedown(ctx, ctx->mouse_pos.x, ctx->mouse_pos.y, button);
        else
            gui_input_mouseup(ctx, ctx->mouse_pos.x, ctx->mouse_pos.y, button);
        run_frame(ctx, [&](gui_Context* c) {
            if constexpr (std::is_void_v<decltype(widget(c))>)
                widget(c);
            else
                result = widget(c);
        });
    }
    return {results[0], results[1]};
}

TEST(GuiButton, FiresOnTheLeftPressAloneOfAButtonStartedOn) {
    auto ctx = make_context();
    int fired = 0;
    auto button = [&](gui_Context* c) {
        const int result = gui_button_ex(c, "OK", 0, GUI_OPT_ALIGNCENTER);
        fired |= result;
        return result;
    };
    move_mouse(ctx.get(), 200, 200, button);
    gui_input_mousedown(ctx.get(), 200, 200, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), button);
    move_mouse(ctx.get(), 10, 10, button);
    gui_input_mouseup(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), button);
    EXPECT_EQ(fired, 0) << "pressed elsewhere, dragged on";
    EXPECT_EQ(click(ctx.get(), button, GUI_MOUSE_RIGHT).first, 0);
    EXPECT_EQ(ctx->hover, gui_get_id(ctx.get(), "wOK", 3)) << "hashed inside the window's scope";
    EXPECT_EQ(click(ctx.get(), button), (Results{GUI_RES_SUBMIT, 0}));
    EXPECT_EQ(click(ctx.get(), button, GUI_MOUSE_LEFT | GUI_MOUSE_RIGHT).first, 0);
    EXPECT_EQ(click(ctx.get(), button).first, GUI_RES_SUBMIT) << "still works afterwards";

    run_frame(ctx.get(), [](gui_Context* c) { gui_button_ex(c, nullptr, GUI_ICON_CLOSE, 0); });
    EXPECT_EQ(icons_of(ctx.get(), GUI_ICON_CLOSE), 1);
    EXPECT_TRUE(texts(ctx.get()).empty());
}

TEST(GuiButton, OnlyTheHoverRootsControlsReact) {
    auto ctx = make_context();
    gui_Id button = 0;
    auto frame = [&](int x) {
        gui_input_mousemove(ctx.get(), x, 10);
        for (int i = 0; i < 2; i++) {
            gui_begin(ctx.get());
            gui_begin_window_ex(ctx.get(), "lower", gui_rect(0, 0, 100, 100), bare);
            gui_button_ex(ctx.get(), "x", 0, 0);  // at (5, 5, 78, 20)
            button = ctx->last_id;
            gui_end_window(ctx.get());
            gui_begin_window_ex(ctx.get(), "upper", gui_rect(0, 0, 50, 50), bare);
            gui_end_window(ctx.get());
            gui_end(ctx.get());
        }
        return ctx->hover;
    };
    EXPECT_EQ(frame(10), 0u) << "covered by the upper window";
    EXPECT_EQ(frame(60), button);
}

TEST(GuiCheckbox, LeftPressTogglesTheState) {
    auto ctx = make_context();
    int state = 0;
    auto box = [&](gui_Context* c) { return gui_checkbox(c, "check", &state); };
    move_mouse(ctx.get(), 10, 10, box);
    EXPECT_EQ(click(ctx.get(), box).first, GUI_RES_CHANGE);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(icons_of(ctx.get(), GUI_ICON_CHECK), 1);
    click(ctx.get(), box);
    EXPECT_EQ(state, 0);
}

// A focused text box of 8 bytes in a 40-pixel cell at x = 5.
class GuiTextbox : public ::testing::Test {
protected:
    void SetUp() override {
        move_mouse(ctx.get(), 10, 10, box);
        click(ctx.get(), box);
        ASSERT_NE(ctx->focus, 0u) << "focus is held after the release";
    }
    int type(const char* text) {
        gui_input_text(ctx.get(), text);
        run_frame(ctx.get(), box);
        return result;
    }
    int key(int k) {
        gui_input_keydown(ctx.get(), k);
        run_frame(ctx.get(), box);
        gui_input_keyup(ctx.get(), k);
        return result;
    }
    std::unique_ptr<gui_Context> ctx = make_context();
    char buf[8] = "";
    int result = 0;
    std::function<void(gui_Context*)> box = [this](gui_Context* c) {
        int width = 40;
        gui_layout_row(c, 1, &width, 0);
        result = gui_textbox_ex(c, buf, sizeof(buf), 0);
    };
};

TEST_F(GuiTextbox, TextIsAppendedAndErasedByWholeUtf8Characters) {
    EXPECT_EQ(type("abc"), GUI_RES_CHANGE);
    EXPECT_EQ(type("defghij"), GUI_RES_CHANGE);
    EXPECT_STREQ(buf, "abcdefg");
    EXPECT_EQ(type("k"), 0);
    key(GUI_KEY_BACKSPACE);
    EXPECT_EQ(type("\xc3\xa9"), 0) << "a character that does not fit whole is not split";
    EXPECT_EQ(type("x\xc3\xa9"), GUI_RES_CHANGE);
    EXPECT_STREQ(buf, "abcdefx");
    for (int i = 0; i < 7; i++) key(GUI_KEY_BACKSPACE);
    EXPECT_EQ(key(GUI_KEY_BACKSPACE), 0);
    type("a\xc3\xa9\xe2\x82\xac");  // a, e-acute, euro sign
    EXPECT_EQ(key(GUI_KEY_BACKSPACE), GUI_RES_CHANGE);
    EXPECT_STREQ(buf, "a\xc3\xa9");
    key(GUI_KEY_BACKSPACE);
    EXPECT_STREQ(buf, "a");
}

TEST_F(GuiTextbox, TextScrollsToKeepTheCaretVisibleAndReturnSubmits) {
    auto text_x = [&] {
        for (gui_Command* cmd : walk(ctx.get()))
            if (cmd->type == GUI_COMMAND_TEXT) return cmd->text.pos.x;
        return -1000;
    };
    type("ab");
    EXPECT_EQ(text_x(), 5 + 5);
    type("cdefg");  // 56 pixels: the end stays one caret short of the padding
    EXPECT_EQ(text_x(), 5 + 40 - 5 - 56 - 1);
    EXPECT_EQ(key(GUI_KEY_RETURN), GUI_RES_SUBMIT);
    EXPECT_EQ(ctx->focus, 0u);
    EXPECT_EQ(type("more"), 0);
    EXPECT_STREQ(buf, "abcdefg");
}

TEST(GuiSlider, SnapsToStepsAndClampsToItsRange) {
    auto ctx = make_context();
    gui_Real value = 50, low = 0, high = 100;
    int result = 0;
    auto slider = [&](gui_Context* c) {
        int width = 200;  // at x = 5
        gui_layout_row(c, 1, &width, 0);
        result = gui_slider_ex(c, &value, low, high, high > low ? 10 : 0, "%.0f", 0);
    };
    auto drag_to = [&](int x) {
        gui_input_mousemove(ctx.get(), x, 10);
        run_frame(ctx.get(), slider);
        return result;
    };
    move_mouse(ctx.get(), 10, 10, slider);
    gui_input_mousedown(ctx.get(), 5 + 66, 10, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), slider);
    EXPECT_EQ(result, GUI_RES_CHANGE);
    EXPECT_FLOAT_EQ(value, 30);
    EXPECT_EQ(drag_to(5 + 75), GUI_RES_CHANGE);
    EXPECT_FLOAT_EQ(value, 40);
    EXPECT_EQ(drag_to(5 + 76), 0);
    drag_to(1000);
    EXPECT_FLOAT_EQ(value, 100);
    drag_to(-300);
    EXPECT_FLOAT_EQ(value, 0);
    EXPECT_EQ(texts(ctx.get()), Texts{"0"});

    low = high = 3;  // an empty range keeps the value at its only point
    value = 7;
    drag_to(40);
    EXPECT_FLOAT_EQ(value, 3);
    auto thumbs = rects_of(ctx.get(), ctx->style->colors[GUI_COLOR_BUTTONFOCUS]);
    ASSERT_EQ(thumbs.size(), 1u);
    EXPECT_EQ(thumbs[0][0], 5);
}

TEST(GuiNumber, LeftDragChangesByStepsAndShiftClickEditsAsText) {
    auto ctx = make_context();
    gui_Real value = 1;
    int result = -1;
    auto number = [&](gui_Context* c) { return result = gui_number_ex(c, &value, 0.5f, "%.2f", 0); };
    move_mouse(ctx.get(), 10, 10, number);
    gui_input_mousedown(ctx.get(), 10, 10, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), number);
    EXPECT_EQ(result, 0);
    gui_input_mousemove(ctx.get(), 16, 10);
    run_frame(ctx.get(), number);
    EXPECT_EQ(result, GUI_RES_CHANGE);
    EXPECT_FLOAT_EQ(value, 4);
    gui_input_mouseup(ctx.get(), 16, 10, GUI_MOUSE_LEFT);
    run_frame(ctx.get(), number);

    gui_input_keydown(ctx.get(), GUI_KEY_SHIFT);
    EXPECT_EQ(click(ctx.get(), number), (Results{0, 0}));
    EXPECT_STREQ(ctx->number_edit_buf, "4");
    EXPECT_EQ(texts(ctx.get()), Texts{"4"}) << "a text box stands in";
    gui_input_keyup(ctx.get(), GUI_KEY_SHIFT);
    gui_input_keydown(ctx.get(), GUI_KEY_BACKSPACE);
    run_frame(ctx.get(), number);
    gui_input_text(ctx.get(), "42");
    run_frame(ctx.get(), number);
    EXPECT_EQ(result, 0);
    EXPECT_FLOAT_EQ(value, 4);
    gui_input_keydown(ctx.get(), GUI_KEY_RETURN);
    run_frame(ctx.get(), number);
    EXPECT_EQ(result, GUI_RES_CHANGE);
    EXPECT_FLOAT_EQ(value, 42);
    EXPECT_EQ(ctx->number_edit, 0u);
    run_frame(ctx.get(), number);
    EXPECT_EQ(texts(ctx.get()), Texts{"42.00"});
}

TEST(GuiTreeNode, ExpandedStateSurvivesFramesAndTogglesOnClick) {
    auto ctx = make_context();
    int results[2] = {};
    gui_Rect child{};
    auto tree = [&](gui_Context* c) {
        for (int opt : {0, (int)GUI_OPT_EXPANDED}) {
            int& result = results[opt != 0] = gui_begin_treenode_ex(c, opt ? "open" : "node", opt);
            if (result & GUI_RES_ACTIVE) {
                gui_label(c, "child");
                if (!opt) child = c->last_rect;
                gui_end_treenode(c);
            }
        }
        return results[0];
    };
    move_mouse(ctx.get(), 10, 10, tree);
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], GUI_RES_ACTIVE) << "the option starts it open";
    EXPECT_EQ(icons_of(ctx.get(), GUI_ICON_EXPANDED), 1);
    EXPECT_EQ(click(ctx.get(), tree), (Results{0, GUI_RES_ACTIVE})) << "the click's frame shows the old state";
    EXPECT_EQ(child.x, 5 + 24) << "children are indented";
    for (int i = 0; i < 5; i++) run_frame(ctx.get(), tree);
    EXPECT_EQ(results[0], GUI_RES_ACTIVE);
    click(ctx.get(), tree);
    EXPECT_EQ(results[0], 0);

    int header = 0;
    auto header_row = [&](gui_Context* c) { return header = gui_header_ex(c, "Header", 0); };
    move_mouse(ctx.get(), 300, 10, header_row);
    EXPECT_EQ(ctx->last_rect.w, 390) << "a header takes the whole row";
    click(ctx.get(), header_row);
    EXPECT_EQ(header, GUI_RES_ACTIVE);
}

// Moves the mouse, lets two frames make the control under it hovered, then presses the left button there.
void press_at(gui_Context* ctx, int x, int y, const std::function<gui_Container*()>& frame) {
    gui_input_mousemove(ctx, x, y);
    frame();
    frame();
    gui_input_mousedown(ctx, x, y, GUI_MOUSE_LEFT);
    frame();
}

class GuiWindow : public ::testing::Test {
protected:
    gui_Container* frame() { return run_window(ctx.get(), gui_rect(50, 50, 300, 200), opt, body); }
    std::unique_ptr<gui_Context> ctx = make_context();
    int opt = 0;
    std::function<void(gui_Context*)> body = [](gui_Context*) {};
};

TEST_F(GuiWindow, KeepsItsFirstRectangleUntilDraggedOrResizedToItsMinimum) {
    gui_Container* cnt = frame();
    run_window(ctx.get(), gui_rect(0, 0, 10, 10), 0, body);
    EXPECT_EQ(box(cnt->rect), (Box{50, 50, 300, 200}));
    press_at(ctx.get(), 60, 55, [&] { return frame(); });  // the title bar
    gui_input_mousemove(ctx.get(), 70, 75);
    frame();
    gui_input_mouseup(ctx.get(), 70, 75, GUI_MOUSE_LEFT);
    EXPECT_EQ(box(cnt->rect), (Box{60, 70, 300, 200}));
    press_at(ctx.get(), 350, 260, [&] { return frame(); });  // the resize handle
    gui_input_mousemove(ctx.get(), 370, 270);
    frame();
    EXPECT_EQ(box(cnt->rect), (Box{60, 70, 320, 210}));
    gui_input_mousemove(ctx.get(), -1000, -1000);
    frame();
    EXPECT_EQ(box(cnt->rect), (Box{60, 70, 96, 64}));
}

TEST_F(GuiWindow, CloseButtonClosesItUnlessItHasNone) {
    opt = GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE;
    press_at(ctx.get(), 340, 60, [&] { return frame(); });
    gui_input_mousemove(ctx.get(), 330, 80);
    EXPECT_EQ(frame()->rect.x, 50) << "no dragging without interaction";
    gui_input_mouseup(ctx.get(), 330, 80, GUI_MOUSE_LEFT);
    opt = 0;
    press_at(ctx.get(), 340, 60, [&] { return frame(); });
    EXPECT_EQ(frame(), nullptr) << "a closed window is not begun";
    EXPECT_TRUE(walk(ctx.get()).empty());
}

// A window without chrome, 200 x 200, holding content 500 high or wide.
class GuiScrolling : public ::testing::Test {
protected:
    gui_Container* frame(int opt = GUI_OPT_NOFRAME) {
        ctx->style->colors[GUI_COLOR_SCROLLTHUMB] = gui_color(1, 2, 3, 255);
        return run_window(ctx.get(), gui_rect(0, 0, 200, 200), GUI_OPT_NOTITLE | GUI_OPT_NORESIZE | opt,
                          [this](gui_Context* c) {
                              gui_layout_row(c, 1, &width, height);
                              gui_layout_next(c);
                          });
    }
    std::vector<Box> thumbs() { return rects_of(ctx.get(), gui_color(1, 2, 3, 255)); }
    std::unique_ptr<gui_Context> ctx = make_context();
    int width = -1, height = 500;
};

TEST_F(GuiScrolling, ThumbIsSizedByTheVisibleShareAndDragsByTheContentRatio) {
    frame();
    gui_Container* cnt = frame();
    EXPECT_EQ(thumbs(), (std::vector<Box>{{188, 0, 12, 78}}));  // 200 * 200 / (500 + 2 * 5)
    EXPECT_EQ(box(cnt->body), (Box{0, 0, 188, 200})) << "no horizontal bar";
    press_at(ctx.get(), 194, 10, [&] { return frame(); });
    gui_input_mousemove(ctx.get(), 194, 30);
    frame();
    EXPECT_EQ(cnt->scroll.y, 20 * 510 / 200);
    EXPECT_EQ(thumbs()[0][1], 51 * (200 - 78) / 310);
    gui_input_mousemove(ctx.get(), 194, 3000);
    frame();
    EXPECT_EQ(cnt->scroll.y, 310) << "clamped to the content height minus the body height";
}

TEST_F(GuiScrolling, WideContentGetsAHorizontalBar) {
    width = 500;
    height = 20;
    frame(0);
    gui_Container* cnt = frame(0);
    EXPECT_EQ(thumbs(), (std::vector<Box>{{0, 188, 78, 12}}));
    EXPECT_EQ(box(cnt->body), (Box{0, 0, 200, 188}));
}

TEST(GuiPanel, ClosedOptionDoesNotLoseThePanel) {
    auto ctx = make_context();
    gui_Container* panel = nullptr;
    run_frame(ctx.get(), [&](gui_Context* c) {
        gui_begin_panel_ex(c, "fresh", GUI_OPT_CLOSED);
        panel = gui_get_current_container(c);
        gui_end_panel(c);
    });
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->rect.w, 78);
}

TEST(GuiPopup, OpensAtTheMouseSizesToContentAndClosesOnOutsidePress) {
    auto ctx = make_context();
    int active = 0;
    auto frame = [&](int n = 1) {
        for (int i = 0; i < n; i++) {
            gui_begin(ctx.get());
            if ((active = gui_begin_popup(ctx.get(), "menu"))) {
                gui_label(ctx.get(), "item");
                gui_end_popup(ctx.get());
            }
            gui_end(ctx.get());
        }
        return active;
    };
    EXPECT_EQ(frame(), 0) << "closed until opened";
    gui_input_mousemove(ctx.get(), 30, 40);
    gui_open_popup(ctx.get(), "menu");
    EXPECT_EQ(frame(2), GUI_RES_ACTIVE);
    EXPECT_EQ(box(gui_get_container(ctx.get(), "menu")->rect), (Box{30, 40, 78 + 10, 20 + 10}));
    gui_input_mousedown(ctx.get(), 35, 45, GUI_MOUSE_RIGHT);
    EXPECT_EQ(frame(), GUI_RES_ACTIVE) << "a press inside keeps it";
    gui_input_mouseup(ctx.get(), 35, 45, GUI_MOUSE_RIGHT);
    gui_input_mousemove(ctx.get(), 300, 300);
    frame();
    gui_input_mousedown(ctx.get(), 300, 300, GUI_MOUSE_RIGHT);
    EXPECT_EQ(frame(2), 0);
}

}  // namespace
