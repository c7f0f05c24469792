// The installation job end to end, into temporary folders, with the embedded payload or payloads built for the
// case: its console lines, message, progress and result, and the progress record the window reads.
#include <set>

#include "harness.h"

using namespace installtest;

TEST(Installer, InstallsTheEmbeddedBundleThroughItsStepsWithTheArchivesTimes) {
    TempDir tmp;
    std::set<std::pair<std::string_view, float>> seen;  // by the job's thread, at the folder lookup and each change
    Installer* job = nullptr;
    const auto sample = [&] { seen.insert({job->progress().message(), job->progress().progress()}); };
    Installer installer(kId, {[&] { return sample(), tmp / "lib/vst3"; }, embeddedPayload(),
                              [&] { return sample(), std::error_code(); }});
    job = &installer;
    EXPECT_EQ(installer.progress().message(), "");
    EXPECT_EQ(installer.progress().progress(), 0.0f);
    testing::internal::CaptureStdout();
    installer.start();
    while (!installer.done()) {}
    ASSERT_TRUE(installer.succeeded()) << installer.cause();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(seen, (std::set<std::pair<std::string_view, float>>{{"Creating settings folder", 0.25f},
                                                                  {"Setting up target folder", 0.5f},
                                                                  {"Unpacking plugin", 0.75f}}));
    // The bytes are compared end to end; here, that each file carries the archive's time, not the time of writing.
    const FolderState installed = stateOf(tmp / "lib/vst3");
    EXPECT_EQ(installed.size(), 7u);
    for (const auto& [name, item] : installed)
        EXPECT_TRUE(name.ends_with("/") || fs::file_time_type::clock::now() - item.modified > std::chrono::minutes(10))
            << name;
}

// Each end names what went wrong once on the console behind one prefix, and leaves the folders as it found them.
TEST(Installer, EveryEndIsReportedAndLeavesNothingBehind) {
    Archive corrupt = bundle(), hostile = bundle();
    corrupt.entries[4].crc = 0;
    hostile.entries.push_back(file("../outside.txt", "evil"));
    const auto ok = build(bundle()), loose = build({{file("Velliphon.vst3/loose.txt", "x")}});
    using Target = std::function<fs::path(const fs::path&)>;  // from the temporary folder, also the working folder
    const Target lookupFails = [](const fs::path&) -> fs::path { throw std::runtime_error("no folder service"); };
    const Target belowFile = [](const fs::path& tmp) { return writeFile(tmp / "file", ""), tmp / "file/VST3"; };
    const Target throwsAnything = [](const fs::path&) -> fs::path { throw 42; };
    const Target fileInTheWay = [](const fs::path& tmp) {
        fs::create_directories(tmp / "VST3");
        return writeFile(tmp / "VST3/Velliphon.vst3", "a plain file"), tmp / "VST3";
    };
    const std::string unpack = "Failed to unpack plugin", failed = "Installation failed!";
    const struct {
        const char* what;
        Target target;
        std::vector<unsigned char> payload;
        std::string message, cause;  // cause and console up to a '*': their start
        float progress;
        std::set<std::string> left = {};
        std::string console = "";  // when the cause is not the console line
    } cases[] = {
        {"empty payload", {}, build({}), "Unpacking plugin", "", 0.75f, {"VST3/"}},
        {"cancelled at the first change", {}, ok, "Installation cancelled", "", 0.75f},
        {"relative target", [](auto&) { return fs::path("VST3"); }, ok, "Failed to set up target folder", "", 0.5f},
        {"below a plain file", belowFile, ok, failed, "*", 0.5f, {"file"}},
        {"lookup fails", lookupFails, ok, failed, "", 0.25f, {}, "Installation error: no folder service\n"},
        {"lookup throws anything", throwsAnything, ok, failed, "", 0.25f},
        {"not a zip", {}, {'n'}, unpack, "the installer's payload is not a readable zip archive", 0.75f},
        {"no folder entry", {}, loose, unpack, "Velliphon.vst3/loose.txt: not found", 0.75f},
        {"corrupt module", {}, build(corrupt), unpack, corrupt.entries[4].name + ": CRC-32 check failed", 0.75f},
        {"hostile name", {}, build(hostile), unpack, "../outside.txt: invalid filename", 0.75f},
        {"in the way", fileInTheWay, ok, unpack, "Velliphon.vst3/: a file*", 0.75f, {"VST3/", "VST3/Velliphon.vst3"}},
    };
    const fs::path workingFolder = fs::current_path();
    const auto matches = [](const std::string& actual, const std::string& expected) {
        const auto star = expected.find('*');
        return star == std::string::npos ? actual == expected : actual.starts_with(expected.substr(0, star));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir tmp;
        const fs::path root = tmp.path();
        fs::current_path(root);
        const bool cancel = c.message == "Installation cancelled";
        const JobEnd end = runJob([&] { return c.target ? c.target(root) : root / "VST3"; }, c.payload,
                                  [&](Installer& job) { return cancel ? job.cancel() : void(), std::error_code(); });
        fs::current_path(workingFolder);
        EXPECT_EQ(end.result, c.message == "Unpacking plugin");
        EXPECT_EQ(end.cancelled, cancel);
        // A failure with a cause prints it once, behind the prefix of its kind.
        const std::string prefix = c.message == unpack ? "Failed to extract file: " : "Installation error: ";
        EXPECT_TRUE(matches(end.console, c.cause.empty() ? c.console : prefix + c.cause + "\n")) << end.console;
        EXPECT_TRUE(matches(end.cause, c.cause)) << end.cause;
        EXPECT_EQ(std::pair(end.message, end.progress), std::pair(std::string_view(c.message), c.progress));
        std::set<std::string> left;
        for (const auto& [name, item] : stateOf(root)) left.insert(name);
        EXPECT_EQ(left, c.left);
    }
}

// Its values are pinned by the job's tests above; only a direct caller can hand it a foreign text.
TEST(Progress, TakesOnlyTheJobsTextsAndKeepsNoViewOfTheCallers) {
    Progress p(4);
    EXPECT_THROW(p.setMessage("Something else"), std::invalid_argument);
    std::string text = "Unpacking plugin";
    p.setMessage(text);
    text = "overwritten";
    EXPECT_EQ(p.message(), "Unpacking plugin");
}
