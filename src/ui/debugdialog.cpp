#include "ui/debugdialog.h"

#include <string>

#include "ui/style.h"
#include "ui/toolkit.h"
#include "ui/widgets.h"

constinit DebugDialog debugDialog;

void DebugDialog::frameAt(Clock::time_point now) {
    const auto delta = std::chrono::duration_cast<std::chrono::nanoseconds>(now - _lastRender).count();
    _lastRender = now;
    if (delta > 999'999'999) return;  // a pause, or the very first frame
    const auto micros = delta / 1000;
    // Two frames within one microsecond would make the rate infinite, and the
    // average with it for good.
    if (micros <= 0) return;
    _fps = _fps * 0.95f + static_cast<float>(1'000'000.0 / static_cast<double>(micros)) * 0.05f;
}

void DebugDialog::render(UIContext& uic) {
    const gui_Context& ctx = *uic.ctx;
    if ((ctx.key_pressed & GUI_KEY_RETURN) && (ctx.key_down & GUI_KEY_SHIFT)) _showDialog = !_showDialog;
    frameAt(Clock::now());
    if (!_showDialog) return;

    UIStyle style(uic.ctx);
    if (_font) style.font(_font);
    // Text cannot be measured without a face.
    if (!uic.ctx->style->font) return;

    UI::Column column{
        {UI::Spacer(), UI::Share(1.0f)},
        {UI::Label("UI: " + std::to_string(uic.width) + "x" + std::to_string(uic.height), UIToolkit::alignCenter),
         UI::Share(1.0f)},
        {UI::Label("Backing scale: " + std::to_string(uic.backingScale), UIToolkit::alignCenter), UI::Share(1.0f)},
        {UI::Label("FPS: " + std::to_string(geo::truncate(_fps)), UIToolkit::alignCenter), UI::Share(1.0f)},
        {UI::Spacer(), UI::Share(1.0f)},
    };
    // A bitmap that is not a window has no way to the screen to tell of.
    if (*_presentation)
        column.children.insert(
            column.children.end() - 1,
            {UI::Label(std::string("Presentation: ") + _presentation, UIToolkit::alignCenter), UI::Share(1.0f)});
    UIToolkit toolkit(uic);
    toolkit.dialog("Debuginfo", column, uic.width / 2, uic.height * 3 / 4);
}
