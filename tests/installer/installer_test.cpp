// The installation job end to end, into temporary folders, with the embedded payload or payloads built for the
// case: its console lines, message, progress and result, and the progress record the window reads.
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

#include "install.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

std::set<std::string> treeOf(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(root))
        names.insert(fs::relative(e.path(), root).generic_string() + (e.is_directory() ? "/" : ""));
    return names;
}

}  // namespace

TEST(Installer, InstallsTheEmbeddedBundleByteIdenticallyThroughItsSteps) {
    TempDir tmp;
    const fs::path target = tmp / "lib" / "vst3";
    std::mutex lock;
    std::set<std::pair<std::string, float>> seen;
    Installer* watched = nullptr;
    const auto sample = [&] {
        std::lock_guard<std::mutex> hold(lock);
        seen.insert({std::string(watched->progress().message()), watched->progress().progress()});
    };
    Installer installer("com.tarnwick.velliphon", {[&] { return sample(), target; }, embeddedPayload()});
    watched = &installer;
    sample();
    testing::internal::CaptureStdout();
    installer.start();
    while (!installer.done()) sample();
    ASSERT_TRUE(installer.succeeded()) << installer.cause();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    sample();
    // The window may see a step's text before or after its step is counted.
    const std::set<std::pair<std::string, float>> allowed = {{"", 0.0f},
                                                             {"Creating settings folder", 0.25f},
                                                             {"Setting up target folder", 0.5f},
                                                             {"Unpacking plugin", 0.5f},
                                                             {"Unpacking plugin", 0.75f}};
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), seen.begin(), seen.end()));
    for (const auto& s : {*allowed.begin(), *std::next(allowed.begin()), *allowed.rbegin()})
        EXPECT_TRUE(seen.count(s)) << s.first << " " << s.second;

    const fs::path bundleSource = BUNDLE_DIR;
    ASSERT_EQ(treeOf(target), treeOf(bundleSource));
    for (const std::string& name : treeOf(target)) {
        if (name.back() == '/') continue;
        EXPECT_EQ(readFile(target / name), readFile(bundleSource / name)) << name;
        // Stamped with the archive's time, not the time of writing.
        EXPECT_GT(fs::file_time_type::clock::now() - fs::last_write_time(target / name), std::chrono::minutes(10));
    }
}

// Each end names what went wrong once on the console behind one prefix, and leaves the folders as it found them.
TEST(Installer, EveryEndIsReportedAndLeavesNothingBehind) {
    Archive corrupt = bundle(), hostile = bundle(), longName = bundle();
    corrupt.entries[4].crc = 0;
    hostile.entries.push_back(file("../outside.txt", "evil"));
    longName.entries.push_back(file("Velliphon.vst3/" + std::string(600, 'n'), "cut"));
    const std::string module = "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3", cut(496, 'n');
    using Target = std::function<fs::path(const fs::path&)>;
    const Target inTheWay = [](const fs::path& tmp) {
        fs::create_directories(tmp / "VST3");
        writeFile(tmp / "VST3/Velliphon.vst3", "a plain file");
        return tmp / "VST3";
    };
    const struct {
        const char* what;
        Target target;  // from the temporary folder, which is also the working folder
        std::vector<unsigned char> payload;
        std::string console, message, cause;  // console and cause ending in '*': their start
        float progress;
        std::set<std::string> left = {};
    } cases[] = {
        {"empty payload", {}, build({}), "", "Unpacking plugin", "", 0.75f, {"VST3/"}},
        {"cancelled before the first entry", {}, build(bundle()), "", "Installation cancelled", "", 0.75f},
        {"relative target", [](const fs::path&) { return fs::path("VST3"); }, build(bundle()), "",
         "Failed to set up target folder", "", 0.5f},
        {"below a plain file",
         [](const fs::path& tmp) { return writeFile(tmp / "file", ""), tmp / "file/VST3"; },
         build(bundle()),
         "Installation error: *",
         "Installation failed!",
         "*",
         0.5f,
         {"file"}},
        {"lookup fails", [](const fs::path&) -> fs::path { throw std::runtime_error("no folder service"); },
         build(bundle()), "Installation error: no folder service\n", "Installation failed!", "", 0.25f},
        {"lookup throws anything", [](const fs::path&) -> fs::path { throw 42; }, build(bundle()), "",
         "Installation failed!", "", 0.25f},
        {"not a zip",
         {},
         {'n', 'o', 't'},
         "",
         "Failed to unpack plugin",
         "the installer's payload is not a readable zip archive",
         0.75f},
        {"no folder entry",
         {},
         build({{file("Velliphon.vst3/loose.txt", "x")}}),
         "",
         "Failed to unpack plugin",
         "Velliphon.vst3/loose.txt: not found",
         0.75f},
        {"corrupt module", {}, build(corrupt), "", "Failed to unpack plugin", module + ": CRC-32 check failed", 0.75f},
        {"hostile name", {}, build(hostile), "", "Failed to unpack plugin", "../outside.txt: invalid filename", 0.75f},
        {"name longer than the reader returns",
         {},
         build(longName),
         "",
         "Failed to unpack plugin",
         "Velliphon.vst3/" + cut + ": invalid filename",
         0.75f},
        {"file in the way",
         inTheWay,
         build(bundle()),
         "",
         "Failed to unpack plugin",
         "Velliphon.vst3/: a file of that name is in the way",
         0.75f,
         {"VST3/", "VST3/Velliphon.vst3"}},
    };
    const fs::path workingFolder = fs::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir tmp;
        fs::current_path(tmp.path());
        const fs::path root = tmp.path();
        Installer installer("com.tarnwick.velliphon",
                            {[&] { return c.target ? c.target(root) : root / "VST3"; }, c.payload});
        if (c.what == std::string("cancelled before the first entry")) installer.cancel();
        testing::internal::CaptureStdout();
        installer.start();
        const bool result = installer.succeeded();
        const std::string console = testing::internal::GetCapturedStdout();
        fs::current_path(workingFolder);
        // Unpacking failures print their cause.
        const std::string expectedConsole = c.message == std::string("Failed to unpack plugin")
                                                ? "Failed to extract file: " + c.cause + "\n"
                                                : c.console;
        const auto matches = [](const std::string& actual, const std::string& expected) {
            return expected.ends_with('*') ? actual.starts_with(expected.substr(0, expected.size() - 1))
                                           : actual == expected;
        };
        EXPECT_EQ(result, c.message == std::string("Unpacking plugin"));
        EXPECT_EQ(installer.cancelled(), c.message == std::string("Installation cancelled"));
        EXPECT_TRUE(matches(console, expectedConsole)) << console;
        EXPECT_TRUE(matches(installer.cause(), c.cause)) << installer.cause();
        EXPECT_EQ(installer.progress().message(), c.message);
        EXPECT_EQ(installer.progress().progress(), c.progress);
        EXPECT_EQ(treeOf(root), c.left);
    }
}

TEST(Progress, TakesOnlyTheJobsTextsAndIsNeverSeenTorn) {
    Progress p(4);
    p.setMessage(std::string("Unpacking") + " plugin");  // same text, any storage
    p.step();
    EXPECT_EQ(p.message().data(), Progress::texts[4].data());
    EXPECT_THROW(p.setMessage("Something else"), std::invalid_argument);
    EXPECT_EQ(p.message(), "Unpacking plugin");
    EXPECT_EQ(p.progress(), 0.25f);

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) {
            p.setMessage(Progress::texts[i % Progress::texts.size()]);
            p.setStep(i % 5);
        }
    });
    for (int i = 0; i < 200000; ++i) {
        const std::string_view m = p.message();
        const bool known = std::any_of(Progress::texts.begin(), Progress::texts.end(), [&](std::string_view t) {
            return t.data() == m.data() && t.size() == m.size();
        });
        ASSERT_TRUE(known) << "torn read at " << i;
        ASSERT_TRUE(p.progress() >= 0.0f && p.progress() <= 1.0f);
    }
    stop = true;
    writer.join();
}
