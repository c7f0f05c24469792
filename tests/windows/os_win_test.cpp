// Install locations from the shell's known folders, as Wine's shell answers.
#include <gtest/gtest.h>

#include "shared/os.h"

TEST(InstallLocations, PlugInsGoToCommonFilesVST3AndSettingsToAnExistingFolder) {
    const std::filesystem::path vst3 = os::getVST3InstallPath(), settings = os::getUserSettingsPath();
    EXPECT_TRUE(vst3.is_absolute() && vst3.wstring().ends_with(L"\\Common Files\\VST3")) << vst3.string();
    EXPECT_TRUE(settings.is_absolute() && std::filesystem::is_directory(settings)) << settings.string();
    os::openURL("");  // handed over and returns
}
