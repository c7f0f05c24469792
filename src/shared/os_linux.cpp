// Install locations on Linux. Plug-in hosts scan ~/.vst3, /usr/lib/vst3 and
// /usr/local/lib/vst3; a per-machine install (as root) goes to the last, which
// belongs to locally installed software, a per-user one to the first.
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shared/os.h"

namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

// Runs `xdg-open target` in a grandchild that nobody waits for, so it neither
// blocks the caller nor lingers as a zombie; no shell sees the argument.
void startXdgOpen(const std::string& target) {
    char program[] = "xdg-open";
    std::string argument = target;
    char* argv[] = {program, argument.data(), nullptr};
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            execvp(program, argv);
            _exit(127);
        }
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

}  // namespace

namespace os {

std::filesystem::path getUserSettingsPath() {
    // Relative values are invalid by the base-directory convention.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') return config;
    const std::filesystem::path home = homeFolder();
    return home.empty() ? home : home / ".config";
}

std::filesystem::path getVST3InstallPath() {
    if (geteuid() == 0) return "/usr/local/lib/vst3";
    return homeFolder() / ".vst3";
}

void openDirectory(std::filesystem::path path) { startXdgOpen(path.string()); }

void openURL(std::string_view url) { startXdgOpen(std::string(url)); }

std::error_code renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return {};
    return std::error_code(errno, std::generic_category());
}

// A file in use can always be deleted here; nothing waits for a restart.
bool removeAtRestart(const std::filesystem::path&) { return false; }

}  // namespace os
