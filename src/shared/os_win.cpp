// Install locations on Windows, from the shell's known folders: plug-ins go
// to the per-machine "Common Files\VST3", settings to the roaming application
// data. The folder strings go into the paths as the shell gives them (UTF-16).
#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "shared/os.h"

namespace {

// The known folder, or an empty path when the shell does not answer S_OK.
std::filesystem::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    std::filesystem::path path;
    if (SHGetKnownFolderPath(id, 0, nullptr, &folder) == S_OK) path = folder;
    CoTaskMemFree(folder);
    return path;
}

}  // namespace

namespace os {

std::filesystem::path getUserSettingsPath() { return knownFolder(FOLDERID_RoamingAppData); }

std::filesystem::path getVST3InstallPath() { return knownFolder(FOLDERID_ProgramFilesCommon) / "VST3"; }

void openDirectory(std::filesystem::path path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

void openURL(std::string_view url) {
    const std::string target(url);
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

std::error_code renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

bool removeAtRestart(const std::filesystem::path& path) {
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

}  // namespace os
