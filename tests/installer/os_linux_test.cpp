// Install locations and desktop hand-offs on Linux.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <thread>

#include "shared/os.h"
#include "support/temp_dir.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* was = std::getenv(name)) old = was;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

}  // namespace

// The per-user plug-in folder, under the home of the user nobody, is where the end-to-end tests install.
TEST(OsLinux, PluginAndSettingsFolders) {
    for (const char* home : {"/home/someone", "", static_cast<const char*>(nullptr)}) {
        ScopedEnv setHome("HOME", home);
        const std::string base = home && *home ? home : getpwuid(geteuid())->pw_dir;
        for (const char* xdg : {"/elsewhere/config", "relative/config", "", static_cast<const char*>(nullptr)}) {
            ScopedEnv setXdg("XDG_CONFIG_HOME", xdg);
            EXPECT_EQ(os::getUserSettingsPath(), xdg && *xdg == '/' ? xdg : base + "/.config");
        }
        EXPECT_EQ(os::getVST3InstallPath(), geteuid() == 0 ? "/usr/local/lib/vst3" : base + "/.vst3");
    }
}

TEST(OsLinux, OpenHandsTheArgumentToXdgOpenUntouched) {
    TempDir bin;
    const std::string log = (bin / "log").string(), tricky = (bin / "a folder; $(touch pwned)").string();
    writeFile(bin / "xdg-open",
              "#!/bin/sh\nprintf '%s|' \"$#\" \"$1\" > '" + log + ".tmp'\n/bin/mv '" + log + ".tmp' '" + log + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    ScopedEnv path("PATH", bin.path().c_str());
    const auto handedOver = [&] {
        for (int i = 0; i < 3000 && !fs::exists(log); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string logged = readFile(log);
        return fs::remove(log), logged;
    };
    os::openDirectory(tricky);
    EXPECT_EQ(handedOver(), "1|" + tricky + "|");
    EXPECT_FALSE(fs::exists(bin / "pwned"));
    os::openURL("https://example.invalid/?a=1&b=2");
    EXPECT_EQ(handedOver(), "1|https://example.invalid/?a=1&b=2|");
    ScopedEnv nowhere("PATH", "/nonexistent");  // no xdg-open: returns quietly
    os::openURL("");
}
