#include "install.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "shared/assets.h"
#include "shared/os.h"
#include "shared/zip.h"

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

std::string_view Progress::message() const {
    return texts[_state.load() >> 32];
}

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

std::span<const unsigned char> embeddedPayload() {
    return assets::raw(EMBEDDED_ASSET(installer_zip));
}

InstallSource InstallSource::product() {
    return {os::getVST3InstallPath, embeddedPayload()};
}

Installer::Installer(std::string_view plugID) : Installer(plugID, InstallSource::product()) {}

Installer::Installer(std::string_view plugID, InstallSource source)
    : _plugID(plugID), _source(std::move(source)), _progress(4), _cancelled(false) {}

void Installer::start() {
    _success = std::async(std::launch::async, [this] { return run(); });
}

bool Installer::done() const {
    return _success.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready;
}

bool Installer::succeeded() {
    return _success.get();
}

void Installer::cancel() {
    _cancelled.store(true);
}

bool Installer::cancelled() const {
    return _endedByCancel;
}

std::string Installer::cause() const {
    return _cause;
}

bool Installer::run() {
    _progress.setMessage("Creating settings folder");
    _progress.step();
    try {
        const std::filesystem::path target = _source.targetFolder();
        _progress.setMessage("Setting up target folder");
        _progress.step();
        if (!setupTargetFolder(target)) {
            _progress.setMessage("Failed to set up target folder");
            return false;
        }
        _progress.setMessage("Unpacking plugin");
        _progress.step();
        if (!unpackPlugin(target, _source.payload, [this] { return _cancelled.load(); })) {
            _endedByCancel = _cancelled.load();
            _progress.setMessage(_endedByCancel ? "Installation cancelled" : "Failed to unpack plugin");
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        std::printf("Installation error: %s\n", e.what());
        std::fflush(stdout);
    } catch (...) {
    }
    _progress.setMessage("Installation failed!");
    return false;
}

bool setupTargetFolder(const std::filesystem::path& target) {
    if (!target.is_absolute()) return false;
    return std::filesystem::is_directory(target) || std::filesystem::create_directories(target);
}

bool unpackPlugin(const std::filesystem::path& target, std::span<const unsigned char> payload,
                  const std::function<bool()>& stop) {
    try {
        return extractArchiveDataToFolder(payload, target, stop);
    } catch (const std::exception& e) {
        std::printf("Failed to extract file: %s\n", e.what());
        std::fflush(stdout);
    } catch (...) {
    }
    return false;
}
