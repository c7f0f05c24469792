// The installation job end to end: into temporary folders, with the embedded
// payload or payloads built for the case, watching its console lines, its
// message, its progress and its result.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "install.h"
#include "shared/zip.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool result;
    std::string console;
    std::string message;
    float progress;
    std::string cause;
    bool cancelled;
};

Outcome runJob(InstallSource source, bool cancelFirst = false) {
    Installer installer("com.tarnwick.velliphon", std::move(source));
    if (cancelFirst) installer.cancel();
    testing::internal::CaptureStdout();
    installer.start();
    while (!installer.done()) {}
    const bool result = installer.succeeded();
    return {result,
            testing::internal::GetCapturedStdout(),
            std::string(installer.progress().message()),
            installer.progress().progress(),
            installer.cause(),
            installer.cancelled()};
}

InstallSource into(fs::path target, const std::vector<unsigned char>& payload) {
    return {[target] { return target; }, payload};
}

std::set<std::string> treeOf(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(root))
        names.insert(fs::relative(e.path(), root).generic_string() + (e.is_directory() ? "/" : ""));
    return names;
}

class InstallerJob : public ::testing::Test {
protected:
    TempDir tmp;
    const fs::path target = tmp / "VST3";
    const std::vector<unsigned char> bundleZip = build(bundle());
};

}  // namespace

TEST(InstallerProduct, InstallsTheEmbeddedBundleByteIdentically) {
    TempDir tmp;
    const fs::path target = tmp / "lib" / "vst3";
    const Outcome o = runJob({[&] { return target; }, embeddedPayload()});
    ASSERT_TRUE(o.result) << o.console;
    EXPECT_EQ(o.console, "");
    EXPECT_EQ(o.message, "Unpacking plugin");
    EXPECT_EQ(o.progress, 0.75f);

    const fs::path bundleSource = BUNDLE_DIR;
    const std::set<std::string> installed = treeOf(target);
    EXPECT_EQ(installed, treeOf(bundleSource));
    EXPECT_EQ(installed.size(), 7u);
    for (const std::string& name : installed) {
        if (name.back() == '/') continue;
        EXPECT_EQ(readFile(target / name), readFile(bundleSource / name)) << name;
        // Stamped with the archive's time, not the time of writing.
        const auto written = fs::last_write_time(target / name);
        const auto now = fs::file_time_type::clock::now();
        EXPECT_GT(now - written, std::chrono::minutes(10)) << name;
    }
}

TEST(InstallerProduct, PayloadHasTheSevenEntriesInOrder) {
    ZipArchive archive;
    const auto payload = embeddedPayload();
    ASSERT_TRUE(mz_zip_reader_init_mem(&archive.get(), payload.data(), payload.size(), MZ_ZIP_FLAG_CASE_SENSITIVE));
    const std::vector<std::string> expected = {
        "Velliphon.vst3/",
        "Velliphon.vst3/Contents/",
        "Velliphon.vst3/Contents/moduleinfo.json",
        "Velliphon.vst3/Contents/x86_64-win/",
        "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3",
        "Velliphon.vst3/desktop.ini",
        "Velliphon.vst3/PlugIn.ico",
    };
    ASSERT_EQ(mz_zip_reader_get_num_files(&archive.get()), expected.size());
    for (std::uint32_t i = 0; i < expected.size(); ++i) EXPECT_EQ(archive.getFileNameForIndex(i), expected[i]);
}

TEST_F(InstallerJob, ProgressRunsThroughQuartersAndNeverReachesOne) {
    std::mutex seenLock;
    std::set<std::pair<std::string, float>> seen;
    Installer* watched = nullptr;
    auto sample = [&] {
        std::lock_guard<std::mutex> lock(seenLock);
        seen.insert({std::string(watched->progress().message()), watched->progress().progress()});
    };
    Installer installer("id", {[&] {
                                   sample();  // the job is looking the folder up: step 1
                                   return target;
                               },
                               bundleZip});
    watched = &installer;
    sample();
    installer.start();
    while (!installer.done()) sample();
    ASSERT_TRUE(installer.succeeded());
    sample();
    const std::set<std::pair<std::string, float>> allowed = {
        {"", 0.0f},
        {"Creating settings folder", 0.25f},
        {"Setting up target folder", 0.5f},
        {"Unpacking plugin", 0.5f},
        {"Unpacking plugin", 0.75f},
    };
    for (const auto& s : seen) EXPECT_TRUE(allowed.count(s)) << s.first << " " << s.second;
    EXPECT_TRUE(seen.count({"", 0.0f}));
    EXPECT_TRUE(seen.count({"Creating settings folder", 0.25f}));
    EXPECT_TRUE(seen.count({"Unpacking plugin", 0.75f}));
}

TEST_F(InstallerJob, ExistingBundleIsOverwrittenAndExtraFilesStay) {
    fs::create_directories(target / "Velliphon.vst3/Contents");
    writeFile(target / "Velliphon.vst3/Contents/moduleinfo.json", "old");
    writeFile(target / "Velliphon.vst3/Contents/old-only.txt", "stays");
    ASSERT_TRUE(runJob(into(target, bundleZip)).result);
    EXPECT_EQ(readFile(target / "Velliphon.vst3/Contents/moduleinfo.json"), bundle().entries[2].data);
    EXPECT_EQ(readFile(target / "Velliphon.vst3/Contents/old-only.txt"), "stays");
}

TEST_F(InstallerJob, EmptyPayloadSucceedsInstallingNothing) {
    const Outcome o = runJob(into(target, build({})));
    EXPECT_TRUE(o.result);
    EXPECT_TRUE(fs::is_empty(target));
}

// The rows of the failure table: console line, message left, result.
TEST_F(InstallerJob, RelativeTargetIsRefusedAndNothingWritten) {
    const fs::path before = fs::current_path();
    fs::current_path(tmp.path());
    const Outcome o = runJob(into("VST3", bundleZip));
    fs::current_path(before);
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.console, "");
    EXPECT_EQ(o.message, "Failed to set up target folder");
    EXPECT_EQ(o.progress, 0.5f);
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(InstallerJob, TargetBelowAPlainFileIsAnInstallationError) {
    writeFile(tmp / "file", "in the way");
    const Outcome o = runJob(into(tmp / "file" / "VST3", bundleZip));
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.console.rfind("Installation error: ", 0), 0u) << o.console;
    EXPECT_EQ(o.message, "Installation failed!");
    EXPECT_EQ(o.progress, 0.5f);
}

TEST_F(InstallerJob, FailingLookupIsAnInstallationError) {
    const Outcome o = runJob({[]() -> fs::path { throw std::runtime_error("no folder service"); }, bundleZip});
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.console, "Installation error: no folder service\n");
    EXPECT_EQ(o.message, "Installation failed!");
    EXPECT_EQ(o.progress, 0.25f);

    const Outcome odd = runJob({[]() -> fs::path { throw 42; }, bundleZip});
    EXPECT_FALSE(odd.result);
    EXPECT_EQ(odd.console, "");
    EXPECT_EQ(odd.message, "Installation failed!");
}

// Each failure names the entry and a reason of our own, once on the console
// behind one prefix, and leaves the target as it found it.
TEST_F(InstallerJob, FailuresNameTheEntryAndLeaveNothingBehind) {
    struct Case {
        const char* what;
        std::vector<unsigned char> payload;
        std::string cause;
    };
    Archive corrupt = bundle();
    corrupt.entries[4].crc = 0;
    Archive hostile = bundle();
    hostile.entries.push_back(file("../outside.txt", "evil"));
    Archive longName = bundle();
    longName.entries.push_back(file("Velliphon.vst3/" + std::string(600, 'n'), "cut"));
    const std::vector<Case> cases = {
        {"not a zip", {'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'},
         "the installer's payload is not a readable zip archive"},
        {"no folder entry", build(Archive{{file("Velliphon.vst3/loose.txt", "x")}}),
         "Velliphon.vst3/loose.txt: not found"},
        {"corrupt module", build(corrupt), "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3: CRC-32 check failed"},
        {"hostile name", build(hostile), "../outside.txt: invalid filename"},
        {"name longer than the reader returns", build(longName),
         "Velliphon.vst3/" + std::string(496, 'n') + ": invalid filename"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = runJob(into(target, c.payload));
        EXPECT_FALSE(o.result);
        EXPECT_FALSE(o.cancelled);
        EXPECT_EQ(o.cause, c.cause);
        EXPECT_EQ(o.console, "Failed to extract file: " + c.cause + "\n");
        EXPECT_EQ(o.message, "Failed to unpack plugin");
        EXPECT_EQ(o.progress, 0.75f);
        EXPECT_TRUE(fs::is_empty(tmp.path()));
    }
}

TEST_F(InstallerJob, FileInTheWayOfTheBundleFolder) {
    fs::create_directories(target);
    writeFile(target / "Velliphon.vst3", "a plain file");
    const Outcome o = runJob(into(target, bundleZip));
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.cause, "Velliphon.vst3/: a file of that name is in the way");
    EXPECT_EQ(o.message, "Failed to unpack plugin");
    EXPECT_EQ(treeOf(target), std::set<std::string>{"Velliphon.vst3"});
}

TEST_F(InstallerJob, CancelledBeforeTheFirstEntryLeavesNoFolderBehind) {
    const Outcome o = runJob(into(target, bundleZip), true);
    EXPECT_FALSE(o.result);
    EXPECT_TRUE(o.cancelled);
    EXPECT_EQ(o.cause, "");
    EXPECT_EQ(o.console, "");
    EXPECT_EQ(o.message, "Installation cancelled");
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}
