#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

// Where things live on this machine, and hand-offs to the desktop. Each
// platform implements these in a file of its own.
namespace os {

// The per-user folder for settings; empty when it cannot be found.
std::filesystem::path getUserSettingsPath();

// The folder that receives VST3 plug-ins. It may not exist yet. A lookup that
// fails yields a relative path, which the installation job refuses.
std::filesystem::path getVST3InstallPath();

// Ask the desktop to show a folder or open an address. Fire and forget: what
// the desktop makes of it is not reported.
void openDirectory(std::filesystem::path path);
void openURL(std::string_view url);

// Moves a file onto `to` in one step, replacing a file there. The error is
// the system's own code (errno, or GetLastError on Windows), so that a file
// held open by another program can be told from one we may not touch.
std::error_code renameFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Asks the system to delete a file that cannot be deleted now (a module
// loaded by a running program) at the next restart. False where the system
// cannot or will not.
bool removeAtRestart(const std::filesystem::path& path);

}  // namespace os
