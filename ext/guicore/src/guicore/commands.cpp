#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

using namespace guicore_internal;

namespace {

// Records are padded to the union's alignment so that the pointer fields of
// the record after a text of odd length are never read misaligned.
int record_size(int size) {
    constexpr int align = alignof(gui_Command);
    size = std::max(size, (int)sizeof(gui_BaseCommand));
    return (size + align - 1) / align * align;
}

char* list_end(gui_Context* ctx) { return ctx->command_list.items + ctx->command_list.idx; }

// Brackets a partly visible record with the clip rectangle it needs and then
// lifts the clipping again; wholly hidden records are not written at all.
template <typename Emit>
void with_clipping(gui_Context* ctx, gui_Rect bounds, Emit emit) {
    int clipped = gui_check_clip(ctx, bounds);
    if (clipped == GUI_CLIP_ALL) return;
    if (clipped == GUI_CLIP_PART) gui_set_clip(ctx, gui_get_clip_rect(ctx));
    emit();
    if (clipped == GUI_CLIP_PART) gui_set_clip(ctx, unclipped_rect);
}

}  // namespace

gui_Command* gui_push_command(gui_Context* ctx, int type, int size) {
    size = record_size(size);
    GUI_EXPECT(ctx->command_list.idx + size < GUI_COMMANDLIST_SIZE);
    gui_Command* cmd = reinterpret_cast<gui_Command*>(list_end(ctx));
    cmd->base.type = type;
    cmd->base.size = size;
    ctx->command_list.idx += size;
    return cmd;
}

int gui_next_command(gui_Context* ctx, gui_Command** cmd) {
    char* p = *cmd ? reinterpret_cast<char*>(*cmd) + (*cmd)->base.size : ctx->command_list.items;
    char* end = list_end(ctx);
    while (p != end) {
        gui_Command* c = reinterpret_cast<gui_Command*>(p);
        if (c->type != GUI_COMMAND_JUMP) {
            *cmd = c;
            return 1;
        }
        p = reinterpret_cast<char*>(c->jump.dst);
    }
    return 0;
}

gui_Command* guicore_internal::push_jump(gui_Context* ctx, gui_Command* dst) {
    gui_Command* cmd = gui_push_command(ctx, GUI_COMMAND_JUMP, sizeof(gui_JumpCommand));
    cmd->jump.dst = dst;
    return cmd;
}

void gui_set_clip(gui_Context* ctx, gui_Rect rect) {
    gui_Command* cmd = gui_push_command(ctx, GUI_COMMAND_CLIP, sizeof(gui_ClipCommand));
    cmd->clip.rect = rect;
}

void gui_draw_rect(gui_Context* ctx, gui_Rect rect, gui_Color color) {
    rect = intersect_rects(rect, gui_get_clip_rect(ctx));
    if (rect.w > 0 && rect.h > 0) {
        gui_Command* cmd = gui_push_command(ctx, GUI_COMMAND_RECT, sizeof(gui_RectCommand));
        cmd->rect.rect = rect;
        cmd->rect.color = color;
    }
}

void gui_draw_box(gui_Context* ctx, gui_Rect rect, gui_Color color) {
    gui_draw_rect(ctx, gui_rect(rect.x + 1, rect.y, rect.w - 2, 1), color);
    gui_draw_rect(ctx, gui_rect(rect.x + 1, rect.y + rect.h - 1, rect.w - 2, 1), color);
    gui_draw_rect(ctx, gui_rect(rect.x, rect.y, 1, rect.h), color);
    gui_draw_rect(ctx, gui_rect(rect.x + rect.w - 1, rect.y, 1, rect.h), color);
}

void gui_draw_text(gui_Context* ctx, gui_Font font, const char* str, int len, gui_Vec2 pos, gui_Color color) {
    gui_Rect bounds = gui_rect(pos.x, pos.y, ctx->text_width(font, str, len), ctx->text_height(font));
    with_clipping(ctx, bounds, [&] {
        int n = len < 0 ? (int)std::strlen(str) : len;
        gui_Command* cmd = gui_push_command(ctx, GUI_COMMAND_TEXT, (int)sizeof(gui_TextCommand) + n);
        char* dst = cmd->text.str;
        std::memcpy(dst, str, n);
        dst[n] = '\0';
        cmd->text.pos = pos;
        cmd->text.color = color;
        cmd->text.font = font;
    });
}

void gui_draw_icon(gui_Context* ctx, int id, gui_Rect rect, gui_Color color) {
    with_clipping(ctx, rect, [&] {
        gui_Command* cmd = gui_push_command(ctx, GUI_COMMAND_ICON, sizeof(gui_IconCommand));
        cmd->icon.id = id;
        cmd->icon.rect = rect;
        cmd->icon.color = color;
    });
}
