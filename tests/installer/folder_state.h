// What a folder holds, down to the bytes, permission bits and modification
// times of its files, so that "as it was" can be compared exactly. Folder
// times are left out: a rollback need not keep them.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "support/temp_dir.h"
#include "support/zip_builder.h"

namespace installtest {

struct Item {
    std::string bytes;  // empty for a folder
    std::filesystem::perms mode = std::filesystem::perms::none;
    std::filesystem::file_time_type modified{};
    bool folder = false;
    bool operator==(const Item&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Item& item) {
    return out << (item.folder ? "folder" : "file") << " mode " << std::oct << static_cast<int>(item.mode) << std::dec
               << " " << item.bytes.size() << " bytes at " << item.modified.time_since_epoch().count();
}

using FolderState = std::map<std::string, Item>;

inline FolderState stateOf(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    FolderState state;
    if (!fs::exists(root)) return state;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        Item item;
        item.folder = e.is_directory();
        item.mode = e.symlink_status().permissions();
        if (!item.folder) {
            item.bytes = ziptest::readFile(e.path());
            item.modified = fs::last_write_time(e.path());
        }
        state[fs::relative(e.path(), root).generic_string()] = item;
    }
    return state;
}

// Windows will not delete read-only files.
inline void removeTree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    if (!fs::exists(root)) return;
    for (const auto& e : fs::recursive_directory_iterator(root))
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(root);
}

// An older bundle where the payload goes: other bytes and times, a file the
// payload lacks, and a read-only module.
inline void writeOlderBundle(const std::filesystem::path& target, const ziptest::Archive& payload) {
    namespace fs = std::filesystem;
    static const fs::file_time_type oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::create_directories(target);
    for (const ziptest::Entry& e : payload.entries) {
        const fs::path path = target / e.name;
        if (e.name.back() == '/') {
            fs::create_directories(path);
            continue;
        }
        ziptest::writeFile(path, "old " + e.name);
        fs::last_write_time(path, oldTime);
    }
    const fs::path bundle = target / payload.entries.front().name;
    ziptest::writeFile(bundle / "old-only.txt", "only in the old bundle");
    fs::last_write_time(bundle / "old-only.txt", oldTime);
    fs::permissions(bundle / "old-only.txt", fs::perms::owner_read | fs::perms::group_read);
    for (const ziptest::Entry& e : payload.entries)
        if (e.name.ends_with(".vst3") && e.name.back() != '/' && e.name.find("/Contents/") != std::string::npos)
            fs::permissions(target / e.name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

}  // namespace installtest
