// A real installing process killed with SIGKILL at many points: once the next
// run has resolved what it left, the folder holds the old bundle or the new
// one, never a mix, and nothing of ours.
#include <gtest/gtest.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>

#include <fstream>
#include <set>

#include "folder_state.h"
#include "install.h"
#include "install_transaction.h"

extern char** environ;

using namespace ziptest;
using namespace installtest;
namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 8;
constexpr int kFilesPerFolder = 25;

std::string fileName(int folder, int file) {
    return "Velliphon.vst3/part" + std::to_string(folder) + "/file" + std::to_string(file) + ".bin";
}

Archive newBundle() {
    Archive a{{folder("Velliphon.vst3/")}};
    for (int d = 0; d < kFolders; ++d) {
        a.entries.push_back(folder("Velliphon.vst3/part" + std::to_string(d) + "/"));
        for (int f = 0; f < kFilesPerFolder; ++f)
            a.entries.push_back(file(fileName(d, f), "new " + std::to_string(d * 1000 + f) + std::string(f * 37, 'n')));
    }
    return a;
}

// The old bundle has every file but the last folder's, other bytes, and one
// file the new bundle lacks.
void writeOldBundle(const fs::path& target) {
    static const fs::file_time_type oldTime = fs::file_time_type::clock::now() - std::chrono::hours(9000);
    removeTree(target);
    for (int d = 0; d + 1 < kFolders; ++d) {
        fs::create_directories(target / ("Velliphon.vst3/part" + std::to_string(d)));
        for (int f = 0; f < kFilesPerFolder; ++f) {
            writeFile(target / fileName(d, f), "old " + std::to_string(f));
            fs::last_write_time(target / fileName(d, f), oldTime);
        }
    }
    writeFile(target / "Velliphon.vst3/old-only.txt", "old");
    fs::last_write_time(target / "Velliphon.vst3/old-only.txt", oldTime);
}

// Runs the helper; returns its wait status.
int runHelper(const fs::path& target, const fs::path& payload, long killAt) {
    const std::string helper = CRASH_HELPER, folder = target.string(), zip = payload.string(),
                      kill = std::to_string(killAt);
    char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(folder.c_str()),
                    const_cast<char*>(zip.c_str()), const_cast<char*>(kill.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return status;
}

}  // namespace

TEST(CrashSafety, AKilledInstallIsUndoneByTheNextRun) {
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    const fs::path payload = tmp / "payload.zip";
    const std::vector<unsigned char> bytes = build(newBundle());
    std::ofstream(payload, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));

    writeOldBundle(target);
    const FolderState oldState = stateOf(target);
    ASSERT_EQ(runHelper(target, payload, 0), 0);
    const FolderState newState = stateOf(target);
    ASSERT_NE(newState, oldState);

    // How many changes a whole install makes, counted in this process.
    writeOldBundle(target);
    long total = 0;
    Installer counting("com.tarnwick.velliphon", {[&] { return target; }, bytes, [&] {
                                                      ++total;
                                                      return std::error_code();
                                                  }});
    counting.start();
    ASSERT_TRUE(counting.succeeded());
    ASSERT_GT(total, kFolders * kFilesPerFolder * 2);
    std::set<long> killPoints = {1, 2, total - 1, total};
    for (long k = 1; k < 12; ++k) killPoints.insert(k * total / 12);

    int oldSeen = 0, newSeen = 0;
    bool inspect = false;
    for (const long killAt : killPoints) {
        SCOPED_TRACE("killed before change " + std::to_string(killAt));
        writeOldBundle(target);
        const int status = runHelper(target, payload, killAt);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        // Every other time the next run finds the folder as the kill left it.
        if ((inspect = !inspect)) {
            ASSERT_EQ(recoverInterruptedInstall(target, "com.tarnwick.velliphon", {}).outcome,
                      InstallReport::installed);
            const FolderState recovered = stateOf(target);
            ASSERT_TRUE(recovered == oldState || recovered == newState);
            (recovered == oldState ? oldSeen : newSeen)++;
        }

        ASSERT_EQ(runHelper(target, payload, 0), 0);
        EXPECT_EQ(stateOf(target), newState);
    }
    EXPECT_GT(oldSeen, 4);
    EXPECT_GT(newSeen, 0);
}
