// Windows: the old module held by another program while the installer runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "folder_state.h"
#include "install.h"

using namespace ziptest;
using namespace installtest;
namespace fs = std::filesystem;

namespace {

const std::string kModule = "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3";

// The helper holding `file` one way or the other until released.
class Host {
public:
    Host(const wchar_t* mode, const fs::path& file, const fs::path& marker) : _marker(marker) {
        std::wstring command = L"\"" + fs::path(MODULE_HOLDER).wstring() + L"\" " + mode + L" \"" + file.wstring() +
                               L"\" \"" + marker.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &_process))
            throw std::runtime_error("cannot start the module holder");
        CloseHandle(_process.hThread);
        const fs::path ready = marker.wstring() + L".ready";
        while (!fs::exists(ready)) {
            DWORD code = 0;
            if (GetExitCodeProcess(_process.hProcess, &code) && code != STILL_ACTIVE)
                throw std::runtime_error("the module holder gave up: " + std::to_string(code));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Host() { release(); }

    void release() {
        if (!_process.hProcess) return;
        writeFile(_marker.wstring() + L".release", "");
        WaitForSingleObject(_process.hProcess, INFINITE);
        CloseHandle(_process.hProcess);
        _process.hProcess = nullptr;
    }

private:
    fs::path _marker;
    PROCESS_INFORMATION _process{};
};

struct Result {
    bool installed;
    std::string cause;
};

Result install(const fs::path& target, const std::vector<unsigned char>& payload) {
    Installer installer("com.tarnwick.velliphon", {[target] { return target; }, payload});
    testing::internal::CaptureStdout();
    installer.start();
    const bool installed = installer.succeeded();
    testing::internal::GetCapturedStdout();
    return {installed, installer.cause()};
}

bool anyOfOurs(const fs::path& target) {
    for (const auto& e : fs::directory_iterator(target))
        if (e.path().filename().string().starts_with(".com.tarnwick.velliphon.")) return true;
    return false;
}

class ModuleInUse : public ::testing::Test {
protected:
    ModuleInUse() {
        writeOlderBundle(target, bundle());
        fs::permissions(target / kModule, fs::perms::all);
        fs::copy_file(PLUGIN_MODULE, target / kModule, fs::copy_options::overwrite_existing);
    }
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    const std::vector<unsigned char> payload = build(bundle());
};

}  // namespace

TEST_F(ModuleInUse, AModuleLockedByAnotherProgramFailsAndChangesNothing) {
    const FolderState before = stateOf(target);
    Host host(L"hold", target / kModule, tmp / "host");
    const Result locked = install(target, payload);
    EXPECT_FALSE(locked.installed);
    EXPECT_EQ(locked.cause, kModule + ": in use by another program");
    host.release();  // until then even reading the module is refused
    EXPECT_EQ(stateOf(target), before);

    EXPECT_TRUE(install(target, payload).installed);
    EXPECT_EQ(readFile(target / kModule), bundle().entries[4].data);
    EXPECT_FALSE(anyOfOurs(target));
}

TEST_F(ModuleInUse, ALoadedModuleIsReplacedAndItsBackupSweptLater) {
    Host host(L"load", target / kModule, tmp / "host");
    const Result loaded = install(target, payload);
    EXPECT_TRUE(loaded.installed) << loaded.cause;
    EXPECT_EQ(readFile(target / kModule), bundle().entries[4].data);

    // The old module's backup is still mapped and cannot be deleted yet; the
    // next run sweeps it.
    host.release();
    EXPECT_TRUE(install(target, payload).installed);
    EXPECT_FALSE(anyOfOurs(target));
}
