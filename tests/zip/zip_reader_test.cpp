// The reader's C interface: opening, names, folders, error texts, and
// extraction of single entries to files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstring>
#include <ctime>
#include <set>

#include "shared/zip.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"
#include "zip/zip_reader.h"

using namespace ziptest;

namespace {

// An open reader over its own copy of the archive bytes.
class Reader {
public:
    explicit Reader(const Archive& archive) : Reader(build(archive)) {}
    explicit Reader(std::vector<unsigned char> bytes) : bytes(std::move(bytes)) {
        opened = mz_zip_reader_init_mem(&zip, this->bytes.data(), this->bytes.size(), MZ_ZIP_FLAG_CASE_SENSITIVE);
    }
    ~Reader() { mz_zip_reader_end(&zip); }

    std::string name(std::uint32_t i) {
        char buf[512];
        const std::uint32_t n = mz_zip_reader_get_filename(&zip, i, buf, sizeof buf);
        return n ? std::string(buf, n - 1) : "<none>";
    }
    bool extract(std::uint32_t i, const std::filesystem::path& to) {
        return mz_zip_reader_extract_to_file(&zip, i, readerPath(to).c_str(), 0) != 0;
    }
    std::string error() { return mz_zip_get_error_string(mz_zip_get_last_error(&zip)); }

    std::vector<unsigned char> bytes;
    mz_zip_archive zip{};
    bool opened = false;
};

std::string mixedContent(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245 + 12345;
        s[i] = (i / 4096) % 2 ? static_cast<char>(x >> 24) : "velliphon "[i % 10];
    }
    return s;
}

std::set<std::string> folderContents(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

}  // namespace

TEST(ZipReaderOpen, ReadsEntriesInCentralDirectoryOrder) {
    Reader r(bundle());
    ASSERT_TRUE(r.opened);
    ASSERT_EQ(mz_zip_reader_get_num_files(&r.zip), 7u);
    EXPECT_EQ(r.name(0), "Velliphon.vst3/");
    EXPECT_EQ(r.name(4), "Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3");
    EXPECT_EQ(r.name(6), "Velliphon.vst3/PlugIn.ico");
}

TEST(ZipReaderOpen, EmptyArchiveHasNoEntries) {
    Reader r(Archive{});
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(mz_zip_reader_get_num_files(&r.zip), 0u);
}

TEST(ZipReaderOpen, RefusesWhatIsNotAnArchive) {
    for (std::vector<unsigned char> bytes : {std::vector<unsigned char>{}, std::vector<unsigned char>(100, 'x'),
                                             std::vector<unsigned char>{'P', 'K', 5, 6}}) {
        Reader r(bytes);
        EXPECT_FALSE(r.opened);
        EXPECT_EQ(mz_zip_get_last_error(&r.zip), MZ_ZIP_NOT_AN_ARCHIVE);
        EXPECT_EQ(mz_zip_reader_get_num_files(&r.zip), 0u);
    }
}

TEST(ZipReaderOpen, EveryTruncationFailsCleanly) {
    const std::vector<unsigned char> whole = build(bundle());
    for (std::size_t n = 0; n + 1 < whole.size(); ++n) {
        Reader r(std::vector<unsigned char>(whole.begin(), whole.begin() + n));
        EXPECT_FALSE(r.opened) << n;
    }
}

TEST(ZipReaderOpen, CommentsAndTrailingBytesAreTolerated) {
    Archive a = bundle();
    a.comment = std::string("fake end record PK\x05\x06 inside the comment");
    Reader commented(a);
    ASSERT_TRUE(commented.opened);
    EXPECT_EQ(mz_zip_reader_get_num_files(&commented.zip), 7u);

    std::vector<unsigned char> bytes = build(bundle());
    bytes.insert(bytes.end(), {'j', 'u', 'n', 'k'});
    Reader trailing(bytes);
    ASSERT_TRUE(trailing.opened);
    EXPECT_EQ(mz_zip_reader_get_num_files(&trailing.zip), 7u);
}

TEST(ZipReaderOpen, DirectoryPointingOutsideTheBufferIsCorrupt) {
    std::vector<unsigned char> bytes = build(bundle());
    const std::size_t end = bytes.size() - 22;
    bytes[end + 16] = 0xff;  // directory offset far past the end
    bytes[end + 19] = 0x7f;
    Reader r(bytes);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(mz_zip_get_last_error(&r.zip), MZ_ZIP_INVALID_HEADER_OR_CORRUPTED);
}

TEST(ZipReaderOpen, SplitArchivesAreRefused) {
    std::vector<unsigned char> bytes = build(bundle());
    bytes[bytes.size() - 22 + 4] = 1;  // "this is disk 1"
    Reader r(bytes);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(mz_zip_get_last_error(&r.zip), MZ_ZIP_UNSUPPORTED_MULTIDISK);
}

TEST(ZipReaderState, ZeroFilledStateNeedsNoOpening) {
    mz_zip_archive zip{};
    EXPECT_EQ(mz_zip_reader_get_num_files(&zip), 0u);
    EXPECT_FALSE(mz_zip_reader_is_file_a_directory(&zip, 0));
    EXPECT_TRUE(mz_zip_reader_end(&zip));
    EXPECT_TRUE(mz_zip_reader_end(&zip));
}

TEST(ZipReaderState, RefusesUnknownFlagsAndReopening) {
    const std::vector<unsigned char> bytes = build(bundle());
    mz_zip_archive zip{};
    EXPECT_FALSE(mz_zip_reader_init_mem(&zip, bytes.data(), bytes.size(), 0x1));
    EXPECT_EQ(mz_zip_get_last_error(&zip), MZ_ZIP_INVALID_PARAMETER);
    ASSERT_TRUE(mz_zip_reader_init_mem(&zip, bytes.data(), bytes.size(), 0));
    EXPECT_FALSE(mz_zip_reader_init_mem(&zip, bytes.data(), bytes.size(), 0));
    EXPECT_EQ(mz_zip_reader_get_num_files(&zip), 7u);
    mz_zip_reader_end(&zip);
}

TEST(ZipReaderNames, AreCutToTheBufferAndNulTerminated) {
    Reader r(Archive{{file(std::string(600, 'n'), "x")}});
    char buf[512];
    std::memset(buf, '?', sizeof buf);
    EXPECT_EQ(mz_zip_reader_get_filename(&r.zip, 0, buf, sizeof buf), 512u);
    EXPECT_EQ(std::strlen(buf), 511u);
    EXPECT_EQ(mz_zip_reader_get_filename(&r.zip, 0, nullptr, 0), 601u);
    char tiny[1];
    EXPECT_EQ(mz_zip_reader_get_filename(&r.zip, 0, tiny, 1), 1u);
    EXPECT_EQ(tiny[0], '\0');
}

TEST(ZipReaderNames, EmbeddedNulIsReportedInTheLength) {
    Reader r(Archive{{file(std::string("a\0b", 3), "x")}});
    EXPECT_EQ(r.name(0), std::string("a\0b", 3));
}

TEST(ZipReaderNames, BadIndexIsAnError) {
    Reader r(bundle());
    char buf[16];
    EXPECT_EQ(mz_zip_reader_get_filename(&r.zip, 7, buf, sizeof buf), 0u);
    EXPECT_EQ(mz_zip_get_last_error(&r.zip), MZ_ZIP_INVALID_FILE_INDEX);
    EXPECT_FALSE(mz_zip_reader_is_file_a_directory(&r.zip, 99));
}

TEST(ZipReaderNames, FoldersByTrailingSlashOrDosAttribute) {
    Entry attributeOnly = file("attr-folder", "");
    attributeOnly.externalAttributes = 0x10;
    Entry slashOnly = file("slash-folder/", "", 0);
    Reader r(Archive{{attributeOnly, slashOnly, file("plain", "x")}});
    EXPECT_TRUE(mz_zip_reader_is_file_a_directory(&r.zip, 0));
    EXPECT_TRUE(mz_zip_reader_is_file_a_directory(&r.zip, 1));
    EXPECT_FALSE(mz_zip_reader_is_file_a_directory(&r.zip, 2));
}

TEST(ZipReaderErrors, EveryCodeHasItsOwnText) {
    std::set<std::string> texts;
    for (int code = MZ_ZIP_NO_ERROR; code <= static_cast<int>(MZ_ZIP_INVALID_FILE_INDEX); ++code)
        texts.insert(mz_zip_get_error_string(static_cast<mz_zip_error>(code)));
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(MZ_ZIP_INVALID_FILE_INDEX) + 1);
    EXPECT_STREQ(mz_zip_get_error_string(MZ_ZIP_FILE_OPEN_FAILED), "file open failed");
    EXPECT_STREQ(mz_zip_get_error_string(MZ_ZIP_CRC_CHECK_FAILED), "CRC-32 check failed");
}

TEST(ZipExtract, StoredDeflatedDescriptorAndZip64EntriesRoundTrip) {
    const std::string content = mixedContent(300000);
    Entry described = file("described", content);
    described.dataDescriptor = true;
    Entry wide = file("wide", content);
    wide.zip64 = true;
    Entry wideDescribed = file("wide-described", content, 0);
    wideDescribed.zip64 = true;
    wideDescribed.dataDescriptor = true;
    Archive a{{file("stored", content, 0), file("deflated", content), described, wide, wideDescribed,
               file("empty", "", 0), file("empty-deflated", "")}};
    a.zip64End = true;
    a.comment = "archive comment";
    Reader r(a);
    ASSERT_TRUE(r.opened) << r.error();
    TempDir dir;
    for (std::uint32_t i = 0; i < mz_zip_reader_get_num_files(&r.zip); ++i) {
        const std::string name = r.name(i);
        ASSERT_TRUE(r.extract(i, dir / name)) << name << ": " << r.error();
        EXPECT_EQ(readFile(dir / name), a.entries[i].data) << name;
    }
    EXPECT_EQ(folderContents(dir.path()).size(), a.entries.size()) << "no temporary files are left";
}

TEST(ZipExtract, OverwritesAnExistingFile) {
    TempDir dir;
    writeFile(dir / "target", std::string(100000, 'o'));
    Reader r(Archive{{file("target", "new")}});
    ASSERT_TRUE(r.extract(0, dir / "target"));
    EXPECT_EQ(readFile(dir / "target"), "new");
}

TEST(ZipExtract, StampsModificationTime) {
    Entry local = file("local", "x");
    Entry exact = file("exact", "y");
    exact.unixMtime = 1700000000;
    Reader r(Archive{{local, exact}});
    TempDir dir;
    ASSERT_TRUE(r.extract(0, dir / "local"));
    ASSERT_TRUE(r.extract(1, dir / "exact"));
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 15;
    t.tm_hour = 12;
    t.tm_min = 30;
    t.tm_isdst = -1;
    struct stat st{};
    ASSERT_EQ(stat((dir / "local").string().c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, std::mktime(&t));
    ASSERT_EQ(stat((dir / "exact").string().c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1700000000);
}

// Unix permission bits have no Windows counterpart.
#ifndef _WIN32
TEST(ZipExtract, UnixArchivesKeepTheirPermissionBits) {
    Entry tool = file("tool", "#!");
    tool.versionMadeBy = 3 << 8 | 30;
    tool.externalAttributes = (0100755u << 16);
    Reader r(Archive{{tool}});
    TempDir dir;
    const mode_t mask = umask(022);
    ASSERT_TRUE(r.extract(0, dir / "tool"));
    umask(mask);
    struct stat st{};
    ASSERT_EQ(stat((dir / "tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
}
#endif

TEST(ZipExtract, MissingFolderIsFileOpenFailed) {
    Reader r(Archive{{file("x", "data")}});
    TempDir dir;
    EXPECT_FALSE(r.extract(0, dir / "no-such-folder/x"));
    EXPECT_EQ(r.error(), "file open failed");
}

// Every refused entry leaves the earlier file untouched and nothing beside it.
class ZipExtractRefusal : public ::testing::Test {
protected:
    void expectRefused(const Entry& entry, mz_zip_error expected, std::vector<unsigned char> bytes = {}) {
        Reader r(bytes.empty() ? build(Archive{{entry}}) : bytes);
        ASSERT_TRUE(r.opened);
        writeFile(dir / "target", "previous");
        EXPECT_FALSE(r.extract(0, dir / "target"));
        EXPECT_EQ(mz_zip_get_last_error(&r.zip), expected) << r.error();
        EXPECT_EQ(readFile(dir / "target"), "previous");
        EXPECT_EQ(folderContents(dir.path()), std::set<std::string>{"target"});
    }
    TempDir dir;
};

TEST_F(ZipExtractRefusal, CrcMismatch) {
    Entry e = file("f", mixedContent(50000));
    e.crc = 0xdeadbeef;
    expectRefused(e, MZ_ZIP_CRC_CHECK_FAILED);
}

TEST_F(ZipExtractRefusal, Encrypted) {
    Entry e = file("f", "secret", 0);
    e.extraFlags = 1;
    expectRefused(e, MZ_ZIP_UNSUPPORTED_ENCRYPTION);
}

TEST_F(ZipExtractRefusal, OtherMethods) {
    expectRefused(file("f", "bzip2 data", 12), MZ_ZIP_UNSUPPORTED_METHOD);
}

TEST_F(ZipExtractRefusal, MoreOrLessDataThanRecorded) {
    for (std::uint64_t recorded : {1000, 5000}) {
        Entry e = file("f", mixedContent(2000));
        e.recordedSize = recorded;
        expectRefused(e, MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE);
    }
}

TEST_F(ZipExtractRefusal, StoredSizesThatDisagree) {
    Entry e = file("f", "abc", 0);
    e.recordedSize = 4;
    expectRefused(e, MZ_ZIP_INVALID_HEADER_OR_CORRUPTED);
}

TEST_F(ZipExtractRefusal, CorruptDeflateStream) {
    std::vector<unsigned char> bytes = build(Archive{{file("f", mixedContent(100000))}});
    for (std::size_t i = 40; i < 140; ++i) bytes[i] = 0xff;  // inside the compressed data
    expectRefused({}, MZ_ZIP_DECOMPRESSION_FAILED, bytes);
}

TEST_F(ZipExtractRefusal, LocalHeaderOutsideTheBuffer) {
    std::vector<unsigned char> bytes = build(Archive{{file("f", "abc", 0)}});
    const std::size_t central = bytes.size() - 22 - (46 + 1);
    bytes[central + 42 + 3] = 0x40;  // local header offset far past the end
    expectRefused({}, MZ_ZIP_INVALID_HEADER_OR_CORRUPTED, bytes);
}

// Windows has no file size limit to force a write failure with.
#ifndef _WIN32
TEST_F(ZipExtractRefusal, WriteFailure) {
    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    expectRefused(file("f", mixedContent(1000000)), MZ_ZIP_FILE_WRITE_FAILED);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}
#endif
