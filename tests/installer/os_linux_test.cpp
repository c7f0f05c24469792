// Install locations and desktop hand-offs on Linux.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <thread>

#include "shared/os.h"
#include "support/temp_dir.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

// Sets or clears an environment variable for one scope.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* was = std::getenv(name)) old = was;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

// The plug-in folder as the unprivileged user "nobody" sees it, asked in a child process that drops root first.
std::string vst3PathAsNobody(const char* home) {
    const passwd* nobody = getpwnam("nobody");
    int fds[2];
    if (!nobody || pipe(fds) != 0) return "<no user nobody or no pipe>";
    if (fork() == 0) {
        home ? setenv("HOME", home, 1) : unsetenv("HOME");
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(1);
        const std::string path = os::getVST3InstallPath().string();
        _exit(write(fds[1], path.data(), path.size()) < 0);
    }
    close(fds[1]);
    std::string result(4096, '\0');
    result.resize(std::max<ssize_t>(0, read(fds[0], result.data(), result.size())));
    close(fds[0]);
    wait(nullptr);
    return result;
}

}  // namespace

TEST(OsLinux, PluginAndSettingsFolders) {
    ScopedEnv home("HOME", "/home/someone");
    for (const char* config : {"/elsewhere/config", "relative/config", "", static_cast<const char*>(nullptr)}) {
        ScopedEnv set("XDG_CONFIG_HOME", config);
        EXPECT_EQ(os::getUserSettingsPath(), config && *config == '/' ? config : "/home/someone/.config");
    }

    if (geteuid() != 0) GTEST_SKIP() << "the per-machine folder needs root";
    EXPECT_EQ(os::getVST3InstallPath(), "/usr/local/lib/vst3");
    EXPECT_EQ(vst3PathAsNobody("/home/someone"), "/home/someone/.vst3");
    EXPECT_EQ(vst3PathAsNobody(nullptr), std::string(getpwnam("nobody")->pw_dir) + "/.vst3");
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
