#include "install.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "shared/assets.h"
#include "shared/os.h"
#include "install_transaction.h"

namespace {

constexpr std::uint64_t kStepMask = 0xffffffffu;

// The text's index in the high half, the step in the low half.
std::uint64_t pack(std::size_t text, int step) {
    return static_cast<std::uint64_t>(text) << 32 | static_cast<std::uint32_t>(step);
}

void update(std::atomic<std::uint64_t>& state, auto change) {
    std::uint64_t old = state.load();
    while (!state.compare_exchange_weak(old, change(old))) {}
}

}  // namespace

Progress::Progress(int steps) : _steps(steps), _state(pack(0, 0)) {}

std::string_view Progress::message() const { return texts[_state.load() >> 32]; }

float Progress::progress() const {
    const auto step = static_cast<std::int32_t>(_state.load() & kStepMask);
    return static_cast<float>(step) / static_cast<float>(_steps);
}

void Progress::setMessage(std::string_view text) {
    const auto found = std::find(texts.begin(), texts.end(), text);
    if (found == texts.end()) throw std::invalid_argument("not a progress text");
    const auto index = static_cast<std::size_t>(found - texts.begin());
    update(_state, [index](std::uint64_t old) { return pack(index, static_cast<std::int32_t>(old & kStepMask)); });
}

void Progress::step() {
    update(_state, [](std::uint64_t old) { return (old & ~kStepMask) | ((old + 1) & kStepMask); });
}

void Progress::setStep(int step) {
    update(_state, [step](std::uint64_t old) { return pack(old >> 32, step); });
}

std::span<const unsigned char> embeddedPayload() { return assets::raw(EMBEDDED_ASSET(installer_zip)); }

InstallSource InstallSource::product() { return {os::getVST3InstallPath, embeddedPayload()}; }

Installer::Installer(std::string_view plugID) : Installer(plugID, InstallSource::product()) {}

Installer::Installer(std::string_view plugID, InstallSource source)
    : _plugID(plugID), _source(std::move(source)), _progress(4), _cancelled(false) {}

void Installer::start() {
    _success = std::async(std::launch::async, [this] { return run(); });
}

bool Installer::done() const { return _success.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready; }

bool Installer::succeeded() { return _success.get(); }

void Installer::cancel() { _cancelled.store(true); }

bool Installer::cancelled() const { return _endedByCancel; }

std::string Installer::cause() const { return _cause; }

bool Installer::run() {
    _progress.setMessage("Creating settings folder");
    _progress.step();
    try {
        const std::filesystem::path target = _source.targetFolder();
        _progress.setMessage("Setting up target folder");
        _progress.step();
        // A relative path would install below whatever the working directory
        // happens to be.
        if (!target.is_absolute()) {
            _progress.setMessage("Failed to set up target folder");
            return false;
        }
        const InstallSeams seams{_source.beforeChange, [this] { return _cancelled.load(); }};
        // Whatever an earlier run left half done is put back first.
        if (const InstallReport recovered = recoverInterruptedInstall(target, _plugID, seams);
            recovered.outcome == InstallReport::failed) {
            return fail("Installation failed!", "Installation error: ", recovered.cause);
        }
        const auto madeFolders = makeTargetFolder(target, seams);
        _progress.setMessage("Unpacking plugin");
        _progress.step();
        const InstallReport report = installPayload(target, _plugID, _source.payload, madeFolders, seams);
        if (report.outcome == InstallReport::cancelled) {
            _endedByCancel = true;
            _progress.setMessage("Installation cancelled");
            return false;
        }
        if (report.outcome == InstallReport::failed)
            return fail("Failed to unpack plugin", "Failed to extract file: ", report.cause);
        return true;
    } catch (const std::filesystem::filesystem_error& e) {
        return fail("Installation failed!",
                    "Installation error: ", e.path1().string() + ": " + describeSystemError(e.code()));
    } catch (const std::exception& e) {
        std::printf("Installation error: %s\n", e.what());
        std::fflush(stdout);
    } catch (...) {}
    _progress.setMessage("Installation failed!");
    return false;
}

bool Installer::fail(std::string_view message, std::string_view consolePrefix, std::string cause) {
    std::printf("%.*s%s\n", static_cast<int>(consolePrefix.size()), consolePrefix.data(), cause.c_str());
    std::fflush(stdout);
    _cause = std::move(cause);
    _progress.setMessage(message);
    return false;
}
