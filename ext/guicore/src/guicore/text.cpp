#include "guicore/internal.h"

namespace {

bool is_delimiter(char c) { return c == ' ' || c == '\n' || c == '\0'; }

// Finds where the line starting at `start` ends: at the delimiter before the
// first word that no longer fits, or at a line feed or the end. A word wider
// than the cell still stands alone on its line.
const char* line_end(gui_Context* ctx, gui_Font font, const char* start, int cell_width) {
    const char* p = start;
    const char* end = start;
    int width = 0;
    do {
        const char* word = p;
        while (!is_delimiter(*p)) p++;
        width += ctx->text_width(font, word, (int)(p - word));
        if (width > cell_width && end != start) break;
        width += ctx->text_width(font, p, 1);
        end = p++;
    } while (*end != '\0' && *end != '\n');
    return end;
}

}  // namespace

void gui_text(gui_Context* ctx, const char* text) {
    gui_Font font = ctx->style->font;
    gui_Color color = ctx->style->colors[GUI_COLOR_TEXT];
    gui_layout_begin_column(ctx);
    int full_width = -1;
    gui_layout_row(ctx, 1, &full_width, ctx->text_height(font));
    const char* start = text;
    const char* end;
    do {
        gui_Rect r = gui_layout_next(ctx);
        end = line_end(ctx, font, start, r.w);
        gui_draw_text(ctx, font, start, (int)(end - start), gui_vec2(r.x, r.y), color);
        start = end + 1;
    } while (*end != '\0');
    gui_layout_end_column(ctx);
}
