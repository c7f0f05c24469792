#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zip/zip_reader.h"

// Owns one zip reader state, ended however the reader was left.
class ZipArchive {
public:
    ZipArchive() : _archive{} {}
    ~ZipArchive() { mz_zip_reader_end(&_archive); }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    mz_zip_archive& get() { return _archive; }

    // The stored name, cut to 511 bytes. Bytes after an embedded NUL are kept
    // so that such a name is seen, and refused, as it is.
    std::string getFileNameForIndex(std::uint32_t index);

    // Whether the stored name is longer than getFileNameForIndex returns.
    bool nameIsCut(std::uint32_t index);

private:
    mz_zip_archive _archive;
};

// A name the extraction may join to its folder: relative, without a drive,
// root, ".." element, backslash or control character, so that it can only
// land below the folder. Windows also drops trailing dots and blanks from an
// element and reads a colon as a stream name, so two different entries could
// silently land on one file there: such names are refused on Windows too.
bool isSafeEntryName(std::string_view name);

// Names are UTF-8 in the archive and for the reader's file opening; the path
// type converts where the platform's paths are not narrow UTF-8.
std::filesystem::path entryPath(const std::string& name);
std::string readerPath(const std::filesystem::path& path);

// The first entry that must not be extracted: a name that could land
// outside the folder, one longer than the reader returns (it would be
// written under a shortened name), or, where names are compared without
// regard to case, one that names the same file as an earlier entry. None
// when every entry may be written.
std::optional<std::uint32_t> firstRefusedEntry(ZipArchive& archive);

// Unpacks every entry of the archive in `data` below `folder`, in the
// archive's order; directory entries must precede what they hold. Every name
// is checked before anything is written. `stop` is asked before each entry;
// once it says true the extraction ends, leaving the entries written so far
// complete, and returns false. Failures throw std::runtime_error (or the
// filesystem error of a folder that cannot be made).
bool extractArchiveDataToFolder(std::span<const unsigned char> data, const std::filesystem::path& folder,
                                const std::function<bool()>& stop = {});
