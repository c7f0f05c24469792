#pragma once

#include <functional>
#include <memory>

#include "fake_font.h"
#include "guicore/guicore.h"
#include "ui/context.h"
#include "ui/renderer.h"
#include "ui/toolkit.h"

// A delegate whose frame is whatever the test says.
struct ScriptedDelegate : UIRendererDelegate {
    std::function<void(UIContext&)> describe;
    void render(UIContext& context) override {
        if (describe) describe(context);
    }
};

inline std::shared_ptr<Surf> solidBitmap(int w, int h, SPixel color) {
    std::shared_ptr<Surf> bmp(surfBitmap(w, h), surfFree);
    surfClear(bmp.get(), color);
    return bmp;
}

inline UIIconSet whiteIcons(int size) {
    const SPixel white{255, 255, 255, 255};
    return UIIconSet(solidBitmap(size, size, white), solidBitmap(size, size, white), solidBitmap(size, size, white),
                     solidBitmap(size, size, white));
}

// A UI core context with the renderer's callbacks and a fake font, for
// describing frames off screen.
struct UIHarness {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    FakeFont font;
    UIContext uic;

    explicit UIHarness(int width = 300, int height = 200) : uic{ctx.get(), width, height, 1.0f} {
        gui_init(ctx.get());
        prepareContext(ctx.get());
        ctx->style->font = static_cast<Font*>(&font);
    }

    // One frame, described only, whose content runs inside a root window
    // without title, frame or padding: the first layout cell is exactly
    // width x height.
    void frame(const std::function<void(UIToolkit&)>& content) {
        gui_begin(ctx.get());
        describeRoot(uic, content);
        gui_end(ctx.get());
    }

    // The same frame through the renderer, replayed into the target.
    void render(Bitmap& target, const std::function<void(UIToolkit&)>& content) {
        ScriptedDelegate delegate;
        delegate.describe = [&](UIContext& c) { describeRoot(c, content); };
        UIRenderer renderer(target, ctx.get(), whiteIcons(18), delegate);
        renderer.render();
    }

private:
    void describeRoot(UIContext& context, const std::function<void(UIToolkit&)>& content) {
        const int padding = ctx->style->padding;
        ctx->style->padding = 0;
        UIToolkit toolkit(context);
        toolkit.window("root",
                       [&](UIToolkit& t) {
                           ctx->style->padding = padding;
                           content(t);
                       },
                       GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NOSCROLL | GUI_OPT_NORESIZE);
        ctx->style->padding = padding;
    }
};
