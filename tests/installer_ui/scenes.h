#pragma once

// Brings the installer's screen flow into each of its states off screen, with
// the job held at a chosen step where a state needs it, for tests and
// benchmarks that look at one frame of a screen.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "../zip/support/temp_dir.h"
#include "appview.h"
#include "install.h"
#include "offscreen.h"
#include "program.h"
#include "ui/debugdialog.h"

namespace scenes {

namespace fs = std::filesystem;

inline bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

using TempFolder = ziptest::TempDir;

// A job target lookup that waits until the test lets it go, so the job
// stays at its first step meanwhile.
class TargetGate {
public:
    explicit TargetGate(fs::path target) : _target(std::move(target)) {}

    fs::path lookUp()
    {
        std::unique_lock lock(_mutex);
        _entered = true;
        _changed.notify_all();
        _changed.wait(lock, [this] { return _released; });
        return _target;
    }
    bool entered()
    {
        std::lock_guard lock(_mutex);
        return _entered;
    }
    void release()
    {
        std::lock_guard lock(_mutex);
        _released = true;
        _changed.notify_all();
    }

private:
    fs::path _target;
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _entered = false;
    bool _released = false;
};

// Holds the standard output lock: a job that reaches its failure report
// waits there, with its progress record left at the step it had reached.
class StdoutHold {
public:
#ifdef _WIN32
    StdoutHold() { _lock_file(stdout); }
    ~StdoutHold() { _unlock_file(stdout); }
#else
    StdoutHold() { flockfile(stdout); }
    ~StdoutHold() { funlockfile(stdout); }
#endif
    StdoutHold(const StdoutHold&) = delete;
    StdoutHold& operator=(const StdoutHold&) = delete;
};

enum class Scene {
    start,
    license,
    installCreating,  // job at step 1, "Creating settings folder"
    installSettingUp, // job at step 2, "Setting up target folder"
    installUnpacking, // job at step 3, "Unpacking plugin"
    cancelling, // Cancel pressed, the job held before it could stop
    cancelled,  // the job stopped after Cancel
    celebrate,
    errorSetUp,  // "Failed to set up target folder"
    errorUnpack, // "Failed to unpack plugin"
    errorFailed, // "Installation failed!"
    errorNotRestored, // an older bundle that the rollback could not put back
    debugDialog, // the debug overlay over the start screen
    focusMark,   // start screen, Next focused from the keyboard, the pointer on Exit
};

inline const std::vector<std::pair<Scene, const char*>>& allScenes()
{
    static const std::vector<std::pair<Scene, const char*>> list = {
        { Scene::start, "start" },
        { Scene::license, "license" },
        { Scene::installCreating, "install_step1" },
        { Scene::installSettingUp, "install_step2" },
        { Scene::installUnpacking, "install_step3" },
        { Scene::cancelling, "cancelling" },
        { Scene::cancelled, "cancelled" },
        { Scene::celebrate, "celebrate" },
        { Scene::errorSetUp, "error_setup" },
        { Scene::errorUnpack, "error_unpack" },
        { Scene::errorFailed, "error_failed" },
        { Scene::debugDialog, "debug_dialog" },
        { Scene::focusMark, "focus_mark" },
    };
    return list;
}

// The screen flow in one state, in a window of 500 by 350 units at the given
// scale, ready for the frame that shows it. Whatever holds the job back is let
// go on destruction.
class Staged {
public:
    explicit Staged(Scene scene, bool caching = true, float scale = 1.0f) : _scene(scene)
    {
        titleFont->setCaching(caching);
        labelFont->setCaching(caching);
        debugDialog.setFont(labelFont);
        view = std::make_unique<AppView>(props.getString("heading", ""), source());
        view->setCaching(caching);
        window = std::make_unique<OffscreenWindow>(*view, 500, 350, scale);
        drive();
    }
    ~Staged()
    {
        _hold.reset();
        _gate->release();
        window.reset();
        view.reset();
    }
    Staged(const Staged&) = delete;
    Staged& operator=(const Staged&) = delete;

    // Runs frames until the flow shows `screen`; false after 20 seconds.
    bool runUntil(AppView::Screen screen)
    {
        return waitFor([&] {
            window->frame();
            return view->currentScreen() == screen;
        });
    }

    // Lets a job held at its target lookup go on.
    void releaseJob() { _gate->release(); }
    // The VST3 folder the job installs into, unless the scene puts it elsewhere.
    fs::path target() const { return _folder.path() / "vst3"; }

    // Puts the pointer where it hovers nothing and lets the UI core see it.
    void restPointer()
    {
        window->moveMouse(499, 349);
        window->frame();
    }

    // Puts the pointer on the text and lets the UI core see it there.
    void pointAt(std::string_view text)
    {
        window->frame();
        const std::optional<OffscreenWindow::Text> t = window->find(text);
        check(t.has_value(), "nothing to point at");
        window->moveMouse(t->pos.x + 2, t->pos.y + 2);
        window->frame();
    }

    // Whether the next frame draws the same picture every time: the debug
    // overlay's frame rate changes from frame to frame.
    bool repeatable() const { return _scene != Scene::debugDialog; }

    // One frame of the staged state; the debug scene's frame shows the overlay.
    void showFrame()
    {
        if (_scene != Scene::debugDialog) {
            window->frame();
            return;
        }
        toggleDebugDialog();
    }

    // Hides the overlay again, since it is one for the whole process.
    void hideDebugDialog()
    {
        if (debugDialog.visible())
            toggleDebugDialog();
    }

    std::unique_ptr<AppView> view;
    std::unique_ptr<OffscreenWindow> window;

private:
    InstallSource source()
    {
        const fs::path target = this->target();
        std::function<std::error_code()> beforeChange;
        switch (_scene) {
        case Scene::installCreating:
        case Scene::cancelling:
        case Scene::cancelled:
            break;
        case Scene::installSettingUp:
            // A plain file where the folder should be: its creation throws.
            std::ofstream(_folder.path() / "in-the-way") << "x";
            _gate = std::make_shared<TargetGate>(_folder.path() / "in-the-way");
            break;
        case Scene::installUnpacking:
        case Scene::errorUnpack:
            fs::create_directories(target);
            std::ofstream(target / "Velliphon.vst3") << "not a folder";
            _gate = std::make_shared<TargetGate>(target);
            break;
        case Scene::errorSetUp:
            _gate = std::make_shared<TargetGate>("VST3");
            break;
        case Scene::errorNotRestored:
            fs::create_directories(target / "Velliphon.vst3" / "Contents");
            std::ofstream(target / "Velliphon.vst3" / "Contents" / "moduleinfo.json") << "older";
            // Once the old file has been moved aside, every change fails:
            // neither the new file nor the old one can go in.
            beforeChange = [target] {
                for (const auto& e : fs::directory_iterator(target))
                    if (e.path().filename().string().find(".old-") != std::string::npos)
                        return std::make_error_code(std::errc::permission_denied);
                return std::error_code();
            };
            break;
        default:
            _gate = std::make_shared<TargetGate>(target);
        }
        if (!_gate)
            _gate = std::make_shared<TargetGate>(target);
        const bool held
            = _scene == Scene::installCreating || _scene == Scene::cancelling || _scene == Scene::cancelled;
        if (!held)
            _gate->release();
        std::shared_ptr<TargetGate> gate = _gate;
        if (_scene == Scene::errorFailed)
            return { [] () -> fs::path { throw std::runtime_error("no plug-in folder"); }, embeddedPayload() };
        return { [gate] { return gate->lookUp(); }, embeddedPayload(), beforeChange };
    }

    void check(bool ok, const char* what)
    {
        if (!ok)
            throw std::runtime_error(std::string("staging failed: ") + what);
    }

    void startJob()
    {
        window->frame();
        window->click("Next");
        window->frame();
        window->click("Install");
    }

    void waitForMessage(std::string_view message)
    {
        check(waitFor([&] { return view->installer().progress().message() == message; }), "job step");
    }

    void drive()
    {
        switch (_scene) {
        case Scene::start:
            window->frame();
            break;
        case Scene::license:
            window->frame();
            window->click("Next");
            break;
        case Scene::installCreating:
            startJob();
            check(waitFor([&] { return _gate->entered(); }), "job start");
            waitForMessage("Creating settings folder");
            break;
        case Scene::installSettingUp:
            _hold.emplace();
            startJob();
            waitForMessage("Setting up target folder");
            break;
        case Scene::installUnpacking:
            _hold.emplace();
            startJob();
            waitForMessage("Unpacking plugin");
            break;
        case Scene::cancelling:
        case Scene::cancelled:
            startJob();
            window->frame();
            window->click("Cancel");
            if (_scene == Scene::cancelled) {
                releaseJob();
                check(runUntil(AppView::cancelled), "cancelled screen");
            }
            break;
        case Scene::celebrate:
            startJob();
            check(runUntil(AppView::celebrate), "celebration");
            break;
        case Scene::errorSetUp:
        case Scene::errorUnpack:
        case Scene::errorFailed:
        case Scene::errorNotRestored:
            startJob();
            check(runUntil(AppView::error), "error screen");
            break;
        case Scene::debugDialog:
            window->frame();
            hideDebugDialog();
            break;
        case Scene::focusMark:
            window->frame();
            window->typeKeys(GUI_KEY_TAB);
            window->typeKeys(GUI_KEY_TAB);
            break;
        }
        if (_scene == Scene::focusMark) {
            pointAt("Exit");
            return;
        }
        restPointer();
        if (_scene == Scene::debugDialog)
            settleFrameRate();
    }

    // Feeds the overlay's average a long run of frames 16 ms apart that ended
    // well over a second ago: it shows 62 frames a second, and the frame that
    // shows it, after that pause, leaves the average alone.
    static void settleFrameRate()
    {
        using namespace std::chrono;
        const auto start = DebugDialog::Clock::now() - seconds(30);
        for (int i = 0; i <= 1000; ++i)
            debugDialog.frameAt(start + milliseconds(16) * i);
    }

    void toggleDebugDialog()
    {
        window->pressKeys(GUI_KEY_SHIFT | GUI_KEY_RETURN);
        window->frame();
        window->releaseKeys(GUI_KEY_SHIFT | GUI_KEY_RETURN);
    }

    Scene _scene;
    TempFolder _folder;
    std::shared_ptr<TargetGate> _gate;
    std::optional<StdoutHold> _hold;
};

} // namespace scenes
