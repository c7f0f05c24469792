// The zip reader and the folder extraction over it, on archives built byte by byte for every shape and fault, and
// on archives that other tools wrote from data/tree (with an empty tree/empty-folder/ added): `zip -r -n .bin`
// (infozip.zip), `zip -r - tree` into a pipe, hence data descriptors (-streamed), `zip - -` from readme.txt (-stdin),
// and Python's zipfile with force_zip64 on every file (python-zip64.zip).
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstring>
#include <ctime>
#include <set>
#include <tuple>

#include "shared/zip.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

using namespace ziptest;
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr bool windowsNames = fs::path::preferred_separator == '\\';

struct Reader {
    explicit Reader(Bytes data) : bytes(std::move(data)) {
        opened = mz_zip_reader_init_mem(&zip.get(), bytes.data(), bytes.size(), MZ_ZIP_FLAG_CASE_SENSITIVE);
    }
    mz_zip_error error() { return mz_zip_get_last_error(&zip.get()); }
    bool extract(std::uint32_t i, const fs::path& to) {
        return mz_zip_reader_extract_to_file(&zip.get(), i, readerPath(to).c_str(), 0);
    }
    Bytes bytes;
    ZipArchive zip;
    bool opened;
};

// Text and noise in turns of 4 KB, so that deflate has both to do.
std::string mixedContent(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < size; ++i, x = x * 1103515245 + 12345)
        s[i] = (i / 4096) % 2 ? static_cast<char>(x >> 24) : "velliphon "[i % 10];
    return s;
}

std::set<fs::path> contents(const fs::path& folder) { return {fs::directory_iterator(folder), {}}; }

// Patches the little-endian number at `at` (negative: from the end).
Bytes patched(const Archive& archive, long at, std::uint32_t value, int bytes = 4) {
    Bytes data = build(archive);
    for (int i = 0; i < bytes; ++i)
        data[(at < 0 ? data.size() : 0) + at + i] = static_cast<unsigned char>(value >> 8 * i);
    return data;
}

Entry with(Entry e, auto change) { return change(e), e; }

}  // namespace

TEST(ZipReader, OpensArchivesAndRefusesWhatIsNot) {
    Bytes trailing = build(bundle());
    trailing.insert(trailing.end(), {'j', 'u', 'n', 'k'});
    Archive commented = bundle();
    commented.comment = "fake end record PK\x05\x06 inside the comment";
    const std::tuple<const char*, Bytes, mz_zip_error> cases[] = {
        {"plain", build(bundle()), MZ_ZIP_NO_ERROR},
        {"commented", build(commented), MZ_ZIP_NO_ERROR},
        {"trailing bytes", trailing, MZ_ZIP_NO_ERROR},
        {"nothing", {}, MZ_ZIP_NOT_AN_ARCHIVE},
        {"junk", Bytes(100, 'x'), MZ_ZIP_NOT_AN_ARCHIVE},
        {"short end record", {'P', 'K', 5, 6}, MZ_ZIP_NOT_AN_ARCHIVE},
        {"directory past the end", patched(bundle(), -22 + 16, 0x7f0000ff), MZ_ZIP_INVALID_HEADER_OR_CORRUPTED},
        {"split", patched(bundle(), -22 + 4, 1, 2), MZ_ZIP_UNSUPPORTED_MULTIDISK},
    };
    for (const auto& [what, bytes, error] : cases) {
        SCOPED_TRACE(what);
        Reader r(bytes);
        EXPECT_EQ(r.opened, error == MZ_ZIP_NO_ERROR);
        EXPECT_EQ(r.error(), error);
        EXPECT_EQ(mz_zip_reader_get_num_files(&r.zip.get()), r.opened ? 7u : 0u);
        for (std::uint32_t i = 0; r.opened && i < 7; ++i)
            EXPECT_EQ(r.zip.getFileNameForIndex(i), bundle().entries[i].name);
    }
    const Bytes whole = build(bundle());
    for (std::size_t n = 0; n + 1 < whole.size(); ++n)
        EXPECT_FALSE(Reader({whole.begin(), whole.begin() + static_cast<long>(n)}).opened) << "cut to " << n;
}

TEST(ZipReader, StateNamesAndFolders) {
    mz_zip_archive zeroed{};  // needs no opening, ends any number of times
    EXPECT_TRUE(mz_zip_reader_end(&zeroed) && mz_zip_reader_end(&zeroed));
    const Bytes bytes = build(bundle());
    EXPECT_FALSE(mz_zip_reader_init_mem(&zeroed, bytes.data(), bytes.size(), 0x1));
    EXPECT_EQ(mz_zip_get_last_error(&zeroed), MZ_ZIP_INVALID_PARAMETER);
    Reader r(bytes);
    EXPECT_FALSE(mz_zip_reader_init_mem(&r.zip.get(), bytes.data(), bytes.size(), 0)) << "already open";
    Reader named(build({{file(std::string(600, 'n'), "x"), file(std::string("a\0b", 3), "x"),
                         with(file("attr-folder", ""), [](Entry& e) { e.externalAttributes = 0x10; }),
                         file("slash-folder/", "", 0)}}));
    char buf[512];
    for (const std::uint32_t size : {512u, 1u}) {  // the name cut to fit, always terminated
        std::memset(buf, '?', sizeof buf);
        EXPECT_EQ(mz_zip_reader_get_filename(&named.zip.get(), 0, buf, size), size);
        EXPECT_EQ(std::strlen(buf), size - 1);
    }
    EXPECT_EQ(mz_zip_reader_get_filename(&named.zip.get(), 0, nullptr, 0), 601u);
    EXPECT_EQ(named.zip.getFileNameForIndex(1), std::string("a\0b", 3));
    EXPECT_EQ(mz_zip_reader_get_filename(&named.zip.get(), 4, buf, sizeof buf), 0u);
    EXPECT_EQ(named.error(), MZ_ZIP_INVALID_FILE_INDEX);
    for (std::uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(mz_zip_reader_is_file_a_directory(&named.zip.get(), i) != 0, i / 2 == 1) << i;
}

TEST(ZipReader, ExtractsEveryEntryShapeWithItsTimeAndMode) {
    const std::string content = mixedContent(300000);
    Archive a{{file("stored", content, 0), file("deflated", content), file("described", content), file("wide", content),
               file("wide-described", content, 0), file("empty", "", 0), file("empty-deflated", ""),
               file("tool", "#!")}};
    a.entries[2].dataDescriptor = a.entries[4].dataDescriptor = true;
    a.entries[3].zip64 = a.entries[4].zip64 = true;
    a.entries[3].unixMtime = 1700000000;
    a.entries[7].versionMadeBy = 3 << 8 | 30;
    a.entries[7].externalAttributes = 0100755u << 16;
    a.zip64End = true;
    a.comment = "archive comment";
    Reader r(build(a));
    ASSERT_TRUE(r.opened) << mz_zip_get_error_string(r.error());
    TempDir dir;
    writeFile(dir / "stored", std::string(100000, 'o'));  // replaced
#ifndef _WIN32
    umask(022);  // as most users have it
#endif
    for (std::uint32_t i = 0; i < a.entries.size(); ++i) {
        ASSERT_TRUE(r.extract(i, dir / a.entries[i].name)) << a.entries[i].name << ": " << r.error();
        EXPECT_EQ(readFile(dir / a.entries[i].name), a.entries[i].data) << a.entries[i].name;
    }
    EXPECT_EQ(contents(dir.path()).size(), a.entries.size()) << "no temporary files are left";
    struct stat st[3]{};
    for (int i = 0; i < 3; ++i) stat((dir / std::vector{"stored", "wide", "tool"}[i]).string().c_str(), &st[i]);
    char when[20];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&st[0].st_mtime));
    EXPECT_STREQ(when, "2024-03-15 12:30:00");  // the DOS time is local
    EXPECT_EQ(st[1].st_mtime, 1700000000);
    EXPECT_TRUE(windowsNames || (st[2].st_mode & 0777) == 0755) << std::oct << st[2].st_mode;
}

// Every refused entry leaves the earlier file untouched and nothing beside it.
TEST(ZipReader, RefusedExtractionsLeaveTheTargetAsItWas) {
    const auto refuse = [](const char* what, const Bytes& bytes, mz_zip_error expected, const char* to = "target") {
        SCOPED_TRACE(what);
        TempDir dir;
        writeFile(dir / "target", "previous");
        Reader r(bytes);
        ASSERT_TRUE(r.opened);
        EXPECT_FALSE(r.extract(0, dir / to));
        EXPECT_EQ(r.error(), expected) << mz_zip_get_error_string(r.error());
        EXPECT_EQ(readFile(dir / "target"), "previous");
        EXPECT_EQ(contents(dir.path()), std::set<fs::path>{dir / "target"});
    };
    const auto sized = [](std::string data, std::uint16_t method, std::uint64_t recorded) {
        return build({{with(file("f", data, method), [&](Entry& e) { e.recordedSize = recorded; })}});
    };
    Bytes corrupt = build({{file("f", mixedContent(100000))}});
    std::fill(corrupt.begin() + 40, corrupt.begin() + 140, 0xff);  // inside the compressed data
    const std::tuple<const char*, Bytes, mz_zip_error> cases[] = {
        {"CRC mismatch", build({{with(file("f", mixedContent(50000)), [](Entry& e) { e.crc = 0xdeadbeef; })}}),
         MZ_ZIP_CRC_CHECK_FAILED},
        {"encrypted", build({{with(file("f", "secret", 0), [](Entry& e) { e.extraFlags = 1; })}}),
         MZ_ZIP_UNSUPPORTED_ENCRYPTION},
        {"bzip2", build({{file("f", "bzip2 data", 12)}}), MZ_ZIP_UNSUPPORTED_METHOD},
        {"more data than recorded", sized(mixedContent(2000), 8, 1000), MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE},
        {"less data than recorded", sized(mixedContent(2000), 8, 5000), MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE},
        {"stored sizes disagree", sized("abc", 0, 4), MZ_ZIP_INVALID_HEADER_OR_CORRUPTED},
        {"corrupt deflate stream", corrupt, MZ_ZIP_DECOMPRESSION_FAILED},
        {"local header past the end", patched({{file("f", "abc", 0)}}, -27, 0x40000000),
         MZ_ZIP_INVALID_HEADER_OR_CORRUPTED},
    };
    for (const auto& [what, bytes, error] : cases) refuse(what, bytes, error);
    refuse("missing folder", build({{file("f", "abc")}}), MZ_ZIP_FILE_OPEN_FAILED, "missing/target");
#ifndef _WIN32
    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limited{64 * 1024, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    refuse("disk full", build({{file("f", mixedContent(1000000))}}), MZ_ZIP_FILE_WRITE_FAILED);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
#endif
}

TEST(ExtractFolder, NamesThatCouldLandElsewhereAreRefusedBeforeAnyWrite) {
    TempDir elsewhere;
    const std::string a(250, 'a'), b(250, 'b');
    std::vector<Archive> refused = {
        {{folder(a + "/"), folder(a + "/" + b + "/"), file(a + "/" + b + "/" + std::string(20, 'c'), "cut")}}};
    for (const std::string& name : std::vector<std::string>{
             "../escape", "a/../../escape", "a/..", "..", "C:drive", "c:/drive", "back\\slash", "control\x01",
             "line\nbreak", std::string("nul\0byte", 8), "", "del\x7f", (elsewhere / "absolute").string()})
        refused.push_back({{folder("first/"), file("first/ok.txt", "fine"), file(name, "evil")}});
    // Windows would write "dots.." as "dots" and "a./b" as "a/b", "ab:c" into a stream of "ab", and takes names
    // that differ in case for one file.
    for (const char* name : {"dots..", "...", "trail ", "a./b", "ab:c", "DOTS"})
        if (windowsNames) refused.push_back({{file("dots", "first"), file(name, "second")}});
    for (const Archive& archive : refused) {
        SCOPED_TRACE(archive.entries.back().name);
        TempDir out;
        EXPECT_THROW(
            try { extractArchiveDataToFolder(build(archive), out / "target"); } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "Failed to extract file: invalid filename");
                throw;
            },
            std::runtime_error);
        EXPECT_TRUE(fs::is_empty(out.path()));
    }
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

// The names kept, an entry that stops the run between entries, and archives that other tools wrote.
TEST(ExtractFolder, ExtractsWhatIsSafeAndStopsBetweenEntries) {
    const std::string a250(250, 'a'), b250(250, 'b');  // with 9 more bytes, as long as a name can be
    std::vector<std::string> names = {"..dots", "spa ce", "ünïcödé €.txt", a250 + "/" + b250 + "/" + "ccccccccc"};
    if (!windowsNames) names.insert(names.end(), {"dots..", "...", "a./b", "\xff\xfe raw bytes", "Case", "case"});
    Archive a{{folder(a250 + "/"), folder(a250 + "/" + b250 + "/")}};
    if (!windowsNames) a.entries.push_back(folder("a./"));
    for (const std::string& name : names) a.entries.push_back(file(name, "content of " + name));
    TempDir out, stopped;
    ASSERT_TRUE(extractArchiveDataToFolder(build(a), out.path()));
    for (const std::string& name : names) EXPECT_EQ(readFile(out / name), "content of " + name) << name;
    int asked = 0;
    EXPECT_FALSE(extractArchiveDataToFolder(build(bundle()), stopped.path(), [&] { return ++asked > 3; }));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(readFile(stopped / bundle().entries[2].name), bundle().entries[2].data);
    EXPECT_FALSE(fs::exists(stopped / bundle().entries[3].name));
    const fs::path data = TEST_DATA_DIR;
    for (const char* name : {"infozip.zip", "infozip-streamed.zip", "python-zip64.zip", "infozip-stdin.zip"}) {
        SCOPED_TRACE(name);
        TempDir tool;
        const std::string bytes = readFile(data / name);
        ASSERT_TRUE(extractArchiveDataToFolder(Bytes(bytes.begin(), bytes.end()), tool.path()));
        if (name == std::string("infozip-stdin.zip")) {  // one streamed entry named "-"
            EXPECT_EQ(readFile(tool / "-"), readFile(data / "tree/readme.txt"));
            continue;
        }
        for (const auto& e : fs::recursive_directory_iterator(data / "tree"))
            EXPECT_TRUE(e.is_directory() || readFile(tool.path() / fs::relative(e.path(), data)) == readFile(e.path()))
                << e.path();
    }
}
