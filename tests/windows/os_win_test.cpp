// Install locations from the shell's known folders, as Wine's shell answers.
#include <gtest/gtest.h>

#include "shared/os.h"

TEST(InstallLocations, PlugInsGoToCommonFilesVST3) {
    const std::filesystem::path vst3 = os::getVST3InstallPath();
    EXPECT_TRUE(vst3.is_absolute()) << vst3.string();
    EXPECT_EQ(vst3.filename(), "VST3");
    EXPECT_EQ(vst3.parent_path().filename(), "Common Files");
    EXPECT_TRUE(vst3.wstring().ends_with(L"Common Files\\VST3")) << vst3.string();
}

TEST(InstallLocations, SettingsLiveInTheRoamingApplicationData) {
    const std::filesystem::path settings = os::getUserSettingsPath();
    EXPECT_TRUE(settings.is_absolute()) << settings.string();
    EXPECT_TRUE(std::filesystem::is_directory(settings)) << settings.string();
}

TEST(InstallLocations, AnEmptyAddressIsHandedOverAndReturns) {
    os::openURL("");
    SUCCEED();
}
