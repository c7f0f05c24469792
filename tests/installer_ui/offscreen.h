#pragma once

// Drives a UI delegate frame by frame into an off-screen bitmap, with input
// handed straight to the UI core, as the window's input bridge would.

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guicore/guicore.h"
#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/context.h"
#include "ui/renderer.h"
#include "ui/surfinput.h"

class OffscreenWindow {
public:
    struct Text {
        std::string text;
        gui_Vec2 pos;
        gui_Font font;
        gui_Rect clip; // what of the window may show it
    };

    // A drawing area of width x height units at `scale` pixels a unit, sized
    // in pixels as the window layer sizes a window's bitmap.
    explicit OffscreenWindow(UIRendererDelegate& delegate, int width = 500, int height = 350, float scale = 1.0f)
        : _bitmap(static_cast<int>(std::lround(width * scale)), static_cast<int>(std::lround(height * scale)), scale)
        , _ctx(std::make_unique<gui_Context>())
        , _icons(EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                 EMBEDDED_ASSET(icon_expanded))
        , _delegate(delegate)
    {
        gui_init(_ctx.get());
        prepareContext(_ctx.get());
    }

    // Describes, ends and replays one frame into the bitmap.
    void frame()
    {
        UIRenderer renderer(_bitmap, _ctx.get(), _icons, _delegate);
        renderer.render();
    }

    gui_Context* context() { return _ctx.get(); }
    const Bitmap& bitmap() const { return _bitmap; }

    // The text commands of the last frame, in drawing order.
    std::vector<Text> texts()
    {
        std::vector<Text> found;
        gui_Rect clip = gui_rect(0, 0, _bitmap.width(), _bitmap.height());
        gui_Command* cmd = nullptr;
        while (gui_next_command(_ctx.get(), &cmd))
            if (cmd->type == GUI_COMMAND_CLIP)
                clip = cmd->clip.rect;
            else if (cmd->type == GUI_COMMAND_TEXT)
                found.push_back({ cmd->text.str, cmd->text.pos, cmd->text.font, clip });
        return found;
    }

    std::optional<Text> find(std::string_view text)
    {
        for (Text& t : texts())
            if (t.text == text)
                return t;
        return std::nullopt;
    }

    bool shows(std::string_view text) { return find(text).has_value(); }

    void moveMouse(int x, int y) { gui_input_mousemove(_ctx.get(), x, y); }

    // Draws a frame to find the label (a container's first frame may lay
    // out differently), points at it, lets one frame see the pointer there,
    // then presses: the UI core reports the click in the frame this runs
    // last. The release reaches the UI core before the next frame.
    void click(std::string_view label)
    {
        frame();
        const std::optional<Text> t = find(label);
        if (!t)
            throw std::runtime_error("nothing labelled " + std::string(label) + " on screen");
        const int x = t->pos.x + 2, y = t->pos.y + 2;
        moveMouse(x, y);
        frame();
        gui_input_mousedown(_ctx.get(), x, y, GUI_MOUSE_LEFT);
        frame();
        gui_input_mouseup(_ctx.get(), x, y, GUI_MOUSE_LEFT);
    }

    // Hands the window's input to the UI core through the input bridges, as
    // the application window does after each update.
    void deliver(WindowInput& input)
    {
        _mouse.process(_ctx.get(), input);
        _keys.process(_ctx.get(), input);
    }

    void pressKeys(int keys) { gui_input_keydown(_ctx.get(), keys); }
    void releaseKeys(int keys) { gui_input_keyup(_ctx.get(), keys); }
    // Keys pressed for one frame, released before the next.
    void typeKeys(int keys)
    {
        pressKeys(keys);
        frame();
        releaseKeys(keys);
    }

private:
    Bitmap _bitmap;
    std::unique_ptr<gui_Context> _ctx;
    UIIconSet _icons;
    UIRendererDelegate& _delegate;
    MouseBridge _mouse;
    KeyboardBridge _keys;
};
