#pragma once

#include <filesystem>
#include <string_view>

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

}  // namespace os
