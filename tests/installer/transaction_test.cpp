// All or nothing: whatever change fails and whenever Cancel comes, the folder ends as it was or, past the commit
// point, with the new bundle in place.
#include <cerrno>

#include "harness.h"

using namespace installtest;

TEST_F(AllOrNothing, AFailureOrCancelAtAnyChangeLeavesTheOldBundleExactly) {
    ASSERT_GT(changes, 20);
    for (const bool cancel : {false, true}) {
        int undone = 0;
        for (int at = 1; at <= changes; ++at) {
            SCOPED_TRACE((cancel ? "cancel at change " : "failing change ") + std::to_string(at));
            const FolderState before = freshOldBundle();
            int seen = 0;
            const JobEnd run = install([&](Installer& job) {
                if (++seen == at && cancel) job.cancel();
                return seen == at && !cancel ? std::make_error_code(std::errc::io_error) : std::error_code();
            });
            // Past the commit point a failed clean-up only leaves files for the next run to sweep.
            ASSERT_TRUE(!run.result || recoverInterruptedInstall(target, kId, {}).outcome == InstallReport::installed ||
                        cancel);
            undone += !run.result;
            EXPECT_EQ(run.cancelled, cancel && !run.result);
            EXPECT_TRUE(run.result ||
                        (cancel ? run.cause.empty() : run.cause.ends_with(": system error " + std::to_string(EIO))))
                << run.cause;
            EXPECT_EQ(stateOf(target), run.result ? installed : before);
        }
        // Only the last few changes (commit line, clean-up) come too late for Cancel.
        EXPECT_GT(undone, cancel ? changes - 8 : changes / 2);
    }
}

TEST_F(AllOrNothing, ARollbackThatCannotFinishDeletesNothingAndSaysWhere) {
    const FolderState before = freshOldBundle();
    // Once the first old file is moved aside, every change fails: the new file cannot go in, and the old one
    // cannot come back.
    const fs::path backup = target / ("." + kId + ".old-2");
    const JobEnd run = install([&](Installer&) {
        return fs::exists(backup) ? std::make_error_code(std::errc::permission_denied) : std::error_code();
    });
    EXPECT_FALSE(run.result);
    const std::string module = "Velliphon.vst3/Contents/moduleinfo.json";
    EXPECT_TRUE(run.cause.starts_with(module + ": access denied\n" + module + ": not restored (access denied); " +
                                      "its previous version is " + backup.string()))
        << run.cause;
    // The next run puts it back before anything else.
    EXPECT_EQ(recoverInterruptedInstall(target, kId, {}).outcome, InstallReport::installed);
    EXPECT_EQ(stateOf(target), before);
}

// A large entry is not one indivisible step: Cancel is looked at between its chunks and the rollback follows.
// Leftovers of a committed run are swept, another installer's are left alone.
TEST_F(AllOrNothing, CancelIsAskedBetweenTheChunksOfALargeEntryAndLeftoversAreSwept) {
    Archive large = bundle();
    large.entries[4].data.resize(8 << 20);
    for (std::size_t i = 0; i < large.entries[4].data.size(); ++i)
        large.entries[4].data[i] = static_cast<char>(i * 7919 >> 5);
    const auto largeBytes = build(large);
    const FolderState before = freshOldBundle();
    int asked = 0;
    ASSERT_EQ(installPayload(target, "id", largeBytes, {}, {{}, [&] { return ++asked, false; }}).outcome,
              InstallReport::installed);
    EXPECT_GT(asked, 7 + 16);  // an entry's worth of checks, plus at least one per 512 KB of the module
    freshOldBundle();
    int left = asked / 2;  // well inside the module
    EXPECT_EQ(installPayload(target, "id", largeBytes, {}, {{}, [&] { return --left < 0; }}).outcome,
              InstallReport::cancelled);
    EXPECT_EQ(stateOf(target), before);
    writeFile(target / ("." + kId + ".old-4"), "a module that was loaded");
    writeFile(target / ".com.example.other.old-4", "another installer's");
    ASSERT_TRUE(install().result);
    EXPECT_FALSE(fs::exists(target / ("." + kId + ".old-4")));
    EXPECT_TRUE(fs::exists(target / ".com.example.other.old-4"));
}
