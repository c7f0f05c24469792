// A real installing process killed with SIGKILL at many points: once the next run has resolved what it left, the
// folder holds the old bundle or the new one, never a mix, and nothing of ours.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <set>

#include "harness.h"

using namespace installtest;

namespace {

// Every folder of the new bundle but the last is in the old one.
Archive bundleOf(int folders) {
    Archive a{{folder("Velliphon.vst3/")}};
    for (int d = 0; d < folders; ++d) {
        const std::string part = "Velliphon.vst3/part" + std::to_string(d) + "/";
        a.entries.push_back(folder(part));
        for (int f = 0; f < 25; ++f)
            a.entries.push_back(
                file(part + std::to_string(f), std::to_string(d * 1000 + f) + std::string(f * 37, 'n')));
    }
    return a;
}

// Installs in a child process that kills itself just before its `killAt`th change (0: never); returns the exit
// status, or -1 once killed.
int installKilledAt(const fs::path& target, const std::vector<unsigned char>& payload, long killAt) {
    const pid_t child = fork();
    if (child == 0) {
        long changes = 0;
        Installer job(kId, {[&] { return target; }, payload,
                            [&] {
                                if (++changes == killAt) std::raise(SIGKILL);
                                return std::error_code();
                            }});
        job.start();
        _exit(job.succeeded() ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? -1 : WEXITSTATUS(status);
}

}  // namespace

TEST(CrashSafety, AKilledInstallIsUndoneByTheNextRun) {
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    const std::vector<unsigned char> bytes = build(bundleOf(8));
    writeOlderBundle(target, bundleOf(7));
    const FolderState oldState = stateOf(target);
    long total = 0;
    ASSERT_TRUE(runJob([&] { return target; }, bytes, [&](Installer&) { return ++total, std::error_code(); }).result);
    const FolderState newState = stateOf(target);
    ASSERT_GT(total, 8 * 25 * 2);
    std::set<long> killPoints = {1, 2, total - 1, total};
    for (long k = 1; k < 12; ++k) killPoints.insert(k * total / 12);
    int oldSeen = 0, newSeen = 0;
    bool inspect = false;
    for (const long killAt : killPoints) {
        SCOPED_TRACE("killed before change " + std::to_string(killAt));
        writeOlderBundle(target, bundleOf(7));
        ASSERT_EQ(installKilledAt(target, bytes, killAt), -1);
        // Every other time the next run finds the folder as the kill left it.
        if ((inspect = !inspect)) {
            ASSERT_EQ(recoverInterruptedInstall(target, kId, {}).outcome, InstallReport::installed);
            const FolderState recovered = stateOf(target);
            ASSERT_TRUE(recovered == oldState || recovered == newState);
            (recovered == oldState ? oldSeen : newSeen)++;
        }
        ASSERT_EQ(installKilledAt(target, bytes, 0), 0);
        EXPECT_EQ(stateOf(target), newState);
    }
    EXPECT_GT(oldSeen, 4);
    EXPECT_GT(newSeen, 0);
}
