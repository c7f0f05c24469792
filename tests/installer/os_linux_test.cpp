// Install locations and desktop hand-offs on Linux.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "shared/os.h"
#include "support/temp_dir.h"

using namespace ziptest;

namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : _name(name) {
        if (const char* old = std::getenv(name)) _old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { _old ? setenv(_name, _old->c_str(), 1) : unsetenv(_name); }

private:
    const char* _name;
    std::optional<std::string> _old;
};

// The plug-in folder as the unprivileged user "nobody" sees it, asked in a
// child process that drops root first.
std::string vst3PathAsNobody(const char* home) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) return "<no user nobody>";
    int fds[2];
    if (pipe(fds) != 0) return "<no pipe>";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        home ? setenv("HOME", home, 1) : unsetenv("HOME");
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(1);
        const std::string path = os::getVST3InstallPath().string();
        (void)!write(fds[1], path.data(), path.size());
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) result.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return result;
}

}  // namespace

TEST(OsLinux, PluginFolderIsPerMachineForRootAndPerUserOtherwise) {
    if (geteuid() != 0) {
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(os::getVST3InstallPath(), "/home/someone/.vst3");
        GTEST_SKIP() << "the per-machine folder needs root";
    }
    EXPECT_EQ(os::getVST3InstallPath(), "/usr/local/lib/vst3");
    EXPECT_EQ(vst3PathAsNobody("/home/someone"), "/home/someone/.vst3");
    EXPECT_EQ(vst3PathAsNobody(nullptr), std::string(getpwnam("nobody")->pw_dir) + "/.vst3");
}

TEST(OsLinux, SettingsFolderFollowsXdgConfigHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/config");
        EXPECT_EQ(os::getUserSettingsPath(), "/elsewhere/config");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(os::getUserSettingsPath(), "/home/someone/.config");
    }
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(os::getUserSettingsPath(), "/home/someone/.config");
}

TEST(OsLinux, OpenHandsTheArgumentToXdgOpenUntouched) {
    TempDir bin;
    const std::string log = (bin / "log").string();
    writeFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s|' \"$#\" \"$1\" > '" + log + ".tmp'\n/bin/mv '" + log + ".tmp' '" + log + "'\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    ScopedEnv path("PATH", bin.path().c_str());
    const std::string tricky = (bin / "a folder; $(touch pwned)").string();

    os::openDirectory(tricky);
    for (int i = 0; i < 500 && !std::filesystem::exists(log); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(log), "1|" + tricky + "|");
    EXPECT_FALSE(std::filesystem::exists(bin / "pwned"));

    std::filesystem::remove(log);
    os::openURL("https://example.invalid/?a=1&b=2");
    for (int i = 0; i < 500 && !std::filesystem::exists(log); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(log), "1|https://example.invalid/?a=1&b=2|");
}

TEST(OsLinux, OpenWithoutXdgOpenReturnsQuietly) {
    TempDir empty;
    ScopedEnv path("PATH", empty.path().c_str());
    os::openURL("");
    os::openDirectory(empty.path());
    SUCCEED();
}
