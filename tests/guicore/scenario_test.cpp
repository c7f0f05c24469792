// One scripted session drives every widget, the layout, windows, panels, popups,
// scrolling and the z-order; every frame's walked command list, widget results and
// container state are dumped as text and must match data/scenario.txt line for line.
// After an intended change, regenerate it with
//   UPDATE_GOLDEN=1 build/default/tests/guicore/guicore_tests --gtest_filter='GuiScenario*'
// and read the diff before committing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "gui_harness.h"

namespace {

using namespace guitest;

struct Session {
    std::unique_ptr<gui_Context> ctx = make_context();
    std::map<std::string, gui_Rect> at;  // where each named control was last laid out
    std::ostringstream out;
    char buf[8] = "";
    gui_Real slider = 50, flat = 7, number = 1;
    int check = 0, frames = 0;
    std::map<std::string, int> results;
    gui_Container* panel = nullptr;
    std::map<gui_Id, std::string> names;  // ids hashed from value addresses differ between runs

    std::string id(gui_Id k) {
        char s[12];
        std::snprintf(s, sizeof s, "%08x", k);
        return names.count(k) ? names[k] : s;
    }

    void mark(const char* name, int result = 0) {
        at[name] = ctx->last_rect;
        names[ctx->last_id] = name;
        results[name] |= result;
    }

    void mainWindow(gui_Context* c) {
        int row[] = {60, 100, -1};
        gui_layout_row(c, 3, row, 0);
        gui_label(c, "Label");
        mark("button", gui_button_ex(c, "Button", 0, GUI_OPT_ALIGNCENTER));
        mark("popup", gui_button_ex(c, "Popup", 0, 0));
        if (results["popup"] & GUI_RES_SUBMIT) gui_open_popup(c, "Menu");
        gui_layout_row(c, 2, row, 0);
        mark("icon", gui_button_ex(c, nullptr, GUI_ICON_CLOSE, 0));
        mark("check", gui_checkbox(c, "Check", &check));
        int fields[] = {40, 100, -1};
        gui_layout_row(c, 3, fields, 0);
        mark("textbox", gui_textbox_ex(c, buf, sizeof buf, 0));
        mark("slider", gui_slider_ex(c, &slider, 0, 100, 10, "%.0f", 0));
        mark("number", gui_number_ex(c, &number, 0.5f, "%.2f", 0));
        mark("flat", gui_slider_ex(c, &flat, 3, 3, 0, "%.1f", GUI_OPT_ALIGNRIGHT));
        for (int i = 0; i < 2; i++) {  // equal labels told apart by their scope
            gui_push_id(c, &i, sizeof i);
            mark(i ? "same1" : "same0", gui_button_ex(c, "Same", 0, 0));
            gui_pop_id(c);
        }
        const int fill = -1, narrow = 71;
        gui_layout_row(c, 1, &fill, 0);
        const int header = gui_header_ex(c, "Header", 0);
        mark("header", header);
        if (header & GUI_RES_ACTIVE) {
            gui_layout_row(c, 1, &narrow, 0);
            gui_text(c, "aaaa bbbb a verylongword b\nab\n\nef");
        }
        const int tree = gui_begin_treenode_ex(c, "Tree", 0);
        mark("tree", tree);
        if (tree & GUI_RES_ACTIVE) {
            gui_label(c, "child");
            if (gui_begin_treenode_ex(c, "Open", GUI_OPT_EXPANDED) & GUI_RES_ACTIVE) {
                gui_label(c, "leaf");
                gui_end_treenode(c);
            }
            gui_end_treenode(c);
        }
        int columns[] = {120, 100};
        gui_layout_row(c, 2, columns, 20);
        gui_layout_begin_column(c);
        for (const char* s : {"col1", "col2", "col3"}) gui_label(c, s);
        gui_layout_end_column(c);
        gui_label(c, "beside");
        gui_layout_set_next(c, gui_rect(10, 20, 30, 40), 1);
        gui_draw_box(c, gui_layout_next(c), c->style->colors[GUI_COLOR_BORDER]);
        gui_layout_set_next(c, gui_rect(150, 40, 50, 20), 0);
        gui_label(c, "absolute");
        gui_layout_width(c, 90);
        gui_layout_height(c, 50);
        gui_begin_panel_ex(c, "Scroll", 0);
        mark("scroll");
        panel = gui_get_current_container(c);
        for (const char* s : {"p1", "p2", "p3", "p4", "p5"}) gui_label(c, s);
        gui_end_panel(c);
        gui_begin_panel_ex(c, "Closed", GUI_OPT_CLOSED);
        at["closed"] = gui_get_current_container(c)->rect;
        gui_end_panel(c);
        const gui_Color red = gui_color(255, 0, 0, 255);
        gui_draw_text(c, nullptr, "edge", -1, gui_vec2(280, 100), red);
        gui_draw_text(c, nullptr, "gone", -1, gui_vec2(900, 10), red);
        gui_draw_icon(c, GUI_ICON_CHECK, gui_rect(300, 250, 20, 20), red);
        gui_draw_rect(c, gui_rect(290, 0, 40, 1000), red);
        if (gui_begin_popup(c, "Menu")) {
            at["menu"] = gui_get_current_container(c)->rect;
            gui_label(c, "item");
            mark("choose", gui_button_ex(c, "Choose", 0, 0));
            gui_end_popup(c);
        }
    }

    void describe() {
        results.clear();
        at.erase("menu");
        gui_begin(ctx.get());
        gui_Context* c = ctx.get();
        auto* own = reinterpret_cast<unsigned char*>(gui_push_command(c, -1, 24));  // a record of no window
        std::memset(own + sizeof(gui_BaseCommand), 0x5a, 24 - sizeof(gui_BaseCommand));
        if (gui_begin_window_ex(c, "Main", gui_rect(10, 10, 330, 470), 0)) {
            mainWindow(c);
            gui_end_window(c);
        }
        if (gui_begin_window_ex(c, "Front", gui_rect(250, 400, 150, 100), GUI_OPT_NOCLOSE)) {
            at["front"] = gui_get_current_container(c)->rect;
            gui_label(c, "front");
            if (gui_begin_window_ex(c, "Inner", gui_rect(420, 420, 60, 40), bare)) {  // begun inside, not clipped
                gui_label(c, "inner");
                gui_end_window(c);
            }
            gui_end_window(c);
        }
        if (gui_begin_window_ex(c, "Wide", gui_rect(420, 10, 100, 80), GUI_OPT_NOTITLE)) {
            const int wide = 300;
            gui_layout_row(c, 1, &wide, 150);
            gui_layout_next(c);
            gui_end_window(c);
        }
        gui_end(c);
    }

    static std::string rect(gui_Rect r) {
        return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.w) + " " + std::to_string(r.h);
    }
    static std::string color(gui_Color k) {
        char s[16];
        std::snprintf(s, sizeof s, " #%02x%02x%02x%02x", k.r, k.g, k.b, k.a);
        return s;
    }

    void dump(const std::string& step) {
        out << "== " << ++frames << " " << step << "\n";
        char s[400];
        std::snprintf(s, sizeof s, "'%s' buf '%s' slider %g flat %g number %g check %d\n", ctx->number_edit_buf, buf,
                      slider, flat, number, check);
        out << "hover " << id(ctx->hover) << " focus " << id(ctx->focus) << " edit " << id(ctx->number_edit) << " " << s
            << "results";
        for (auto& [name, r] : results)
            if (r) out << " " << name << "=" << r;
        out << "\n";
        for (const char* name : {"Main", "Front", "Inner", "Wide"}) {
            const gui_Container* k = gui_get_container(ctx.get(), name);
            out << name << " open " << k->open << " z " << k->zindex << " rect " << rect(k->rect) << " body "
                << rect(k->body) << " content " << k->content_size.x << " " << k->content_size.y << " scroll "
                << k->scroll.x << " " << k->scroll.y << "\n";
        }
        out << "panel " << rect(panel->rect) << " scroll " << panel->scroll.y << "\n";
        for (const char* name : {"closed", "menu"}) out << name << " " << rect(at[name]) << "\n";
        for (gui_Command* cmd : walk(ctx.get())) {
            switch (cmd->type) {
                case GUI_COMMAND_CLIP:
                    out << " clip " << rect(cmd->clip.rect) << "\n";
                    break;
                case GUI_COMMAND_RECT:
                    out << " rect " << rect(cmd->rect.rect) << color(cmd->rect.color) << "\n";
                    break;
                case GUI_COMMAND_ICON:
                    out << " icon " << cmd->icon.id << " " << rect(cmd->icon.rect) << color(cmd->icon.color) << "\n";
                    break;
                case GUI_COMMAND_TEXT:
                    out << " text " << cmd->text.pos.x << " " << cmd->text.pos.y << color(cmd->text.color) << " '"
                        << cmd->text.str << "'\n";
                    break;
                default:
                    out << " type " << cmd->type << " size " << cmd->base.size << " last "
                        << int(reinterpret_cast<unsigned char*>(cmd)[cmd->base.size - 1]) << "\n";
            }
        }
    }

    // Input, then the frames it takes to show, the last of which is dumped.
    void step(const std::string& what, const std::function<void(gui_Context*)>& input, int count = 1) {
        input(ctx.get());
        for (int i = 0; i < count; i++) describe();
        dump(what);
    }
    gui_Vec2 point(const char* name, int dx, int dy) {
        const gui_Rect r = at.at(name);
        return gui_vec2(r.x + (dx < 0 ? r.w + dx : dx), r.y + (dy < 0 ? r.h + dy : dy));
    }
    void move(const char* name, int dx = 3, int dy = 3) {
        const gui_Vec2 p = point(name, dx, dy);
        step(
            std::string("move to ") + name, [&](gui_Context* c) { gui_input_mousemove(c, p.x, p.y); }, 2);
    }
    void press(int button = GUI_MOUSE_LEFT) {
        step("press " + std::to_string(button),
             [&](gui_Context* c) { gui_input_mousedown(c, c->mouse_pos.x, c->mouse_pos.y, button); });
    }
    void release(int button = GUI_MOUSE_LEFT) {
        step("release " + std::to_string(button),
             [&](gui_Context* c) { gui_input_mouseup(c, c->mouse_pos.x, c->mouse_pos.y, button); });
    }
    void click(const char* name, int dx = 3, int dy = 3, int button = GUI_MOUSE_LEFT) {
        move(name, dx, dy);
        press(button);
        release(button);
    }
    void drag(int dx, int dy) {
        step("drag " + std::to_string(dx) + " " + std::to_string(dy),
             [&](gui_Context* c) { gui_input_mousemove(c, c->mouse_pos.x + dx, c->mouse_pos.y + dy); });
    }
    void type(const char* text) {
        step(std::string("type ") + text, [&](gui_Context* c) { gui_input_text(c, text); });
    }
    void key(int k, bool up = true) {
        step("key " + std::to_string(k), [&](gui_Context* c) { gui_input_keydown(c, k); });
        if (up) gui_input_keyup(ctx.get(), k);
    }
};

TEST(GuiScenario, EveryWidgetAndWindowBehaviourMatchesTheRecordedSession) {
    Session s;
    for (auto [text, fnv1a] : {std::pair{"", 0x811c9dc5u}, {"a", 0xe40c292cu}, {"foobar", 0xbf9cf968u}})
        EXPECT_EQ(gui_get_id(s.ctx.get(), text, (int)std::strlen(text)), fnv1a) << text;
    s.step("first frame", [](gui_Context*) {});
    s.step("settled", [](gui_Context*) {});
    s.click("button", 3, 3, GUI_MOUSE_RIGHT);
    s.click("button");
    s.move("check");
    s.press();
    s.move("button");  // a press begun elsewhere does not fire
    s.release();
    s.click("icon");
    s.click("check");
    s.click("textbox");
    for (const char* text : {"abc", "defghij", "k"}) s.type(text);
    s.key(GUI_KEY_BACKSPACE);
    s.type("\xc3\xa9");  // does not fit whole
    s.type("x\xc3\xa9");
    for (int i = 0; i < 5; i++) s.key(GUI_KEY_BACKSPACE);
    s.type("\xe2\x82\xac");
    s.key(GUI_KEY_BACKSPACE);
    s.key(GUI_KEY_RETURN);
    s.type("more");
    s.move("slider", 61);
    s.press();
    for (int dx : {9, 1, 1000, -2000}) s.drag(dx, 0);
    s.release();
    s.click("flat", 20);
    s.move("number");
    s.press();
    s.drag(6, 0);
    s.release();
    s.key(GUI_KEY_SHIFT, false);
    s.click("number");
    gui_input_keyup(s.ctx.get(), GUI_KEY_SHIFT);
    s.key(GUI_KEY_BACKSPACE);
    s.type("42");
    s.key(GUI_KEY_RETURN);
    s.click("same1");
    s.click("header");
    s.click("tree");
    s.move("scroll", 10, 10);
    s.step("wheel", [](gui_Context* c) { gui_input_scroll(c, 0, 7); });
    s.move("scroll", -3, 3);
    s.press();
    s.drag(0, 15);
    s.drag(0, 500);
    s.release();
    s.click("popup");
    s.click("choose", 3, 3, GUI_MOUSE_RIGHT);
    s.click("front", 60, -3);
    s.click("popup", -3, -3, GUI_MOUSE_RIGHT);  // outside the menu, which closes
    s.click("check", 200, 0);                   // Main to front
    s.move("front", 120, 3);
    s.press();
    s.drag(-30, 40);
    s.release();
    s.key(GUI_KEY_SHIFT);  // let the window settle
    s.step(
        "to Main's title bar", [](gui_Context* c) { gui_input_mousemove(c, 60, 15); }, 2);
    s.press();
    s.drag(10, 5);
    s.release();
    const gui_Rect main = gui_get_container(s.ctx.get(), "Main")->rect;
    s.step(
        "to the resize handle",
        [&](gui_Context* c) { gui_input_mousemove(c, main.x + main.w - 2, main.y + main.h - 2); }, 2);
    s.press();
    s.drag(20, 10);
    s.drag(-1000, -1000);
    s.release();
    s.step(
        "to the close button", [&](gui_Context* c) { gui_input_mousemove(c, main.x + 90, main.y + 8); }, 2);
    s.press();
    s.release();

    const std::string path = std::string(TEST_DATA_DIR) + "/scenario.txt";
    if (std::getenv("UPDATE_GOLDEN")) {
        std::ofstream(path) << s.out.str();
        GTEST_SKIP() << "wrote " << path;
    }
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    std::istringstream got(s.out.str());
    std::string want, line;
    for (int n = 1; std::getline(file, want); n++) {
        ASSERT_TRUE(std::getline(got, line)) << "ends early at line " << n;
        ASSERT_EQ(line, want) << "line " << n << " of " << path;
    }
    EXPECT_FALSE(std::getline(got, line)) << "longer than " << path;
}

}  // namespace
