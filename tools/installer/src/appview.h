#pragma once

#include <map>
#include <string>
#include <string_view>

#include "install.h"
#include "keyboard.h"
#include "ui/delegate.h"
#include "ui/style.h"
#include "ui/toolkit.h"

// The installer's screens and the moves between them: start, licence,
// install, then celebration or error, or, after Cancel, cancelling until the
// job has rolled back and then cancelled. Once a frame it describes the
// current screen; a button's action takes effect from the next frame's
// description on.
class AppView : public UIRendererDelegate {
public:
    enum Screen : int {
        start = 0,
        license = 1,
        install = 2,
        cancelling = 3,
        celebrate = 4,
        error = 5,
        cancelled = 6,
    };

    // `title` is the text of the UI's own title bar.
    explicit AppView(std::string_view title);
    // As above, with the job taking its bundle from and putting it where the
    // source says (tests use temporary folders).
    AppView(std::string_view title, InstallSource source);
    AppView(const AppView&) = delete;
    AppView& operator=(const AppView&) = delete;
    ~AppView() override = default;

    void render(UIContext& context) override;
    // The window has gone, so nobody will see the job's outcome: a job still
    // running is cancelled and rolls back. Destroying the view then waits for
    // it to end.
    void windowClosed() { _installer.cancel(); }
    void switchScreen(Screen screen) {
        _currentScreen = screen;
        _keyboard.reset();
    }
    Screen currentScreen() const { return _currentScreen; }
    const Installer& installer() const { return _installer; }
    // The button the keyboard focus is on, in the screen's order; KeyboardFocus::none if none.
    int focusedButton() const { return _keyboard.focused(); }

    // The displayed property texts are converted once and kept by default;
    // off, they are converted anew every frame. What is shown is the same.
    void setCaching(bool enabled) { _texts.setCaching(enabled); }

    void startScreen(UIToolkit& toolkit);
    void licenseScreen(UIToolkit& toolkit);
    void installScreen(UIToolkit& toolkit);
    void cancellingScreen(UIToolkit& toolkit);
    void celebrationScreen(UIToolkit& toolkit);
    void errorScreen(UIToolkit& toolkit);
    void cancelledScreen(UIToolkit& toolkit);

private:
    class PropertyTexts {
    public:
        const std::string& get(std::string_view key);
        void setCaching(bool enabled) {
            _caching = enabled;
            _converted.clear();
        }

    private:
        bool _caching = true;
        std::map<std::string, std::string, std::less<>> _converted;
    };

    void describe(UIToolkit& toolkit);
    // A cell's content: the property's text, word-wrapped.
    ChildUI textCell(std::string_view key);
    // Once the job's result is in, moves to the screen that tells it; false
    // while the job still runs.
    bool showOutcomeWhenDone();
    // A headline in bold, the body below it, and Exit.
    void outcomeScreen(UIToolkit& toolkit, std::string_view headline, const ChildUI& body);

    UIStyle::Palette _palette;
    std::string _title;
    Screen _currentScreen;
    Installer _installer;
    PropertyTexts _texts;
    KeyboardFocus _keyboard;
};
