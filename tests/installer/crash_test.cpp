// A real installing process killed with SIGKILL at many points: once the next run has resolved what it left, the
// folder holds the old bundle or the new one, never a mix, and nothing of ours.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "harness.h"

using namespace installtest;

TEST_F(AllOrNothing, AKilledInstallIsUndoneByTheNextRun) {
    // Installs in a child that kills itself before its `killAt`th change (0: never); its exit status, -1 if killed.
    const auto installKilledAt = [&](long killAt) {
        long seen = 0;
        const pid_t child = fork();
        if (child == 0) {
            const JobEnd end = install([&](Installer&) {
                if (++seen == killAt) std::raise(SIGKILL);
                return std::error_code();
            });
            _exit(end.result ? 0 : 1);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? -1 : WEXITSTATUS(status);
    };
    const FolderState oldState = freshOldBundle();
    int oldSeen = 0, newSeen = 0;
    bool inspect = false;
    for (long killAt = 1; killAt <= changes; ++killAt) {
        SCOPED_TRACE("killed before change " + std::to_string(killAt));
        freshOldBundle();
        ASSERT_EQ(installKilledAt(killAt), -1);
        // Every other time the next run finds the folder as the kill left it.
        if ((inspect = !inspect)) {
            ASSERT_EQ(recoverInterruptedInstall(target, kId, {}).outcome, InstallReport::installed);
            const FolderState recovered = stateOf(target);
            ASSERT_TRUE(recovered == oldState || recovered == installed);
            (recovered == oldState ? oldSeen : newSeen)++;
        }
        ASSERT_EQ(installKilledAt(0), 0);
        EXPECT_EQ(stateOf(target), installed);
    }
    EXPECT_GT(oldSeen, 4);
    EXPECT_GT(newSeen, 0);
}
