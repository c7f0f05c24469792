#pragma once

// Brings the installer's screen flow into each of its states in an off-screen window, with the job held at a chosen
// step where a state needs it, for tests and benchmarks that look at one frame of a screen.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "../zip/support/temp_dir.h"
#include "appview.h"
#include "guicore/guicore.h"
#include "install.h"
#include "program.h"
#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/debugdialog.h"
#include "ui/context.h"
#include "ui/renderer.h"

// Drives a UI delegate frame by frame into a bitmap, with input handed straight to the UI core in units, as the
// window's input bridges do.
class OffscreenWindow {
public:
    struct Text {
        std::string text;
        gui_Vec2 pos;
        gui_Font font;
        gui_Rect clip;  // what of the window may show it
    };
    // 500 x 350 units at `scale` pixels a unit, sized as the window layer sizes a window's bitmap.
    OffscreenWindow(UIRendererDelegate& delegate, float scale)
        : _bitmap(int(std::lround(500 * scale)), int(std::lround(350 * scale)), scale),
          _icons(EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                 EMBEDDED_ASSET(icon_expanded)),
          _delegate(delegate) {
        gui_init(_ctx.get()), prepareContext(_ctx.get());
    }
    void frame() { UIRenderer(_bitmap, _ctx.get(), _icons, _delegate).render(); }
    const Bitmap& bitmap() const { return _bitmap; }
    // The text commands of the last frame, in drawing order.
    std::vector<Text> texts() {
        std::vector<Text> found;
        gui_Rect clip = gui_rect(0, 0, _bitmap.width(), _bitmap.height());
        for (gui_Command* cmd = nullptr; gui_next_command(_ctx.get(), &cmd);)
            if (cmd->type == GUI_COMMAND_CLIP)
                clip = cmd->clip.rect;
            else if (cmd->type == GUI_COMMAND_TEXT)
                found.push_back({cmd->text.str, cmd->text.pos, cmd->text.font, clip});
        return found;
    }
    std::optional<Text> find(std::string_view text) {
        for (Text& t : texts())
            if (t.text == text) return t;
        return std::nullopt;
    }
    bool shows(std::string_view text) { return find(text).has_value(); }
    // Draws a frame to find the label, points at it and lets one frame see the pointer there; the UI core reports a
    // press in the frame after it.
    void pointAt(std::string_view label) {
        frame();
        const std::optional<Text> t = find(label);
        if (!t) throw std::runtime_error("nothing labelled " + std::string(label) + " on screen");
        _at = {t->pos.x + 2, t->pos.y + 2};
        moveMouse(_at.x, _at.y), frame();
    }
    // Presses in the frame this runs last; the release reaches the core before the next.
    void click(std::string_view label) {
        pointAt(label), gui_input_mousedown(_ctx.get(), _at.x, _at.y, GUI_MOUSE_LEFT), frame();
        gui_input_mouseup(_ctx.get(), _at.x, _at.y, GUI_MOUSE_LEFT);
    }
    void moveMouse(int x, int y) { gui_input_mousemove(_ctx.get(), x, y); }
    // Keys pressed for one frame, released before the next.
    void typeKeys(int keys) { gui_input_keydown(_ctx.get(), keys), frame(), gui_input_keyup(_ctx.get(), keys); }

private:
    Bitmap _bitmap;
    std::unique_ptr<gui_Context> _ctx = std::make_unique<gui_Context>();
    UIIconSet _icons;
    UIRendererDelegate& _delegate;
    gui_Vec2 _at{};
};

namespace scenes {

namespace fs = std::filesystem;

inline bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

// Holds the standard output lock: a job that reaches its failure report waits there, with its progress record left at
// the step it had reached.
struct StdoutHold {
#ifdef _WIN32
    StdoutHold() { _lock_file(stdout); }
    ~StdoutHold() { _unlock_file(stdout); }
#else
    StdoutHold() { flockfile(stdout); }
    ~StdoutHold() { funlockfile(stdout); }
#endif
};

enum class Scene {
    start,
    license,
    installCreating,   // job at step 1, "Creating settings folder"
    installSettingUp,  // job at step 2, "Setting up target folder"
    installUnpacking,  // job at step 3, "Unpacking plugin"
    cancelling,        // Cancel pressed, the job held before it could stop
    cancelled,         // the job stopped after Cancel
    celebrate,
    errorSetUp,        // "Failed to set up target folder"
    errorUnpack,       // "Failed to unpack plugin"
    errorFailed,       // "Installation failed!"
    debugDialog,       // the debug overlay over the start screen
    focusMark,         // start screen, Next focused from the keyboard, the pointer on Exit
    errorNotRestored,  // an older bundle that the rollback could not put back; its text names temporary paths
};

// Every scene with a picture (all but the last), by the picture's name.
inline std::vector<std::pair<Scene, const char*>> allScenes() {
    static const char* const names[] = {
        "start",     "license",     "install_step1", "install_step2", "install_step3", "cancelling", "cancelled",
        "celebrate", "error_setup", "error_unpack",  "error_failed",  "debug_dialog",  "focus_mark"};
    std::vector<std::pair<Scene, const char*>> list;
    for (const char* name : names) list.emplace_back(Scene(list.size()), name);
    return list;
}

// The screen flow in one state, in a window of 500 by 350 units at the given scale, ready for the frame that shows it.
// A held job is let go on destruction.
class Staged {
public:
    explicit Staged(Scene scene, bool caching = true, float scale = 1.0f) : _scene(scene) {
        titleFont->setCaching(caching), labelFont->setCaching(caching), debugDialog.setFont(labelFont);
        view = std::make_unique<AppView>(props.getString("heading", ""), source());
        view->setCaching(caching);
        window = std::make_unique<OffscreenWindow>(*view, scale);
        drive();
    }
    // The job must end before the folders it works in go.
    ~Staged() { _hold.reset(), releaseJob(), window.reset(), view.reset(); }
    // Runs frames until the flow shows `screen`; false after 20 seconds.
    bool runUntil(AppView::Screen screen) {
        return waitFor([&] { return window->frame(), view->currentScreen() == screen; });
    }
    // Lets a job held at its target lookup go on.
    void releaseJob() {
        std::call_once(_released, [this] { _gate.set_value(); });
    }
    // The VST3 folder the job installs into, unless the scene puts it elsewhere.
    fs::path target() const { return _folder.path() / "vst3"; }
    // One frame of the staged state; the debug scene's frame shows the overlay.
    void showFrame() { _scene == Scene::debugDialog ? toggleDebugDialog() : window->frame(); }
    // Hides the overlay again, since it is one for the whole process.
    void hideDebugDialog() { debugDialog.visible() ? toggleDebugDialog() : void(); }
    std::unique_ptr<AppView> view;
    std::unique_ptr<OffscreenWindow> window;

private:
    bool in(std::initializer_list<Scene> scenes) const {
        return std::find(scenes.begin(), scenes.end(), _scene) != scenes.end();
    }
    InstallSource source() {
        fs::path folder = target();
        std::function<std::error_code()> beforeChange;
        if (in({Scene::installSettingUp})) {
            // A plain file where the folder should be: its creation throws.
            folder = _folder.path() / "in-the-way";
            std::ofstream(folder) << "x";
        } else if (in({Scene::installUnpacking, Scene::errorUnpack})) {
            fs::create_directories(folder);
            std::ofstream(folder / "Velliphon.vst3") << "not a folder";
        } else if (in({Scene::errorSetUp})) {
            folder = "VST3";
        } else if (in({Scene::errorFailed})) {
            return {[]() -> fs::path { throw std::runtime_error("no plug-in folder"); }, embeddedPayload()};
        } else if (in({Scene::errorNotRestored})) {
            fs::create_directories(folder / "Velliphon.vst3" / "Contents");
            std::ofstream(folder / "Velliphon.vst3" / "Contents" / "moduleinfo.json") << "older";
            // Once the old file has been moved aside, every change fails: neither the new file nor the old one can go
            // in.
            beforeChange = [folder] {
                for (const auto& e : fs::directory_iterator(folder))
                    if (e.path().filename().string().find(".old-") != std::string::npos)
                        return std::make_error_code(std::errc::permission_denied);
                return std::error_code();
            };
        }
        if (!in({Scene::installCreating, Scene::cancelling, Scene::cancelled})) releaseJob();
        return {[this, folder] { return _entered = true, _gateOpen.wait(), folder; }, embeddedPayload(), beforeChange};
    }
    static void check(bool ok, const char* what) {
        if (!ok) throw std::runtime_error(std::string("staging failed: ") + what);
    }
    void startJob(const char* message = nullptr) {
        window->click("Next"), window->frame(), window->click("Install");
        if (message) check(waitFor([&] { return view->installer().progress().message() == message; }), message);
    }
    void drive() {
        window->frame();
        if (in({Scene::license})) window->click("Next");
        if (in({Scene::installCreating}))
            startJob("Creating settings folder"), check(waitFor([&] { return _entered.load(); }), "job start");
        if (in({Scene::installSettingUp})) _hold.emplace(), startJob("Setting up target folder");
        if (in({Scene::installUnpacking})) _hold.emplace(), startJob("Unpacking plugin");
        if (in({Scene::cancelling, Scene::cancelled})) startJob(), window->frame(), window->click("Cancel");
        if (in({Scene::cancelled})) releaseJob(), check(runUntil(AppView::cancelled), "cancelled screen");
        if (in({Scene::celebrate})) startJob(), check(runUntil(AppView::celebrate), "celebration");
        if (in({Scene::errorSetUp, Scene::errorUnpack, Scene::errorFailed, Scene::errorNotRestored}))
            startJob(), check(runUntil(AppView::error), "error screen");
        if (in({Scene::debugDialog})) hideDebugDialog();
        if (in({Scene::focusMark}))
            return window->typeKeys(GUI_KEY_TAB), window->typeKeys(GUI_KEY_TAB), window->pointAt("Exit");
        // The pointer where it hovers nothing, seen by the UI core.
        window->moveMouse(499, 349);
        window->frame();
        if (in({Scene::debugDialog})) settleFrameRate();
    }
    // Feeds the overlay's average a long run of frames 16 ms apart that ended well over a second ago: it shows 62
    // frames a second, and the frame that shows it, after that pause, leaves the average alone.
    static void settleFrameRate() {
        const auto start = DebugDialog::Clock::now() - std::chrono::seconds(30);
        for (int i = 0; i <= 1000; ++i) debugDialog.frameAt(start + std::chrono::milliseconds(16) * i);
    }
    void toggleDebugDialog() { window->typeKeys(GUI_KEY_SHIFT | GUI_KEY_RETURN); }
    Scene _scene;
    ziptest::TempDir _folder;
    std::promise<void> _gate;
    std::shared_future<void> _gateOpen = _gate.get_future().share();
    std::once_flag _released;
    std::atomic<bool> _entered = false;
    std::optional<StdoutHold> _hold;
};

}  // namespace scenes
