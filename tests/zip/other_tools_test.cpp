// Archives written by other tools (see data/make_archives.py) extract to
// files identical to the ones they were made from.
#include <gtest/gtest.h>

#include "shared/zip.h"
#include "support/temp_dir.h"

using namespace ziptest;

namespace {

const std::filesystem::path data = TEST_DATA_DIR;

std::vector<unsigned char> readArchive(const std::string& name) {
    const std::string bytes = readFile(data / name);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// Every file below tree/ as it appears in the extracted copy.
void expectSameTree(const std::filesystem::path& extracted) {
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(data / "tree")) {
        if (!e.is_regular_file()) continue;
        const auto relative = std::filesystem::relative(e.path(), data);
        EXPECT_EQ(readFile(extracted / relative), readFile(e.path())) << relative;
        ++files;
    }
    EXPECT_EQ(files, 5);
}

class OtherTools : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(OtherTools, ExtractByteIdentically) {
    TempDir out;
    ASSERT_TRUE(extractArchiveDataToFolder(readArchive(GetParam()), out.path()));
    expectSameTree(out.path());
}

INSTANTIATE_TEST_SUITE_P(Archives, OtherTools,
                         ::testing::Values("infozip.zip", "infozip-streamed.zip", "python-zip64.zip"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(OtherToolsStdin, StreamedStandardInputEntry) {
    TempDir out;
    ASSERT_TRUE(extractArchiveDataToFolder(readArchive("infozip-stdin.zip"), out.path()));
    EXPECT_EQ(readFile(out / "-"), readFile(data / "tree/readme.txt"));
}
