// All or nothing: whatever step fails and whenever Cancel comes, the folder
// ends as it was or, past the commit point, with the new bundle in place.
#include <gtest/gtest.h>

#include <atomic>

#include "folder_state.h"
#include "install.h"
#include "install_transaction.h"

using namespace ziptest;
using namespace installtest;
namespace fs = std::filesystem;

namespace {

struct JobEnd {
    bool result;
    bool cancelled;
    std::string cause;
};

// Runs the job into `target`; `hook` sees every change before it happens.
JobEnd install(const fs::path& target, const std::vector<unsigned char>& payload,
            std::function<std::error_code(Installer&)> hook = {}) {
    std::unique_ptr<Installer> installer;
    installer = std::make_unique<Installer>(
        "com.tarnwick.velliphon",
        InstallSource{[target] { return target; }, payload,
                      [&]() { return hook ? hook(*installer) : std::error_code(); }});
    testing::internal::CaptureStdout();
    installer->start();
    const bool result = installer->succeeded();
    testing::internal::GetCapturedStdout();
    return {result, installer->cancelled(), installer->cause()};
}

class AllOrNothing : public ::testing::Test {
protected:
    AllOrNothing() {
        // The new bundle brings a file and a folder the old one lacks.
        payload.entries.push_back(folder("Velliphon.vst3/Contents/Resources/"));
        payload.entries.push_back(file("Velliphon.vst3/Contents/Resources/new-only.txt", "new"));
        bytes = build(payload);
        // The state a complete install leaves over the older bundle.
        TempDir scratch;
        writeOlderBundle(scratch / "VST3", bundle());
        const JobEnd first = install(scratch / "VST3", bytes);
        EXPECT_TRUE(first.result) << first.cause;
        installed = stateOf(scratch / "VST3");
    }

    // A fresh older bundle for each attempt; returns its state.
    FolderState freshOldBundle() {
        removeTree(target);
        writeOlderBundle(target, bundle());
        return stateOf(target);
    }

    // How many changes a complete install makes over the older bundle.
    int countChanges() {
        freshOldBundle();
        int changes = 0;
        EXPECT_TRUE(install(target, bytes, [&](Installer&) {
                        ++changes;
                        return std::error_code();
                    }).result);
        return changes;
    }

    TempDir tmp;
    const fs::path target = tmp / "VST3";
    Archive payload = bundle();
    std::vector<unsigned char> bytes;
    FolderState installed;
};

}  // namespace

TEST_F(AllOrNothing, AFailureAtAnyStepLeavesTheOldBundleExactly) {
    const int changes = countChanges();
    ASSERT_GT(changes, 20);
    int failures = 0;
    for (int failAt = 1; failAt <= changes; ++failAt) {
        SCOPED_TRACE("failing change " + std::to_string(failAt));
        const FolderState before = freshOldBundle();
        int seen = 0;
        const JobEnd run = install(target, bytes, [&](Installer&) {
            return ++seen == failAt ? std::make_error_code(std::errc::io_error) : std::error_code();
        });
        if (run.result) {
            // Past the commit point a failed clean-up only leaves files for
            // the next run to sweep.
            ASSERT_EQ(recoverInterruptedInstall(target, "com.tarnwick.velliphon", {}).outcome, InstallReport::installed);
            EXPECT_EQ(stateOf(target), installed);
            continue;
        }
        ++failures;
        EXPECT_FALSE(run.cancelled);
        EXPECT_TRUE(run.cause.ends_with(": system error " + std::to_string(EIO))) << run.cause;
        EXPECT_EQ(stateOf(target), before);
    }
    EXPECT_GT(failures, changes / 2);
}

TEST_F(AllOrNothing, CancelAtAnyStepBeforeTheCommitLeavesTheOldBundle) {
    const int changes = countChanges();
    int cancelledRuns = 0;
    for (int cancelAt = 1; cancelAt <= changes; ++cancelAt) {
        SCOPED_TRACE("cancel at change " + std::to_string(cancelAt));
        const FolderState before = freshOldBundle();
        int seen = 0;
        const JobEnd run = install(target, bytes, [&](Installer& job) {
            if (++seen == cancelAt) job.cancel();
            return std::error_code();
        });
        if (run.result) {
            EXPECT_FALSE(run.cancelled);
            EXPECT_EQ(stateOf(target), installed);
            continue;
        }
        ++cancelledRuns;
        EXPECT_TRUE(run.cancelled);
        EXPECT_EQ(run.cause, "");
        EXPECT_EQ(stateOf(target), before);
    }
    // Only the last few changes (commit line, clean-up) come too late.
    EXPECT_GT(cancelledRuns, changes - 8);
}

TEST_F(AllOrNothing, ARollbackThatCannotFinishDeletesNothingAndSaysWhere) {
    const FolderState before = freshOldBundle();
    const auto backupPresent = [&] {
        for (const auto& e : fs::directory_iterator(target))
            if (e.path().filename().string().starts_with(".com.tarnwick.velliphon.old-")) return true;
        return false;
    };
    // Once the first old file is moved aside, every change fails: the new
    // file cannot go in, and the old one cannot come back.
    const JobEnd run = install(target, bytes, [&](Installer&) {
        return backupPresent() ? std::make_error_code(std::errc::permission_denied) : std::error_code();
    });
    EXPECT_FALSE(run.result);
    const std::string module = "Velliphon.vst3/Contents/moduleinfo.json";
    EXPECT_TRUE(run.cause.starts_with(module + ": access denied\n" + module + ": not restored (access denied); "
                                      "its previous version is " + (target / ".com.tarnwick.velliphon.old-2").string()))
        << run.cause;
    EXPECT_TRUE(backupPresent());

    // The next run puts it back before anything else.
    EXPECT_EQ(recoverInterruptedInstall(target, "com.tarnwick.velliphon", {}).outcome, InstallReport::installed);
    EXPECT_EQ(stateOf(target), before);
}

// A large entry is not one indivisible step: Cancel is looked at between its
// chunks and the rollback follows at once.
TEST_F(AllOrNothing, CancelIsAskedBetweenTheChunksOfALargeEntry) {
    Archive large = bundle();
    std::string module(8 << 20, '\0');
    for (std::size_t i = 0; i < module.size(); ++i) module[i] = static_cast<char>(i * 7919 >> 5);
    large.entries[4].data = module;
    const auto largeBytes = build(large);
    const FolderState before = freshOldBundle();

    int asked = 0;
    InstallSeams counting{{}, [&] { return ++asked, false; }};
    ASSERT_EQ(installPayload(target, "id", largeBytes, {}, counting).outcome, InstallReport::installed);
    EXPECT_GT(asked, 7 + 16);  // an entry's worth of checks, plus at least one per 512 KB of the module

    freshOldBundle();
    int left = asked / 2;  // well inside the module
    InstallSeams cancelling{{}, [&] { return --left < 0; }};
    EXPECT_EQ(installPayload(target, "id", largeBytes, {}, cancelling).outcome, InstallReport::cancelled);
    EXPECT_EQ(stateOf(target), before);
}

TEST_F(AllOrNothing, ACommittedRunsLeftoversAreSweptNotRestored) {
    freshOldBundle();
    const fs::path leftover = target / ".com.tarnwick.velliphon.old-4";
    writeFile(leftover, "a module that was loaded");
    const fs::path othersBackup = target / ".com.example.other.old-4";
    writeFile(othersBackup, "another installer's");
    ASSERT_TRUE(install(target, bytes).result);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::exists(othersBackup));
}
