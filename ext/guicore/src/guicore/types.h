#pragma once
// Value types, capacities and enumerations of the immediate-mode UI core.

using gui_Id = unsigned int;
using gui_Real = float;
using gui_Font = void*;  // handed back unchanged to the text callbacks

struct gui_Vec2 {
    int x, y;
};
struct gui_Rect {
    int x, y, w, h;
};
struct gui_Color {
    unsigned char r, g, b, a;
};

inline gui_Vec2 gui_vec2(int x, int y) { return gui_Vec2{x, y}; }
inline gui_Rect gui_rect(int x, int y, int w, int h) { return gui_Rect{x, y, w, h}; }
inline gui_Color gui_color(int r, int g, int b, int a) {
    return gui_Color{(unsigned char)r, (unsigned char)g, (unsigned char)b, (unsigned char)a};
}

enum {
    GUI_COMMANDLIST_SIZE = 256 * 1024,
    GUI_ROOTLIST_SIZE = 32,
    GUI_CONTAINERSTACK_SIZE = 32,
    GUI_CLIPSTACK_SIZE = 32,
    GUI_IDSTACK_SIZE = 32,
    GUI_LAYOUTSTACK_SIZE = 16,
    GUI_CONTAINERPOOL_SIZE = 48,
    GUI_TREENODEPOOL_SIZE = 48,
    GUI_MAX_WIDTHS = 16,
    GUI_NUMBER_EDIT_SIZE = 127,
    GUI_INPUT_TEXT_SIZE = 32,
};

enum { GUI_CLIP_PART = 1, GUI_CLIP_ALL = 2 };

enum {
    GUI_COMMAND_JUMP = 1,
    GUI_COMMAND_CLIP = 2,
    GUI_COMMAND_RECT = 3,
    GUI_COMMAND_TEXT = 4,
    GUI_COMMAND_ICON = 5,
    GUI_COMMAND_MAX = 6,
};

enum {
    GUI_COLOR_TEXT,
    GUI_COLOR_BORDER,
    GUI_COLOR_WINDOWBG,
    GUI_COLOR_TITLEBG,
    GUI_COLOR_TITLETEXT,
    GUI_COLOR_PANELBG,
    GUI_COLOR_BUTTON,
    GUI_COLOR_BUTTONHOVER,
    GUI_COLOR_BUTTONFOCUS,
    GUI_COLOR_BASE,
    GUI_COLOR_BASEHOVER,
    GUI_COLOR_BASEFOCUS,
    GUI_COLOR_SCROLLBASE,
    GUI_COLOR_SCROLLTHUMB,
    GUI_COLOR_MAX,
};

enum {
    GUI_ICON_CLOSE = 1,
    GUI_ICON_CHECK = 2,
    GUI_ICON_COLLAPSED = 3,
    GUI_ICON_EXPANDED = 4,
    GUI_ICON_MAX = 5,
};

enum { GUI_RES_ACTIVE = 1, GUI_RES_SUBMIT = 2, GUI_RES_CHANGE = 4 };

enum {
    GUI_OPT_ALIGNCENTER = 1,
    GUI_OPT_ALIGNRIGHT = 2,
    GUI_OPT_NOINTERACT = 4,
    GUI_OPT_NOFRAME = 8,
    GUI_OPT_NORESIZE = 16,
    GUI_OPT_NOSCROLL = 32,
    GUI_OPT_NOCLOSE = 64,
    GUI_OPT_NOTITLE = 128,
    GUI_OPT_HOLDFOCUS = 256,
    GUI_OPT_AUTOSIZE = 512,
    GUI_OPT_POPUP = 1024,
    GUI_OPT_CLOSED = 2048,
    GUI_OPT_EXPANDED = 4096,
};

enum { GUI_MOUSE_LEFT = 1, GUI_MOUSE_RIGHT = 2, GUI_MOUSE_MIDDLE = 4 };

enum {
    GUI_KEY_SHIFT = 1,
    GUI_KEY_CTRL = 2,
    GUI_KEY_ALT = 4,
    GUI_KEY_BACKSPACE = 8,
    GUI_KEY_RETURN = 16,
    // Navigation keys: the core itself ignores them, applications read them
    // from key_pressed and key_down like the others.
    GUI_KEY_TAB = 32,
    GUI_KEY_ESCAPE = 64,
    GUI_KEY_SPACE = 128,
    GUI_KEY_UP = 256,
    GUI_KEY_DOWN = 512,
    GUI_KEY_PAGEUP = 1024,
    GUI_KEY_PAGEDOWN = 2048,
    GUI_KEY_HOME = 4096,
    GUI_KEY_END = 8192,
};

struct gui_PoolItem {
    gui_Id id;
    int last_update;  // frame number of the last use
};

struct gui_Style {
    gui_Font font;
    gui_Vec2 size;  // default content size of a control
    int padding;
    int spacing;
    int indent;
    int title_height;
    int scrollbar_size;
    int thumb_size;
    gui_Color colors[GUI_COLOR_MAX];
};

// Positions inside a layout are relative to its body unless noted.
struct gui_Layout {
    gui_Rect body;  // absolute, already shifted by the scroll offset
    gui_Rect next;
    gui_Vec2 position;
    gui_Vec2 size;
    gui_Vec2 max;  // absolute
    int widths[GUI_MAX_WIDTHS];
    int items;
    int item_index;
    int next_row;
    int next_type;
    int indent;
};
