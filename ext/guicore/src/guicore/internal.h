#pragma once
// Helpers shared by the core's own files; not part of the public interface,
// hence their own namespace rather than the public prefix.
#include <algorithm>

#include "guicore/guicore.h"

namespace guicore_internal {

[[noreturn]] void fatal(const char* file, int line, const char* condition);

// Switches clipping off: larger than any drawing area.
inline constexpr gui_Rect unclipped_rect = {0, 0, 0x1000000, 0x1000000};

// The style a context starts with.
extern const gui_Style default_style;

inline gui_Rect expand_rect(gui_Rect r, int n) { return gui_rect(r.x - n, r.y - n, r.w + n * 2, r.h + n * 2); }

inline gui_Rect intersect_rects(gui_Rect a, gui_Rect b) {
    int x1 = std::max(a.x, b.x);
    int y1 = std::max(a.y, b.y);
    int x2 = std::min(a.x + a.w, b.x + b.w);
    int y2 = std::min(a.y + a.h, b.y + b.h);
    return gui_rect(x1, y1, std::max(x2 - x1, 0), std::max(y2 - y1, 0));
}

inline bool rect_contains(gui_Rect r, gui_Vec2 p) {
    return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h;
}

gui_Layout* current_layout(gui_Context* ctx);
void push_layout(gui_Context* ctx, gui_Rect body, gui_Vec2 scroll);
gui_Container* container_by_id(gui_Context* ctx, gui_Id id, int opt);
// Draws the scroll bars the container's content needs, each taking its room
// from the body.
void scrollbars(gui_Context* ctx, gui_Container* cnt, gui_Rect* body);
// Sets up scroll bars and the layout of a container's body.
void begin_container_body(gui_Context* ctx, gui_Container* cnt, gui_Rect body, int opt);
void pop_container(gui_Context* ctx);
gui_Command* push_jump(gui_Context* ctx, gui_Command* dst);

}  // namespace guicore_internal

// The condition text is part of the report, so callers spell it the way they
// want it printed.
#define GUI_EXPECT(x)                                                \
    do {                                                             \
        if (!(x)) ::guicore_internal::fatal(__FILE__, __LINE__, #x); \
    } while (0)

// A full stack reports this condition as spelled here; the formatter would
// respace it.
// clang-format off
#define GUI_PUSH(stk, val)                                                          \
    do {                                                                            \
        GUI_EXPECT((stk).idx < (int) (sizeof((stk).items) / sizeof(*(stk).items))); \
        (stk).items[(stk).idx] = (val);                                             \
        (stk).idx++;                                                                \
    } while (0)
// clang-format on

#define GUI_POP(stk)               \
    do {                           \
        GUI_EXPECT((stk).idx > 0); \
        (stk).idx--;               \
    } while (0)
