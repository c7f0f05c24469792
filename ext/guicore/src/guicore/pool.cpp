#include <cstring>

#include "guicore/internal.h"

// Takes the least recently used item; one used in this frame is never taken.
int gui_pool_init(gui_Context *ctx, gui_PoolItem *items, int len, gui_Id id) {
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

int gui_pool_get(gui_Context *, gui_PoolItem *items, int len, gui_Id id) {
  for (int i = 0; i < len; i++) {
    if (items[i].id == id) return i;
  }
  return -1;
}

void gui_pool_update(gui_Context *ctx, gui_PoolItem *items, int idx) {
  items[idx].last_update = ctx->frame;
}

gui_Container *gui_get_container_by_id(gui_Context *ctx, gui_Id id, int opt) {
  int idx = gui_pool_get(ctx, ctx->container_pool, GUI_CONTAINERPOOL_SIZE, id);
  if (idx >= 0) {
    // A closed popup that is merely looked up must not keep its slot alive.
    if (ctx->containers[idx].open || !(opt & GUI_OPT_CLOSED)) {
      gui_pool_update(ctx, ctx->container_pool, idx);
    }
    return &ctx->containers[idx];
  }
  if (opt & GUI_OPT_CLOSED) return nullptr;
  idx = gui_pool_init(ctx, ctx->container_pool, GUI_CONTAINERPOOL_SIZE, id);
  gui_Container *cnt = &ctx->containers[idx];
  std::memset(cnt, 0, sizeof(*cnt));
  cnt->open = 1;
  gui_bring_to_front(ctx, cnt);
  return cnt;
}

gui_Container *gui_get_container(gui_Context *ctx, const char *name) {
  gui_Id id = gui_get_id(ctx, name, (int)std::strlen(name));
  return gui_get_container_by_id(ctx, id, 0);
}

gui_Container *gui_get_current_container(gui_Context *ctx) {
  GUI_EXPECT(ctx->container_stack.idx > 0);
  return ctx->container_stack.items[ctx->container_stack.idx - 1];
}
