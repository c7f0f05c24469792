// Opening an archive: locating and parsing its central directory.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "zip_index.h"

namespace zip_internal {

int fail(mz_zip_archive* zip, mz_zip_error error) {
    if (zip) zip->last_error = error;
    return 0;
}

const mz_zip_reader_entry* find_entry(mz_zip_archive* zip, std::uint32_t index) {
    if (!zip) return nullptr;
    if (!zip->index) {
        fail(zip, MZ_ZIP_INVALID_PARAMETER);
        return nullptr;
    }
    if (index >= zip->index->entries.size()) {
        fail(zip, MZ_ZIP_INVALID_FILE_INDEX);
        return nullptr;
    }
    return &zip->index->entries[index];
}

}  // namespace zip_internal

namespace {

using namespace zip_internal;

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kMaxCommentSize = 0xffff;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kTimestampExtraId = 0x5455;

// Where the central directory lies and how many entries it claims.
struct Directory {
    std::uint64_t offset;
    std::uint64_t size;
    std::uint64_t entries;
};

class Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : _data(data), _size(size) {}

    mz_zip_error read(mz_zip_reader_index& index) const {
        std::size_t end = 0;
        if (!findEnd(end)) return MZ_ZIP_NOT_AN_ARCHIVE;
        Directory dir{};
        if (mz_zip_error e = readEnd(end, dir); e != MZ_ZIP_NO_ERROR) return e;
        if (dir.offset > _size || dir.size > _size - dir.offset) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        if (dir.entries > dir.size / kCentralSize) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        index.entries.reserve(static_cast<std::size_t>(dir.entries));
        std::size_t pos = static_cast<std::size_t>(dir.offset);
        const std::size_t limit = pos + static_cast<std::size_t>(dir.size);
        for (std::uint64_t i = 0; i < dir.entries; ++i) {
            mz_zip_reader_entry entry{};
            if (mz_zip_error e = readCentral(pos, limit, entry); e != MZ_ZIP_NO_ERROR) return e;
            index.entries.push_back(entry);
        }
        return MZ_ZIP_NO_ERROR;
    }

private:
    // The end record is the last one whose comment reaches exactly the end of
    // the buffer; failing that (trailing bytes after the archive), the last
    // one whose comment fits at all.
    bool findEnd(std::size_t& end) const {
        if (_size < kEndSize) return false;
        const std::size_t lowest = _size - kEndSize - std::min(_size - kEndSize, kMaxCommentSize);
        std::optional<std::size_t> fitting;
        for (std::size_t pos = _size - kEndSize + 1; pos-- > lowest;) {
            if (read_u32(_data + pos) != kEndSignature) continue;
            const std::size_t tail = pos + kEndSize + read_u16(_data + pos + 20);
            if (tail == _size) {
                end = pos;
                return true;
            }
            if (tail < _size && !fitting) fitting = pos;
        }
        if (!fitting) return false;
        end = *fitting;
        return true;
    }

    mz_zip_error readEnd(std::size_t end, Directory& dir) const {
        const unsigned char* p = _data + end;
        const std::uint16_t disk = read_u16(p + 4);
        const std::uint16_t directoryDisk = read_u16(p + 6);
        const std::uint16_t entriesHere = read_u16(p + 8);
        dir = {read_u32(p + 16), read_u32(p + 12), read_u16(p + 10)};
        if (end >= kZip64LocatorSize && read_u32(_data + end - kZip64LocatorSize) == kZip64LocatorSignature)
            return readZip64End(end - kZip64LocatorSize, dir);
        if (disk != 0 || directoryDisk != 0 || entriesHere != dir.entries) return MZ_ZIP_UNSUPPORTED_MULTIDISK;
        return MZ_ZIP_NO_ERROR;
    }

    mz_zip_error readZip64End(std::size_t locator, Directory& dir) const {
        const unsigned char* l = _data + locator;
        if (read_u32(l + 4) != 0 || read_u32(l + 16) > 1) return MZ_ZIP_UNSUPPORTED_MULTIDISK;
        const std::uint64_t at = read_u64(l + 8);
        if (at > locator || locator - at < kZip64EndSize) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        const unsigned char* p = _data + at;
        if (read_u32(p) != kZip64EndSignature) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        if (read_u32(p + 16) != 0 || read_u32(p + 20) != 0 || read_u64(p + 24) != read_u64(p + 32))
            return MZ_ZIP_UNSUPPORTED_MULTIDISK;
        dir = {read_u64(p + 48), read_u64(p + 40), read_u64(p + 32)};
        return MZ_ZIP_NO_ERROR;
    }

    mz_zip_error readCentral(std::size_t& pos, std::size_t limit, mz_zip_reader_entry& entry) const {
        if (limit - pos < kCentralSize) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        const unsigned char* p = _data + pos;
        if (read_u32(p) != kCentralSignature) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        const std::size_t nameSize = read_u16(p + 28);
        const std::size_t extraSize = read_u16(p + 30);
        const std::size_t commentSize = read_u16(p + 32);
        if (limit - pos - kCentralSize < nameSize + extraSize + commentSize) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        entry.version_made_by = read_u16(p + 4);
        entry.bit_flags = read_u16(p + 8);
        entry.method = read_u16(p + 10);
        entry.dos_time = read_u16(p + 12);
        entry.dos_date = read_u16(p + 14);
        entry.crc32 = read_u32(p + 16);
        entry.compressed_size = read_u32(p + 20);
        entry.uncompressed_size = read_u32(p + 24);
        entry.name_offset = pos + kCentralSize;
        entry.name_size = static_cast<std::uint16_t>(nameSize);
        entry.external_attributes = read_u32(p + 38);
        entry.local_header_offset = read_u32(p + 42);
        const std::uint16_t startDisk = read_u16(p + 34);
        if (mz_zip_error e = readExtra(p + kCentralSize + nameSize, extraSize, startDisk, entry); e != MZ_ZIP_NO_ERROR)
            return e;
        pos += kCentralSize + nameSize + extraSize + commentSize;
        return MZ_ZIP_NO_ERROR;
    }

    // Zip64 values replace, in this order, only the fields saturated at their
    // 32-bit (or 16-bit) maximum.
    static mz_zip_error readExtra(const unsigned char* p, std::size_t size, std::uint16_t startDisk,
                                  mz_zip_reader_entry& entry) {
        bool needZip64 = entry.uncompressed_size == 0xffffffff || entry.compressed_size == 0xffffffff ||
                         entry.local_header_offset == 0xffffffff || startDisk == 0xffff;
        while (size >= 4) {
            const std::uint16_t id = read_u16(p);
            const std::size_t fieldSize = read_u16(p + 2);
            if (fieldSize > size - 4) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
            const unsigned char* field = p + 4;
            if (id == kZip64ExtraId && needZip64) {
                if (!readZip64Field(field, fieldSize, startDisk, entry)) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
                needZip64 = false;
            } else if (id == kTimestampExtraId && fieldSize >= 5 && (field[0] & 1)) {
                entry.unix_mtime = static_cast<std::time_t>(static_cast<std::int32_t>(read_u32(field + 1)));
            }
            p += 4 + fieldSize;
            size -= 4 + fieldSize;
        }
        if (needZip64) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
        if (startDisk != 0) return MZ_ZIP_UNSUPPORTED_MULTIDISK;
        return MZ_ZIP_NO_ERROR;
    }

    static bool readZip64Field(const unsigned char* field, std::size_t size, std::uint16_t& startDisk,
                               mz_zip_reader_entry& entry) {
        std::size_t at = 0;
        for (std::uint64_t* value : {&entry.uncompressed_size, &entry.compressed_size, &entry.local_header_offset}) {
            if (*value != 0xffffffff) continue;
            if (size - at < 8) return false;
            *value = read_u64(field + at);
            at += 8;
        }
        if (startDisk == 0xffff) {
            if (size - at < 4) return false;
            startDisk = read_u32(field + at) == 0 ? 0 : 1;
        }
        return true;
    }

    const unsigned char* _data;
    std::size_t _size;
};

}  // namespace

int mz_zip_reader_init_mem(mz_zip_archive* zip, const void* mem, std::size_t size, std::uint32_t flags) {
    if (!zip) return 0;
    if (zip->index || (!mem && size) || (flags & ~MZ_ZIP_FLAG_CASE_SENSITIVE))
        return fail(zip, MZ_ZIP_INVALID_PARAMETER);
    try {
        auto index = std::make_unique<mz_zip_reader_index>();
        const auto* data = static_cast<const unsigned char*>(mem);
        if (mz_zip_error e = Reader(data, size).read(*index); e != MZ_ZIP_NO_ERROR) return fail(zip, e);
        if (index->entries.size() > 0xffffffffu) return fail(zip, MZ_ZIP_INVALID_HEADER_OR_CORRUPTED);
        zip->data = data;
        zip->size = size;
        zip->num_files = static_cast<std::uint32_t>(index->entries.size());
        zip->flags = flags;
        zip->last_error = MZ_ZIP_NO_ERROR;
        zip->index = index.release();
        return 1;
    } catch (const std::bad_alloc&) {
        return fail(zip, MZ_ZIP_ALLOC_FAILED);
    }
}

std::uint32_t mz_zip_reader_get_num_files(mz_zip_archive* zip) { return zip && zip->index ? zip->num_files : 0; }

std::uint32_t mz_zip_reader_get_filename(mz_zip_archive* zip, std::uint32_t index, char* buf, std::uint32_t buf_size) {
    const mz_zip_reader_entry* entry = find_entry(zip, index);
    if (!entry) return 0;
    if (!buf || buf_size == 0) return entry->name_size + 1u;
    const std::uint32_t n = std::min<std::uint32_t>(entry->name_size, buf_size - 1);
    std::memcpy(buf, zip->data + entry->name_offset, n);
    buf[n] = '\0';
    return n + 1;
}

int mz_zip_reader_is_file_a_directory(mz_zip_archive* zip, std::uint32_t index) {
    constexpr std::uint32_t kDosDirectoryAttribute = 0x10;
    const mz_zip_reader_entry* entry = find_entry(zip, index);
    if (!entry) return 0;
    if (entry->name_size > 0 && zip->data[entry->name_offset + entry->name_size - 1] == '/') return 1;
    return (entry->external_attributes & kDosDirectoryAttribute) ? 1 : 0;
}

mz_zip_error mz_zip_get_last_error(mz_zip_archive* zip) { return zip ? zip->last_error : MZ_ZIP_INVALID_PARAMETER; }

const char* mz_zip_get_error_string(mz_zip_error error) {
    switch (error) {
        case MZ_ZIP_NO_ERROR:
            return "no error";
        case MZ_ZIP_NOT_AN_ARCHIVE:
            return "not a zip archive";
        case MZ_ZIP_INVALID_HEADER_OR_CORRUPTED:
            return "invalid header or archive is corrupted";
        case MZ_ZIP_UNSUPPORTED_MULTIDISK:
            return "split archives are not supported";
        case MZ_ZIP_UNSUPPORTED_METHOD:
            return "unsupported compression method";
        case MZ_ZIP_UNSUPPORTED_ENCRYPTION:
            return "encrypted entries are not supported";
        case MZ_ZIP_DECOMPRESSION_FAILED:
            return "decompression failed or archive is corrupted";
        case MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE:
            return "unexpected decompressed size";
        case MZ_ZIP_CRC_CHECK_FAILED:
            return "CRC-32 check failed";
        case MZ_ZIP_ALLOC_FAILED:
            return "out of memory";
        case MZ_ZIP_FILE_OPEN_FAILED:
            return "file open failed";
        case MZ_ZIP_FILE_WRITE_FAILED:
            return "file write failed";
        case MZ_ZIP_FILE_CLOSE_FAILED:
            return "file close failed";
        case MZ_ZIP_FILE_RENAME_FAILED:
            return "file rename failed";
        case MZ_ZIP_INVALID_PARAMETER:
            return "invalid parameter";
        case MZ_ZIP_INVALID_FILE_INDEX:
            return "invalid file index";
        case MZ_ZIP_STOPPED:
            return "stopped";
    }
    return "unknown error";
}

int mz_zip_reader_end(mz_zip_archive* zip) {
    if (!zip) return 0;
    delete zip->index;
    *zip = mz_zip_archive{};
    return 1;
}
