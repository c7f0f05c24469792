// Windows: the old module held by a plug-in host while the installer runs, either opened without sharing, as a
// program that locks it, or mapped by LoadLibrary, as a host with the plug-in loaded. The sharing rules hold
// between handles, so this process can play the host.
#include <windows.h>

#include "harness.h"

using namespace installtest;

TEST_F(AllOrNothing, ALockedModuleFailsAndChangesNothingALoadedOneIsReplacedAndItsBackupSweptLater) {
    const Entry& entry = payload.entries[4];
    const fs::path module = target / entry.name;
    freshOldBundle();
    fs::permissions(module, fs::perms::all);
    fs::copy_file(PLUGIN_MODULE, module, fs::copy_options::overwrite_existing);
    const FolderState before = stateOf(target);
    const HANDLE lock = CreateFileW(module.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(install().cause, entry.name + ": in use by another program");
    CloseHandle(lock);  // until then even reading the module is refused
    EXPECT_EQ(stateOf(target), before);
    const HMODULE loaded = LoadLibraryW(module.c_str());
    ASSERT_NE(loaded, nullptr);
    const JobEnd replaced = install();
    EXPECT_TRUE(replaced.result) << replaced.cause;
    EXPECT_EQ(readFile(module), entry.data);
    // The old module's backup is still mapped and cannot be deleted yet; the next run sweeps it.
    FreeLibrary(loaded);
    EXPECT_TRUE(install().result);
    for (const auto& e : fs::directory_iterator(target))
        EXPECT_FALSE(e.path().filename().string().starts_with("." + kId + ".")) << e.path();
}
