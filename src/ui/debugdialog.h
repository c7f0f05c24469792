#pragma once

#include <chrono>
#include <memory>

#include "ui/delegate.h"

class Font;

// A hidden diagnostic window that every UI on this toolkit gets: Shift+Return
// shows or hides the drawing area's size, the backing scale and a smoothed
// frame rate. The renderer describes it after the application each frame.
class DebugDialog : public UIRendererDelegate {
public:
    using Clock = std::chrono::steady_clock;

    constexpr DebugDialog() = default;

    void render(UIContext& uic) override;

    // Folds the frame described at `now` into the frame-rate average.
    void frameAt(Clock::time_point now);
    float fps() const { return _fps; }
    bool visible() const { return _showDialog; }
    // The face the dialog's lines are drawn in; the application hands over its label font.
    void setFont(std::shared_ptr<Font> font) { _font = std::move(font); }
    // How the window reaches the screen; the renderer hands it over each frame.
    void setPresentation(const char* presentation) { _presentation = presentation; }

private:
    Clock::time_point _lastRender{};
    float _fps = 0.0f;
    bool _showDialog = false;
    std::shared_ptr<Font> _font;
    const char* _presentation = "";
};

extern constinit DebugDialog debugDialog;
