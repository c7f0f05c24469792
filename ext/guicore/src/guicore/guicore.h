#pragma once
// Immediate-mode UI core: every frame the application feeds the input,
// declares its windows and widgets, and walks the resulting command list.
#include "guicore/context.h"

// Frame cycle
void gui_init(gui_Context* ctx);
void gui_begin(gui_Context* ctx);
void gui_end(gui_Context* ctx);
void gui_set_focus(gui_Context* ctx, gui_Id id);
void gui_bring_to_front(gui_Context* ctx, gui_Container* cnt);

// Identifiers
gui_Id gui_get_id(gui_Context* ctx, const void* data, int size);
void gui_push_id(gui_Context* ctx, const void* data, int size);
void gui_pop_id(gui_Context* ctx);

// Clipping
void gui_push_clip_rect(gui_Context* ctx, gui_Rect rect);
void gui_pop_clip_rect(gui_Context* ctx);
gui_Rect gui_get_clip_rect(gui_Context* ctx);
int gui_check_clip(gui_Context* ctx, gui_Rect r);

// Containers and pools
gui_Container* gui_get_current_container(gui_Context* ctx);
gui_Container* gui_get_container(gui_Context* ctx, const char* name);
int gui_pool_init(gui_Context* ctx, gui_PoolItem* items, int len, gui_Id id);
int gui_pool_get(gui_Context* ctx, gui_PoolItem* items, int len, gui_Id id);
void gui_pool_update(gui_Context* ctx, gui_PoolItem* items, int idx);

// Input, between frames
void gui_input_mousemove(gui_Context* ctx, int x, int y);
void gui_input_mousedown(gui_Context* ctx, int x, int y, int btn);
void gui_input_mouseup(gui_Context* ctx, int x, int y, int btn);
void gui_input_scroll(gui_Context* ctx, int x, int y);
void gui_input_keydown(gui_Context* ctx, int key);
void gui_input_keyup(gui_Context* ctx, int key);
void gui_input_text(gui_Context* ctx, const char* text);

// Command list
gui_Command* gui_push_command(gui_Context* ctx, int type, int size);
int gui_next_command(gui_Context* ctx, gui_Command** cmd);
void gui_set_clip(gui_Context* ctx, gui_Rect rect);
void gui_draw_rect(gui_Context* ctx, gui_Rect rect, gui_Color color);
void gui_draw_box(gui_Context* ctx, gui_Rect rect, gui_Color color);
void gui_draw_text(gui_Context* ctx, gui_Font font, const char* str, int len, gui_Vec2 pos, gui_Color color);
void gui_draw_icon(gui_Context* ctx, int id, gui_Rect rect, gui_Color color);

// Layout
void gui_layout_row(gui_Context* ctx, int items, const int* widths, int height);
void gui_layout_width(gui_Context* ctx, int width);
void gui_layout_height(gui_Context* ctx, int height);
void gui_layout_begin_column(gui_Context* ctx);
void gui_layout_end_column(gui_Context* ctx);
void gui_layout_set_next(gui_Context* ctx, gui_Rect r, int relative);
gui_Rect gui_layout_next(gui_Context* ctx);

// Controls
int gui_mouse_over(gui_Context* ctx, gui_Rect rect);
void gui_update_control(gui_Context* ctx, gui_Id id, gui_Rect rect, int opt);
void gui_default_draw_frame(gui_Context* ctx, gui_Rect rect, int colorid);
void gui_draw_control_frame(gui_Context* ctx, gui_Id id, gui_Rect rect, int colorid, int opt);
void gui_draw_control_text(gui_Context* ctx, const char* str, gui_Rect rect, int colorid, int opt);

// Windows, panels, popups
int gui_begin_window_ex(gui_Context* ctx, const char* title, gui_Rect rect, int opt);
void gui_end_window(gui_Context* ctx);
void gui_begin_panel_ex(gui_Context* ctx, const char* name, int opt);
void gui_end_panel(gui_Context* ctx);
void gui_open_popup(gui_Context* ctx, const char* name);
int gui_begin_popup(gui_Context* ctx, const char* name);
void gui_end_popup(gui_Context* ctx);

// Widgets; each returns a combination of the GUI_RES_ bits
int gui_button_ex(gui_Context* ctx, const char* label, int icon, int opt);
int gui_checkbox(gui_Context* ctx, const char* label, int* state);
int gui_textbox_raw(gui_Context* ctx, char* buf, int bufsz, gui_Id id, gui_Rect r, int opt);
int gui_textbox_ex(gui_Context* ctx, char* buf, int bufsz, int opt);
int gui_slider_ex(gui_Context* ctx, gui_Real* value, gui_Real low, gui_Real high, gui_Real step, const char* fmt,
                  int opt);
int gui_number_ex(gui_Context* ctx, gui_Real* value, gui_Real step, const char* fmt, int opt);
int gui_header_ex(gui_Context* ctx, const char* label, int opt);
int gui_begin_treenode_ex(gui_Context* ctx, const char* label, int opt);
void gui_end_treenode(gui_Context* ctx);
void gui_label(gui_Context* ctx, const char* text);
void gui_text(gui_Context* ctx, const char* text);
