#pragma once

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <optional>
#include <set>
#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>
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
    std::string getFileNameForIndex(std::uint32_t index) {
        char name[512];
        const std::uint32_t written = mz_zip_reader_get_filename(&_archive, index, name, sizeof name);
        return std::string(name, written > 0 ? written - 1 : 0);
    }

    // Whether the stored name is longer than getFileNameForIndex returns.
    bool nameIsCut(std::uint32_t index) {
        return mz_zip_reader_get_filename(&_archive, index, nullptr, 0) > 512;
    }

private:
    mz_zip_archive _archive;
};

// A name the extraction may join to its folder: relative, without a drive,
// root, ".." element, backslash or control character, so that it can only
// land below the folder. Windows also drops trailing dots and blanks from an
// element and reads a colon as a stream name, so two different entries could
// silently land on one file there: such names are refused on Windows too.
inline bool isSafeEntryName(std::string_view name) {
    constexpr bool windowsNames = std::filesystem::path::preferred_separator == '\\';
    if (name.empty() || name.front() == '/') return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '\\' || (windowsNames && c == ':')) return false;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view element = name.substr(start, end - start);
        if (element == "..") return false;
        if (windowsNames && element != "." && !element.empty() && (element.back() == '.' || element.back() == ' '))
            return false;
        start = end + 1;
    }
    return !std::filesystem::path(name).has_root_path();
}

// Names are UTF-8 in the archive and for the reader's file opening; the path
// type converts where the platform's paths are not narrow UTF-8.
inline std::filesystem::path entryPath(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

inline std::string readerPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    std::string narrow(utf8.begin(), utf8.end());
    if constexpr (std::filesystem::path::preferred_separator == '\\')
        for (char& c : narrow)
            if (c == '\\') c = '/';
    return narrow;
}

// The name as Windows compares file names: without regard to case and
// without a trailing separator. Elsewhere names are compared as they are.
inline std::filesystem::path::string_type comparableName(const std::string& name) {
    std::string_view trimmed = name;
    while (!trimmed.empty() && trimmed.back() == '/') trimmed.remove_suffix(1);
    auto native = entryPath(std::string(trimmed)).native();
    if constexpr (std::filesystem::path::preferred_separator == '\\')
        for (auto& c : native) c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return native;
}

// The first entry that must not be extracted: a name that could land
// outside the folder, one longer than the reader returns (it would be
// written under a shortened name), or, where names are compared without
// regard to case, one that names the same file as an earlier entry. None
// when every entry may be written.
inline std::optional<std::uint32_t> firstRefusedEntry(ZipArchive& archive) {
    constexpr bool foldCase = std::filesystem::path::preferred_separator == '\\';
    std::set<std::filesystem::path::string_type> seen;
    const std::uint32_t count = mz_zip_reader_get_num_files(&archive.get());
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string name = archive.getFileNameForIndex(i);
        if (archive.nameIsCut(i) || !isSafeEntryName(name)) return i;
        if (foldCase && !seen.insert(comparableName(name)).second) return i;
    }
    return std::nullopt;
}

// Unpacks every entry of the archive in `data` below `folder`, in the
// archive's order; directory entries must precede what they hold. Every name
// is checked before anything is written. `stop` is asked before each entry;
// once it says true the extraction ends, leaving the entries written so far
// complete, and returns false. Failures throw std::runtime_error (or the
// filesystem error of a folder that cannot be made).
inline bool extractArchiveDataToFolder(std::span<const unsigned char> data, const std::filesystem::path& folder,
                                       const std::function<bool()>& stop = {}) {
    ZipArchive archive;
    if (!mz_zip_reader_init_mem(&archive.get(), data.data(), data.size(), MZ_ZIP_FLAG_CASE_SENSITIVE))
        throw std::runtime_error("Failed to open zip archive");
    const std::uint32_t count = mz_zip_reader_get_num_files(&archive.get());
    if (firstRefusedEntry(archive)) throw std::runtime_error("Failed to extract file: invalid filename");
    for (std::uint32_t i = 0; i < count; ++i) {
        if (stop && stop()) return false;
        const std::filesystem::path dest = folder / entryPath(archive.getFileNameForIndex(i));
        if (mz_zip_reader_is_file_a_directory(&archive.get(), i)) {
            std::filesystem::create_directories(dest);
        } else if (!mz_zip_reader_extract_to_file(&archive.get(), i, readerPath(dest).c_str(), 0)) {
            throw std::runtime_error(std::string("Failed to extract file: ") +
                                     mz_zip_get_error_string(mz_zip_get_last_error(&archive.get())));
        }
    }
    return true;
}
