// Windows: the old module held by a plug-in host while the installer runs, either opened without sharing, as a
// program that locks it, or mapped by LoadLibrary, as a host with the plug-in loaded. The sharing rules hold
// between handles, so this process can play the host.
#include <gtest/gtest.h>
#include <windows.h>

#include "folder_state.h"
#include "install.h"

using namespace ziptest;
using namespace installtest;

namespace {

const std::string kModule = "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3";

class ModuleInUse : public ::testing::Test {
protected:
    ModuleInUse() {
        writeOlderBundle(target, bundle());
        fs::permissions(target / kModule, fs::perms::all);
        fs::copy_file(PLUGIN_MODULE, target / kModule, fs::copy_options::overwrite_existing);
    }
    bool install() {
        Installer job("com.tarnwick.velliphon", {[this] { return target; }, payload});
        testing::internal::CaptureStdout();
        job.start();
        const bool installed = job.succeeded();
        testing::internal::GetCapturedStdout();
        cause = job.cause();
        return installed;
    }
    bool anyOfOurs() {
        for (const auto& e : fs::directory_iterator(target))
            if (e.path().filename().string().starts_with(".com.tarnwick.velliphon.")) return true;
        return false;
    }
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    const std::vector<unsigned char> payload = build(bundle());
    std::string cause;
};

}  // namespace

TEST_F(ModuleInUse, AModuleLockedByAnotherProgramFailsAndChangesNothing) {
    const FolderState before = stateOf(target);
    const HANDLE lock = CreateFileW((target / kModule).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(install());
    EXPECT_EQ(cause, kModule + ": in use by another program");
    CloseHandle(lock);  // until then even reading the module is refused
    EXPECT_EQ(stateOf(target), before);

    EXPECT_TRUE(install());
    EXPECT_EQ(readFile(target / kModule), bundle().entries[4].data);
    EXPECT_FALSE(anyOfOurs());
}

TEST_F(ModuleInUse, ALoadedModuleIsReplacedAndItsBackupSweptLater) {
    const HMODULE loaded = LoadLibraryW((target / kModule).c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(install()) << cause;
    EXPECT_EQ(readFile(target / kModule), bundle().entries[4].data);
    // The old module's backup is still mapped and cannot be deleted yet; the next run sweeps it.
    FreeLibrary(loaded);
    EXPECT_TRUE(install());
    EXPECT_FALSE(anyOfOurs());
}
