#pragma once
// The whole state of the UI core: one fixed-size record, nothing on the heap.
#include "guicore/commands.h"

struct gui_Context {
    int (*text_width)(gui_Font font, const char* str, int len);  // len -1: up to the terminator
    int (*text_height)(gui_Font font);
    void (*draw_frame)(gui_Context* ctx, gui_Rect rect, int colorid);
    gui_Style _style;
    gui_Style* style;
    gui_Id hover;
    gui_Id focus;
    gui_Id last_id;
    gui_Rect last_rect;
    int last_zindex;
    int updated_focus;
    int frame;
    gui_Container* hover_root;
    gui_Container* next_hover_root;
    gui_Container* scroll_target;
    char number_edit_buf[GUI_NUMBER_EDIT_SIZE];
    gui_Id number_edit;
    struct {
        int idx;
        alignas(gui_Command) char items[GUI_COMMANDLIST_SIZE];
    } command_list;
    struct {
        int idx;
        gui_Container* items[GUI_ROOTLIST_SIZE];
    } root_list;
    struct {
        int idx;
        gui_Container* items[GUI_CONTAINERSTACK_SIZE];
    } container_stack;
    struct {
        int idx;
        gui_Rect items[GUI_CLIPSTACK_SIZE];
    } clip_stack;
    struct {
        int idx;
        gui_Id items[GUI_IDSTACK_SIZE];
    } id_stack;
    struct {
        int idx;
        gui_Layout items[GUI_LAYOUTSTACK_SIZE];
    } layout_stack;
    gui_PoolItem container_pool[GUI_CONTAINERPOOL_SIZE];
    gui_Container containers[GUI_CONTAINERPOOL_SIZE];
    gui_PoolItem treenode_pool[GUI_TREENODEPOOL_SIZE];
    gui_Vec2 mouse_pos;
    gui_Vec2 last_mouse_pos;
    gui_Vec2 mouse_delta;
    gui_Vec2 scroll_delta;
    int mouse_down;
    int mouse_pressed;
    int key_down;
    int key_pressed;
    char input_text[GUI_INPUT_TEXT_SIZE];
};
