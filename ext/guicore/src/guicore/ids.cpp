#include "guicore/internal.h"

namespace {
constexpr gui_Id fnv_offset_basis = 2166136261u;
constexpr gui_Id fnv_prime = 16777619u;
}  // namespace

// 32-bit FNV-1a, seeded with the enclosing scope so nested scopes chain.
gui_Id gui_get_id(gui_Context* ctx, const void* data, int size) {
    int idx = ctx->id_stack.idx;
    gui_Id h = idx > 0 ? ctx->id_stack.items[idx - 1] : fnv_offset_basis;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (int i = 0; i < size; i++) h = (h ^ p[i]) * fnv_prime;
    ctx->last_id = h;
    return h;
}

void gui_push_id(gui_Context* ctx, const void* data, int size) { GUI_PUSH(ctx->id_stack, gui_get_id(ctx, data, size)); }

void gui_pop_id(gui_Context* ctx) { GUI_POP(ctx->id_stack); }
