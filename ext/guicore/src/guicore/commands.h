#pragma once
// The records of the command list. Each starts with the common header; a
// walker steps from one record to the next by its size.
#include "guicore/types.h"

union gui_Command;

struct gui_BaseCommand {
    int type, size;
};
struct gui_JumpCommand {
    gui_BaseCommand base;
    gui_Command* dst;
};
struct gui_ClipCommand {
    gui_BaseCommand base;
    gui_Rect rect;
};
struct gui_RectCommand {
    gui_BaseCommand base;
    gui_Rect rect;
    gui_Color color;
};
// str is stored inline, zero-terminated; the record grows by the text length.
struct gui_TextCommand {
    gui_BaseCommand base;
    gui_Font font;
    gui_Vec2 pos;
    gui_Color color;
    char str[1];
};
struct gui_IconCommand {
    gui_BaseCommand base;
    gui_Rect rect;
    int id;
    gui_Color color;
};

union gui_Command {
    int type;
    gui_BaseCommand base;
    gui_JumpCommand jump;
    gui_ClipCommand clip;
    gui_RectCommand rect;
    gui_TextCommand text;
    gui_IconCommand icon;
};

struct gui_Container {
    gui_Command *head, *tail;  // jumps around a root container's commands
    gui_Rect rect;
    gui_Rect body;
    gui_Vec2 content_size;
    gui_Vec2 scroll;
    int zindex;
    int open;
};
