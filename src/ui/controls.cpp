#include "ui/controls.h"

#include <algorithm>
#include <utility>

#include "ui/generic_command.h"

UIToolkit::Interactor<float> clickInteraction(std::function<void()> onClick) {
    return [onClick = std::move(onClick)](const UIToolkit::InputState& in, UIValue<float>*, const geo::Rect&) {
        if (in.leftMousePressed) onClick();
    };
}

void upDownDragInteraction(const UIToolkit::InputState& in, UIValue<float>* value, const geo::Rect&) {
    if (!in.leftMouseDown || value == nullptr) return;
    const float divisor = in.shiftDown ? 200.0f : 75.0f;
    const float v = static_cast<float>(*value) - in.mouseDelta.y / divisor;
    value->setAndNotify(std::clamp(v, 0.0f, 1.0f));
}

namespace {

int draggedIndex(const gui_Context* ctx, int current, int lastIndex) {
    const int divisor = (ctx->key_down & GUI_KEY_SHIFT) ? 2 : 1;
    int step = ctx->mouse_delta.y / divisor;
    if (step == 0) step = ctx->mouse_delta.y;
    return std::clamp(current - step, 0, std::max(0, lastIndex));
}

}  // namespace

int gui_image_knob(gui_Context* ctx, IndexedSprite& sprite, int* value) {
    const gui_Id id = gui_get_id(ctx, &value, sizeof(value));
    gui_layout_begin_column(ctx);
    const int widths[] = {sprite.sheet.celWidth};
    gui_layout_row(ctx, 1, widths, sprite.sheet.celHeight);
    const gui_Rect rect = gui_layout_next(ctx);
    gui_update_control(ctx, id, rect, 0);

    int result = 0;
    int index = *value;
    if (ctx->focus == id && ctx->mouse_down == GUI_MOUSE_LEFT) {
        const int dragged = draggedIndex(ctx, index, sprite.lastIndex);
        if (dragged != index) {
            *value = index = dragged;
            result = GUI_RES_CHANGE;
        }
    }

    const int clip = gui_check_clip(ctx, rect);
    if (clip != GUI_CLIP_ALL) {
        if (clip == GUI_CLIP_PART) gui_set_clip(ctx, gui_get_clip_rect(ctx));
        pushGenericDrawCommand(ctx, geo::Rect(rect), [sprite, index](Bitmap& target, geo::Rect& r) {
            sprite.draw(target, index, geo::truncate(r.x), geo::truncate(r.y));
        });
        if (clip == GUI_CLIP_PART) gui_set_clip(ctx, unclippedRect);
    }
    gui_layout_end_column(ctx);
    return result;
}
