// A small read-only zip reader over zlib: opens an archive held in memory and
// extracts single entries to files. Stored and deflated entries, data
// descriptors, Zip64 sizes and offsets and archive comments are understood;
// encrypted entries, other compression methods and split archives are refused.
//
// The reader state is a plain record: zero-fill it, open it with
// mz_zip_reader_init_mem, and always release it with mz_zip_reader_end (which
// is harmless on a zero-filled state that was never opened). Calls that
// succeed return non-zero; after a failure mz_zip_get_last_error tells why.
#pragma once

#include <cstddef>
#include <cstdint>

enum mz_zip_error : std::uint32_t {
    MZ_ZIP_NO_ERROR = 0,
    MZ_ZIP_NOT_AN_ARCHIVE,
    MZ_ZIP_INVALID_HEADER_OR_CORRUPTED,
    MZ_ZIP_UNSUPPORTED_MULTIDISK,
    MZ_ZIP_UNSUPPORTED_METHOD,
    MZ_ZIP_UNSUPPORTED_ENCRYPTION,
    MZ_ZIP_DECOMPRESSION_FAILED,
    MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE,
    MZ_ZIP_CRC_CHECK_FAILED,
    MZ_ZIP_ALLOC_FAILED,
    MZ_ZIP_FILE_OPEN_FAILED,
    MZ_ZIP_FILE_WRITE_FAILED,
    MZ_ZIP_FILE_CLOSE_FAILED,
    MZ_ZIP_FILE_RENAME_FAILED,
    MZ_ZIP_INVALID_PARAMETER,
    MZ_ZIP_INVALID_FILE_INDEX,
    MZ_ZIP_STOPPED,
};

// Accepted by mz_zip_reader_init_mem. The reader never looks entries up by
// name, so names are always compared byte for byte; the flag is the only one
// the reader takes.
inline constexpr std::uint32_t MZ_ZIP_FLAG_CASE_SENSITIVE = 0x100;

struct mz_zip_reader_index;  // the parsed central directory, owned by the state

struct mz_zip_archive {
    const unsigned char* data;  // borrowed: must outlive the open reader
    std::size_t size;
    std::uint32_t num_files;
    std::uint32_t flags;
    mz_zip_error last_error;
    // The system's code (errno, or GetLastError on Windows) behind the last
    // failed file operation; 0 when the last failure had none.
    std::uint32_t last_os_error;
    mz_zip_reader_index* index;
};

// Reads the central directory of the archive at mem[0, size). Non-zero on
// success; the bytes are borrowed until mz_zip_reader_end.
int mz_zip_reader_init_mem(mz_zip_archive* zip, const void* mem, std::size_t size, std::uint32_t flags);

// Number of entries; 0 for a reader that is not open.
std::uint32_t mz_zip_reader_get_num_files(mz_zip_archive* zip);

// Copies the stored name of entry `index` into buf, cut to buf_size - 1 bytes
// and NUL-terminated, and returns the bytes written including the NUL. With a
// null buf or zero buf_size it returns the full name's length plus one. Returns
// 0 for an invalid index. Names may hold any byte, NUL included: use the
// returned length rather than strlen.
std::uint32_t mz_zip_reader_get_filename(mz_zip_archive* zip, std::uint32_t index, char* buf, std::uint32_t buf_size);

// Non-zero when entry `index` is a folder: its name ends in '/' or it carries
// the MS-DOS directory attribute.
int mz_zip_reader_is_file_a_directory(mz_zip_archive* zip, std::uint32_t index);

// Writes entry `index` to the file at `path` (UTF-8), replacing any file of
// that name. The data is streamed through a temporary file beside the target,
// checked against the recorded size and CRC-32, stamped with the entry's
// modification time and only then renamed over the target, so a failure never
// leaves a partial file under the target's name. flags must be 0.
int mz_zip_reader_extract_to_file(mz_zip_archive* zip, std::uint32_t index, const char* path, std::uint32_t flags);

// Asked between chunks of an entry's data; returning zero stops the
// extraction with MZ_ZIP_STOPPED.
using mz_zip_keep_going = int (*)(void* opaque);

// Writes entry `index` to a new file at `path` (UTF-8), which must not exist
// yet, with the same checks and stamping as mz_zip_reader_extract_to_file but
// without a temporary name: for callers that stage files themselves. On any
// failure, a stop included, the file is removed again. `keep_going` may be
// null.
int mz_zip_reader_extract_to_new_file(mz_zip_archive* zip, std::uint32_t index, const char* path,
                                      mz_zip_keep_going keep_going, void* opaque);

mz_zip_error mz_zip_get_last_error(mz_zip_archive* zip);

// A short English text for the code, e.g. "CRC-32 check failed".
const char* mz_zip_get_error_string(mz_zip_error error);

// Releases the reader and zero-fills the state. Always returns non-zero.
int mz_zip_reader_end(mz_zip_archive* zip);
