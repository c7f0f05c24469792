#include "shared/zip.h"

#include <algorithm>
#include <cwctype>
#include <set>
#include <stdexcept>

namespace {

constexpr bool windowsNames = std::filesystem::path::preferred_separator == '\\';

// The name as Windows compares file names: without regard to case and
// without a trailing separator. Elsewhere names are compared as they are.
std::filesystem::path::string_type comparableName(const std::string& name) {
    std::string_view trimmed = name;
    while (!trimmed.empty() && trimmed.back() == '/') trimmed.remove_suffix(1);
    auto native = entryPath(std::string(trimmed)).native();
    if constexpr (windowsNames)
        for (auto& c : native) c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return native;
}

}  // namespace

std::string ZipArchive::getFileNameForIndex(std::uint32_t index) {
    char name[512];
    const std::uint32_t written = mz_zip_reader_get_filename(&_archive, index, name, sizeof name);
    return std::string(name, written > 0 ? written - 1 : 0);
}

bool ZipArchive::nameIsCut(std::uint32_t index) {
    return mz_zip_reader_get_filename(&_archive, index, nullptr, 0) > 512;
}

bool isSafeEntryName(std::string_view name) {
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

std::filesystem::path entryPath(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string readerPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    std::string narrow(utf8.begin(), utf8.end());
    if constexpr (windowsNames)
        for (char& c : narrow)
            if (c == '\\') c = '/';
    return narrow;
}

std::optional<std::uint32_t> firstRefusedEntry(ZipArchive& archive) {
    std::set<std::filesystem::path::string_type> seen;
    const std::uint32_t count = mz_zip_reader_get_num_files(&archive.get());
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string name = archive.getFileNameForIndex(i);
        if (archive.nameIsCut(i) || !isSafeEntryName(name)) return i;
        if (windowsNames && !seen.insert(comparableName(name)).second) return i;
    }
    return std::nullopt;
}

bool extractArchiveDataToFolder(std::span<const unsigned char> data, const std::filesystem::path& folder,
                                const std::function<bool()>& stop) {
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
