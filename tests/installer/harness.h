// The job run to its end into temporary folders, and a folder's state down to bytes, permission bits and times.
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

struct Item {  // a folder, its name ending in '/', has no bytes and no time: a rollback need not keep folder times
    std::string bytes;
    fs::perms mode;
    fs::file_time_type modified;
    bool operator==(const Item&) const = default;
};
using FolderState = std::map<std::string, Item>;

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
    const auto& p = job->progress();  // braces evaluate in order: the job has ended before the console is read
    return {job->succeeded(), job->cancelled(), job->cause(), testing::internal::GetCapturedStdout(),
            p.message(),      p.progress()};
}

// An older bundle where the payload goes, after removing whatever is there: other bytes and times, a file the
// payload lacks, and a read-only module (Windows will not delete read-only files, hence the removal's care).
inline void writeOlderBundle(const fs::path& target, const Archive& payload) {
    static const fs::file_time_type oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    if (fs::exists(target))
        for (const auto& e : fs::recursive_directory_iterator(target))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(target);
    std::vector<Entry> old = payload.entries;
    for (Entry& e : old) e.data = "old " + e.name;
    old.push_back(file(old.front().name + "old-only.txt", "only in the old bundle"));
    for (const Entry& e : old) {
        fs::create_directories((target / e.name).parent_path());
        if (e.name.back() == '/') continue;
        writeFile(target / e.name, e.data);
        fs::last_write_time(target / e.name, oldTime);
        if (e.name.ends_with(".vst3") || e.name.ends_with("old-only.txt"))
            fs::permissions(target / e.name, fs::perms::owner_read | fs::perms::group_read);
    }
}

// A complete install over the older bundle replaces its files, read-only module included, adds the file and folder
// it lacks, and keeps the one the payload lacks.
class AllOrNothing : public ::testing::Test {
protected:
    AllOrNothing() {
        payload.entries.push_back(folder("Velliphon.vst3/Contents/Resources/"));
        payload.entries.push_back(file("Velliphon.vst3/Contents/Resources/new-only.txt", "new"));
        bytes = build(payload);
        writeOlderBundle(target, bundle());
        EXPECT_TRUE(install([&](Installer&) { return ++changes, std::error_code(); }).result);
        installed = stateOf(target);
        for (const Entry& e : payload.entries) EXPECT_EQ(installed.at(e.name).bytes, e.data) << e.name;
        EXPECT_EQ(installed.at("Velliphon.vst3/old-only.txt").bytes, "only in the old bundle");
    }
    JobEnd install(std::function<std::error_code(Installer&)> hook = {}) {
        return runJob([this] { return target; }, bytes, hook);
    }
    FolderState freshOldBundle() { return writeOlderBundle(target, bundle()), stateOf(target); }
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    Archive payload = bundle();
    std::vector<unsigned char> bytes;
    int changes = 0;
    FolderState installed;
};

}  // namespace installtest
