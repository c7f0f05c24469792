#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "guicore/guicore.h"
#include "ui/context.h"
#include "ui/font.h"
#include "ui/renderer.h"
#include "ui/toolkit.h"

// A font of fixed-size cells: every character is `advance` units wide and a line `lineHeight` high. Drawing fills the
// text's box in its colour.
class FakeFont : public Font {
public:
    explicit FakeFont(int advance = 7, int lineHeight = 10) : _advance(advance), _lineHeight(lineHeight) {}
    int textWidth(std::string_view text) override { return static_cast<int>(text.size()) * _advance; }
    int textHeight() override { return _lineHeight; }
    void drawTo(Bitmap& target, std::string_view text, int x, int y, Color color) override {
        const float s = target.backingScale();
        surfFill(target.surfHandle(), static_cast<int>(x * s), static_cast<int>(y * s),
                 static_cast<int>(textWidth(text) * s), static_cast<int>(_lineHeight * s), color);
    }

private:
    int _advance, _lineHeight;
};

// A delegate whose frame is whatever the test says.
struct ScriptedDelegate : UIRendererDelegate {
    std::function<void(UIContext&)> describe;
    void render(UIContext& context) override { describe ? describe(context) : void(); }
};

inline std::shared_ptr<Surf> solidBitmap(int w, int h, SPixel color = {255, 255, 255, 255}) {
    std::shared_ptr<Surf> bmp(surfBitmap(w, h), surfFree);
    surfClear(bmp.get(), color);
    return bmp;
}

inline UIIconSet whiteIcons(int size) {
    return UIIconSet(solidBitmap(size, size), solidBitmap(size, size), solidBitmap(size, size),
                     solidBitmap(size, size));
}

// A UI core context with the renderer's callbacks and a fake font, for describing frames off screen.
struct UIHarness {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    FakeFont font;
    UIContext uic;
    explicit UIHarness(int width = 300, int height = 200) : uic{ctx.get(), width, height, 1.0f} {
        gui_init(ctx.get()), prepareContext(ctx.get()), ctx->style->font = static_cast<Font*>(&font);
    }
    // One frame, described only, whose content runs inside a root window without title, frame or padding: the first
    // layout cell is exactly width x height.
    void frame(const std::function<void(UIToolkit&)>& content) {
        gui_begin(ctx.get()), describeRoot(uic, content), gui_end(ctx.get());
    }
    // The same frame through the renderer, replayed into the target.
    void render(Bitmap& target, const std::function<void(UIToolkit&)>& content,
                const UIIconSet& icons = whiteIcons(18)) {
        ScriptedDelegate delegate;
        delegate.describe = [&](UIContext& c) { describeRoot(c, content); };
        UIRenderer(target, ctx.get(), icons, delegate).render();
    }

private:
    void describeRoot(UIContext& context, const std::function<void(UIToolkit&)>& content) {
        const int padding = std::exchange(ctx->style->padding, 0);
        UIToolkit(context).window(
            "root", [&](UIToolkit& t) { ctx->style->padding = padding, content(t); },
            GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NOSCROLL | GUI_OPT_NORESIZE);
        ctx->style->padding = padding;
    }
};
