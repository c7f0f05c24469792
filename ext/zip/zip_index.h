// The reader's parsed central directory: one record per entry with every
// offset already checked against the archive buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

#include "zip/zip_reader.h"

struct mz_zip_reader_entry {
    std::size_t name_offset;  // into the archive buffer
    std::uint16_t name_size;
    std::uint16_t version_made_by;
    std::uint16_t bit_flags;
    std::uint16_t method;
    std::uint16_t dos_time;
    std::uint16_t dos_date;
    std::uint32_t crc32;
    std::uint32_t external_attributes;
    std::uint64_t compressed_size;
    std::uint64_t uncompressed_size;
    std::uint64_t local_header_offset;
    std::optional<std::time_t> unix_mtime;  // from the extended-timestamp field
};

struct mz_zip_reader_index {
    std::vector<mz_zip_reader_entry> entries;
};

namespace zip_internal {

inline std::uint16_t read_u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

inline std::uint32_t read_u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(read_u16(p)) | static_cast<std::uint32_t>(read_u16(p + 2)) << 16;
}

inline std::uint64_t read_u64(const unsigned char* p) {
    return static_cast<std::uint64_t>(read_u32(p)) | static_cast<std::uint64_t>(read_u32(p + 4)) << 32;
}

// Looks an entry up, recording MZ_ZIP_INVALID_FILE_INDEX (or a closed reader
// as MZ_ZIP_INVALID_PARAMETER) in the state when there is none.
const mz_zip_reader_entry* find_entry(mz_zip_archive* zip, std::uint32_t index);

// Records the error in the state (if there is one) and returns 0 for the
// caller to pass on.
int fail(mz_zip_archive* zip, mz_zip_error error);

}  // namespace zip_internal
