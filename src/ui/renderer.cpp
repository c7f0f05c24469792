#include "ui/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "ui/colors.h"
#include "ui/context.h"
#include "ui/debugdialog.h"
#include "ui/font.h"
#include "ui/generic_command.h"
#include "ui/resample.h"

namespace {

Font* fontOf(gui_Font handle) { return static_cast<Font*>(handle); }

int measureTextWidth(gui_Font font, const char* text, int length) {
    // strnlen never looks past `length` bytes, so a length beyond the string
    // still measures only up to its terminator.
    const std::size_t n = length < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(length));
    return fontOf(font)->textWidth(std::string_view(text, n));
}

int measureTextHeight(gui_Font font) { return fontOf(font)->textHeight(); }

int nearestPixel(float v) { return geo::truncate(std::round(v)); }

// Pixels along one axis from `start` for `length` units. Both edges go to the
// nearest pixel edge, so rectangles that meet in units meet in pixels. A
// one-unit line is as thick as a unit rounded up, wherever it falls, so that
// lines keep one thickness and still reach whatever the next unit holds.
int pixelLength(float start, float length, float scale, int startPixel) {
    if (length == 1.0f) return geo::truncate(std::ceil(scale));
    return nearestPixel((start + length) * scale) - startPixel;
}

gui_Rect pixelRect(const gui_Rect& unitRect, float scale) {
    const geo::Rect r(unitRect);
    const int x = nearestPixel(r.x * scale);
    const int y = nearestPixel(r.y * scale);
    return gui_rect(x, y, pixelLength(r.x, r.w, scale, x), pixelLength(r.y, r.h, scale, y));
}

// Icons are drawn one pixel per unit; at any other scale they are resampled
// smoothly to the placed size first.
void drawIcon(Surf* target, const Surf& icon, const gui_Rect& placed, SPixel tint) {
    if (placed.w == icon.w && placed.h == icon.h) {
        surfBlitTint(target, &icon, placed.x, placed.y, 0, 0, icon.w, icon.h, tint);
        return;
    }
    const std::unique_ptr<Surf, void (*)(Surf*)> scaled(resampled(icon, placed.w, placed.h), surfFree);
    if (scaled) surfBlitTint(target, scaled.get(), placed.x, placed.y, 0, 0, placed.w, placed.h, tint);
}

// The command slot's header stays where the UI core wrote it; the object sits
// at the first 16-byte boundary inside the slot with room for all of it.
GenericDrawCommand* placeGenericCommand(gui_Command* slot) {
    void* place = slot;
    std::size_t space = GENERIC_DRAW_COMMAND_SIZE;
    return static_cast<GenericDrawCommand*>(std::align(16, sizeof(GenericDrawCommand), place, space));
}

static_assert(sizeof(GenericDrawCommand) + 15 <= GENERIC_DRAW_COMMAND_SIZE,
              "a generic draw command must fit its slot at any alignment");

// The command memory is reused next frame without destructors, so every
// generic command still in the list after `from` is destroyed here.
void destroyGenericCommandsAfter(gui_Context* ctx, gui_Command* from) {
    gui_Command* cmd = from;
    while (gui_next_command(ctx, &cmd)) {
        if (cmd->type == GENERIC_DRAW_COMMAND) placeGenericCommand(cmd)->~GenericDrawCommand();
    }
}

void runGenericCommand(gui_Context* ctx, gui_Command* slot, Bitmap& target) {
    GenericDrawCommand* command = placeGenericCommand(slot);
    try {
        command->drawer(target, command->rect);
    } catch (...) {
        command->~GenericDrawCommand();
        destroyGenericCommandsAfter(ctx, slot);
        throw;
    }
    command->~GenericDrawCommand();
}

}  // namespace

void prepareContext(gui_Context* ctx) {
    ctx->text_width = measureTextWidth;
    ctx->text_height = measureTextHeight;
}

void pushGenericDrawCommand(gui_Context* ctx, const geo::Rect& rect, const GenericDrawer& drawer) {
    gui_Command* slot = gui_push_command(ctx, GENERIC_DRAW_COMMAND, GENERIC_DRAW_COMMAND_SIZE);
    GenericDrawCommand* command = ::new (static_cast<void*>(placeGenericCommand(slot)))
        GenericDrawCommand{gui_BaseCommand{GENERIC_DRAW_COMMAND, GENERIC_DRAW_COMMAND_SIZE}, GenericDrawer(), rect};
    command->drawer = drawer;
}

UIRenderer::UIRenderer(Bitmap& bmp, gui_Context* ctx, UIIconSet icons, UIRendererDelegate& delegate)
    : bmp(bmp), ctx(ctx), icons(std::move(icons)), delegate(delegate) {}

void UIRenderer::render() {
    describe();
    replay();
}

void UIRenderer::describe() {
    const float scale = bmp.backingScale();
    UIContext context{ctx, geo::truncate(bmp.width() / scale), geo::truncate(bmp.height() / scale), scale};
    gui_begin(ctx);
    delegate.render(context);
    debugDialog.setPresentation(surfPresentation(bmp.surfHandle()));
    debugDialog.render(context);
    gui_end(ctx);
}

void UIRenderer::replay() {
    const float scale = bmp.backingScale();
    Surf* target = bmp.surfHandle();
    // Indexed by the UI core's icon identifiers, GUI_ICON_CLOSE (1) to GUI_ICON_EXPANDED (4).
    const Surf* iconBitmaps[GUI_ICON_MAX] = {nullptr, icons.close.get(), icons.check.get(), icons.collapsed.get(),
                                             icons.expanded.get()};

    surfClear(target, SPixel{0, 0, 0, 255});
    // A clip left over from the previous frame must not cut into this one.
    surfClip(target, 0, 0, -1, -1);

    gui_Command* cmd = nullptr;
    while (gui_next_command(ctx, &cmd)) {
        switch (cmd->type) {
            case GENERIC_DRAW_COMMAND:
                runGenericCommand(ctx, cmd, bmp);
                break;
            case GUI_COMMAND_CLIP: {
                const geo::Rect bounds = (geo::Rect(cmd->clip.rect) * scale).integerBounds();
                surfClip(target, geo::truncate(bounds.x), geo::truncate(bounds.y), geo::truncate(bounds.w),
                         geo::truncate(bounds.h));
                break;
            }
            case GUI_COMMAND_RECT: {
                const gui_Rect r = pixelRect(cmd->rect.rect, scale);
                surfFill(target, r.x, r.y, r.w, r.h, Color(cmd->rect.color));
                break;
            }
            case GUI_COMMAND_TEXT:
                if (Font* font = fontOf(cmd->text.font)) {
                    font->drawTo(bmp, cmd->text.str, cmd->text.pos.x, cmd->text.pos.y, Color(cmd->text.color));
                }
                break;
            case GUI_COMMAND_ICON: {
                const int id = cmd->icon.id;
                const Surf* icon = id > 0 && id < GUI_ICON_MAX ? iconBitmaps[id] : nullptr;
                if (!icon) break;
                const gui_Rect& r = cmd->icon.rect;
                // An icon is as many units as it has pixels, centred in its cell.
                const gui_Rect placed =
                    pixelRect(gui_rect(r.x + (r.w - icon->w) / 2, r.y + (r.h - icon->h) / 2, icon->w, icon->h), scale);
                drawIcon(target, *icon, placed, Color(cmd->icon.color));
                break;
            }
            default:
                break;
        }
    }
}
