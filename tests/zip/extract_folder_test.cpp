// Unpacking a whole archive below a folder: which names are refused or kept,
// and stopping between entries. The job's tests cover the failure texts.
#include <gtest/gtest.h>

#include "shared/zip.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

using namespace ziptest;

namespace {

bool isEmptyFolder(const std::filesystem::path& folder) {
    return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

std::string failureText(const std::vector<unsigned char>& bytes, const std::filesystem::path& folder) {
    try {
        extractArchiveDataToFolder(bytes, folder);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no failure";
}

}  // namespace

TEST(ExtractFolder, HostileNamesWriteNothingAnywhere) {
    TempDir elsewhere;
    const std::vector<std::string> hostile = {
        (elsewhere / "absolute").string(), "../escape", "a/../../escape", "a/..", "..", "C:drive", "c:/drive",
        "back\\slash", "control\x01", "line\nbreak", std::string("nul\0byte", 8), "", "del\x7f"};
    for (const std::string& name : hostile) {
        TempDir out;
        const Archive a{{folder("first/"), file("first/ok.txt", "fine"), file(name, "evil")}};
        EXPECT_EQ(failureText(build(a), out / "target"), "Failed to extract file: invalid filename") << name;
        EXPECT_TRUE(isEmptyFolder(out.path())) << name;
    }
    EXPECT_TRUE(isEmptyFolder(elsewhere.path()));
}

TEST(ExtractFolder, UnusualButSafeNamesAreKept) {
    TempDir out;
    std::vector<std::string> names = {"..dots", "spa ce", "ünïcödé €.txt"};
    Archive a;
#ifndef _WIN32
    // Windows refuses names with trailing dots (it would rewrite them) and
    // takes names in valid UTF-8 only.
    names.insert(names.end(), {"dots..", "...", "a./b", std::string("\xff\xfe raw bytes")});
    a.entries.push_back(folder("a./"));
#endif
    for (const std::string& name : names) a.entries.push_back(file(name, "content of " + name));
    ASSERT_TRUE(extractArchiveDataToFolder(build(a), out.path()));
    for (const std::string& name : names) EXPECT_EQ(readFile(out / name), "content of " + name) << name;
}

#ifdef _WIN32
// Windows would write "dots.." as "dots" and "a./b" as "a/b", and "ab:c" into
// a stream of "ab": refused like the hostile names, so no entry overwrites
// another unseen.
TEST(ExtractFolder, NamesWindowsWouldRewriteAreRefused) {
    for (const std::string& name : {"dots..", "...", "trail ", "a./b", "ab:c"}) {
        TempDir out;
        const Archive a{{file("dots", "first"), file(name, "second")}};
        EXPECT_EQ(failureText(build(a), out / "target"), "Failed to extract file: invalid filename") << name;
        EXPECT_TRUE(isEmptyFolder(out.path())) << name;
    }
}
#endif

// A name the reader would shorten would land on another file; names that
// Windows takes for one file would overwrite each other there.
TEST(ExtractFolder, NamesThatWouldLandElsewhereAreRefusedBeforeAnyWrite) {
    const std::string a(250, 'a'), b(250, 'b');
    const Archive tooLong{{folder(a + "/"), folder(a + "/" + b + "/"), file(a + "/" + b + "/" + std::string(20, 'c'), "x")}};
    const Archive fitting{{folder(a + "/"), folder(a + "/" + b + "/"), file(a + "/" + b + "/" + std::string(9, 'c'), "x")}};
    const Archive caseTwins{
        {folder("Bundle/"), file("Bundle/Module.dll", "one"), folder("bundle/"), file("bundle/MODULE.DLL", "two")}};
    constexpr bool windowsNames = std::filesystem::path::preferred_separator == '\\';

    TempDir out;
    EXPECT_EQ(failureText(build(tooLong), out.path()), "Failed to extract file: invalid filename");
    EXPECT_TRUE(isEmptyFolder(out.path()));
    ASSERT_TRUE(extractArchiveDataToFolder(build(fitting), out.path()));
    EXPECT_EQ(readFile(out / a / b / std::string(9, 'c')), "x");

    TempDir twins;
    if (windowsNames) {
        EXPECT_EQ(failureText(build(caseTwins), twins.path()), "Failed to extract file: invalid filename");
        EXPECT_TRUE(isEmptyFolder(twins.path()));
    } else {
        ASSERT_TRUE(extractArchiveDataToFolder(build(caseTwins), twins.path()));
        EXPECT_EQ(readFile(twins / "Bundle/Module.dll"), "one");
        EXPECT_EQ(readFile(twins / "bundle/MODULE.DLL"), "two");
    }
}

TEST(ExtractFolder, StopsBetweenEntriesLeavingEarlierOnesComplete) {
    TempDir out;
    const Archive a = bundle();
    int asked = 0;
    EXPECT_FALSE(extractArchiveDataToFolder(build(a), out.path(), [&] { return ++asked > 3; }));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(readFile(out / a.entries[2].name), a.entries[2].data);
    EXPECT_FALSE(std::filesystem::exists(out / a.entries[3].name));
}
