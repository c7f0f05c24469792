// The job run to its end into temporary folders, and what a folder holds down to the bytes, permission bits and
// modification times of its files, so that "as it was" can be compared exactly.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "install.h"
#include "install_transaction.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

namespace installtest {

using namespace ziptest;
namespace fs = std::filesystem;

inline const std::string kId = "com.tarnwick.velliphon";

struct Item {
    std::string bytes;  // empty for a folder
    fs::perms mode = fs::perms::none;
    fs::file_time_type modified{};  // none for a folder: a rollback need not keep folder times
    bool operator==(const Item&) const = default;
};

using FolderState = std::map<std::string, Item>;  // folders end in '/'

inline FolderState stateOf(const fs::path& root) {
    FolderState state;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const bool folder = e.is_directory();
        state[fs::relative(e.path(), root).generic_string() + (folder ? "/" : "")] = {
            folder ? "" : readFile(e.path()), e.symlink_status().permissions(),
            folder ? fs::file_time_type{} : fs::last_write_time(e.path())};
    }
    return state;
}

struct JobEnd {
    bool result, cancelled;
    std::string cause, console;
    std::string_view message;
    float progress;
};

// Runs the job; `hook` sees every change before it happens, with the job to cancel, and may fail it.
inline JobEnd runJob(std::function<fs::path()> target, std::span<const unsigned char> payload,
                     std::function<std::error_code(Installer&)> hook = {}) {
    std::unique_ptr<Installer> job;
    job = std::make_unique<Installer>(
        kId, InstallSource{target, payload, [&] { return hook ? hook(*job) : std::error_code(); }});
    testing::internal::CaptureStdout();
    job->start();
    const bool result = job->succeeded();
    return {result,
            job->cancelled(),
            job->cause(),
            testing::internal::GetCapturedStdout(),
            job->progress().message(),
            job->progress().progress()};
}

// An older bundle where the payload goes, after removing whatever is there: other bytes and times, a file the
// payload lacks, and a read-only module (Windows will not delete read-only files, hence the removal's care).
inline void writeOlderBundle(const fs::path& target, const Archive& payload) {
    static const fs::file_time_type oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    if (fs::exists(target))
        for (const auto& e : fs::recursive_directory_iterator(target))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(target);
    fs::create_directories(target);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
    for (const Entry& e : payload.entries) {
        if (e.name.back() == '/') {
            fs::create_directories(target / e.name);
            continue;
        }
        writeFile(target / e.name, "old " + e.name);
        fs::last_write_time(target / e.name, oldTime);
        if (e.name.ends_with(".vst3")) fs::permissions(target / e.name, readOnly);
    }
    const fs::path oldOnly = target / payload.entries.front().name / "old-only.txt";
    writeFile(oldOnly, "only in the old bundle");
    fs::last_write_time(oldOnly, oldTime);
    fs::permissions(oldOnly, readOnly);
}

}  // namespace installtest
