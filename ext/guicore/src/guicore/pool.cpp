#include <cstring>

#include "guicore/internal.h"

// Takes the least recently used item; one used in this frame is never taken.
int gui_pool_init(gui_Context* ctx, gui_PoolItem* items, int len, gui_Id id) {
    int n = -1;
    int oldest = ctx->frame;
    for (int i = 0; i < len; i++) {
        if (items[i].last_update < oldest) {
            oldest = items[i].last_update;
            n = i;
        }
    }
    GUI_EXPECT(n > -1);
    items[n].id = id;
    gui_pool_update(ctx, items, n);
    return n;
}

int gui_pool_get(gui_Context*, gui_PoolItem* items, int len, gui_Id id) {
    for (int i = 0; i < len; i++) {
        if (items[i].id == id) return i;
    }
    return -1;
}

void gui_pool_update(gui_Context* ctx, gui_PoolItem* items, int idx) { items[idx].last_update = ctx->frame; }
