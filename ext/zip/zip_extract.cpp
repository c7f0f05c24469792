// Extracting one entry: locating its data through the local header, then
// streaming it (copied or inflated) into a staged file while checking its
// size and CRC-32.
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "staged_file.h"
#include "zip_index.h"

namespace {

using namespace zip_internal;

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kFlagEncrypted = 1u << 0;
constexpr std::uint16_t kFlagStrongEncryption = 1u << 6;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr unsigned kHostUnix = 3;
constexpr std::size_t kChunk = 256 * 1024;
// zlib counts input in 32-bit words; larger entries are fed in slices.
constexpr std::size_t kMaxSlice = 1u << 30;

std::uint32_t crc_update(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const std::size_t n = std::min(size, kMaxSlice);
        crc = static_cast<std::uint32_t>(::crc32(crc, data, static_cast<uInt>(n)));
        data += n;
        size -= n;
    }
    return crc;
}

// The entry's compressed bytes, bounded by the buffer.
mz_zip_error locate_data(const mz_zip_archive& zip, const mz_zip_reader_entry& entry, const unsigned char*& data) {
    if (entry.local_header_offset > zip.size || zip.size - entry.local_header_offset < kLocalSize)
        return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
    const unsigned char* local = zip.data + entry.local_header_offset;
    if (read_u32(local) != kLocalSignature) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
    const std::size_t start =
        static_cast<std::size_t>(entry.local_header_offset) + kLocalSize + read_u16(local + 26) + read_u16(local + 28);
    if (start > zip.size || zip.size - start < entry.compressed_size) return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
    data = zip.data + start;
    return MZ_ZIP_NO_ERROR;
}

// Between chunks: whether the caller still wants the rest.
struct stop_check {
    mz_zip_keep_going keep_going = nullptr;
    void* opaque = nullptr;
    bool stopped() const { return keep_going && !keep_going(opaque); }
};

mz_zip_error copy_stored(const unsigned char* data, std::size_t size, staged_file& out, std::uint32_t& crc,
                         const stop_check& check) {
    while (size > 0) {
        if (check.stopped()) return MZ_ZIP_STOPPED;
        const std::size_t n = std::min(size, kChunk * 4);
        crc = crc_update(crc, data, n);
        if (mz_zip_error e = out.write(data, n); e != MZ_ZIP_NO_ERROR) return e;
        data += n;
        size -= n;
    }
    return MZ_ZIP_NO_ERROR;
}

class inflater {
public:
    inflater() = default;
    inflater(const inflater&) = delete;
    inflater& operator=(const inflater&) = delete;
    ~inflater() {
        if (_ready) inflateEnd(&_stream);
    }

    // Inflates exactly `expected` bytes out of `data`; more output, or a stream
    // that ends early or never, is an error.
    mz_zip_error run(const unsigned char* data, std::size_t size, std::uint64_t expected, staged_file& out,
                     std::uint32_t& crc, const stop_check& check) {
        const int init = inflateInit2(&_stream, -MAX_WBITS);
        if (init != Z_OK) return init == Z_MEM_ERROR ? MZ_ZIP_ALLOC_FAILED : MZ_ZIP_DECOMPRESSION_FAILED;
        _ready = true;
        const auto buffer = std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[kChunk]);
        if (!buffer) return MZ_ZIP_ALLOC_FAILED;
        std::uint64_t written = 0;
        for (;;) {
            if (check.stopped()) return MZ_ZIP_STOPPED;
            if (_stream.avail_in == 0 && size > 0) {
                const std::size_t n = std::min(size, kMaxSlice);
                _stream.next_in = const_cast<unsigned char*>(data);
                _stream.avail_in = static_cast<uInt>(n);
                data += n;
                size -= n;
            }
            _stream.next_out = buffer.get();
            _stream.avail_out = static_cast<uInt>(kChunk);
            const int status = inflate(&_stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END) {
                if (status == Z_MEM_ERROR) return MZ_ZIP_ALLOC_FAILED;
                return MZ_ZIP_DECOMPRESSION_FAILED;  // corrupt data, or input ran out before the end
            }
            const std::size_t produced = kChunk - _stream.avail_out;
            if (produced > expected - written) return MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE;
            written += produced;
            crc = crc_update(crc, buffer.get(), produced);
            if (mz_zip_error e = out.write(buffer.get(), produced); e != MZ_ZIP_NO_ERROR) return e;
            if (status == Z_STREAM_END) break;
        }
        return written == expected ? MZ_ZIP_NO_ERROR : MZ_ZIP_UNEXPECTED_DECOMPRESSED_SIZE;
    }

private:
    z_stream _stream{};
    bool _ready = false;
};

// Unix permission bits where the archive was made on Unix, else what a plain
// file creation gives.
std::uint32_t file_mode(const mz_zip_reader_entry& entry) {
    const std::uint32_t unixMode = (entry.external_attributes >> 16) & 0777;
    if ((entry.version_made_by >> 8) == kHostUnix && unixMode != 0) return unixMode;
    return 0666;
}

// The extended timestamp is exact; the MS-DOS fields are local time.
std::time_t modification_time(const mz_zip_reader_entry& entry) {
    if (entry.unix_mtime) return *entry.unix_mtime;
    std::tm t{};
    t.tm_year = 80 + (entry.dos_date >> 9);
    t.tm_mon = ((entry.dos_date >> 5) & 0xf) - 1;
    t.tm_mday = entry.dos_date & 0x1f;
    t.tm_hour = entry.dos_time >> 11;
    t.tm_min = (entry.dos_time >> 5) & 0x3f;
    t.tm_sec = (entry.dos_time & 0x1f) * 2;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

mz_zip_error extract(mz_zip_archive& zip, const mz_zip_reader_entry& entry, const char* path, bool in_place,
                     const stop_check& check) {
    if (entry.bit_flags & (kFlagEncrypted | kFlagStrongEncryption)) return MZ_ZIP_UNSUPPORTED_ENCRYPTION;
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) return MZ_ZIP_UNSUPPORTED_METHOD;
    if (entry.method == kMethodStored && entry.compressed_size != entry.uncompressed_size)
        return MZ_ZIP_INVALID_HEADER_OR_CORRUPTED;
    const unsigned char* data = nullptr;
    if (mz_zip_error e = locate_data(zip, entry, data); e != MZ_ZIP_NO_ERROR) return e;
    const auto size = static_cast<std::size_t>(entry.compressed_size);

    staged_file out;
    const auto result = [&](mz_zip_error e) {
        zip.last_os_error = out.os_error();
        return e;
    };
    if (mz_zip_error e = out.open(path, file_mode(entry), in_place); e != MZ_ZIP_NO_ERROR) return result(e);
    std::uint32_t crc = 0;
    const mz_zip_error copied = entry.method == kMethodStored
                                    ? copy_stored(data, size, out, crc, check)
                                    : inflater().run(data, size, entry.uncompressed_size, out, crc, check);
    if (copied != MZ_ZIP_NO_ERROR) return result(copied);
    if (crc != entry.crc32) return result(MZ_ZIP_CRC_CHECK_FAILED);
    return result(out.commit(modification_time(entry)));
}

int extract_entry(mz_zip_archive* zip, std::uint32_t index, const char* path, bool in_place, const stop_check& check) {
    const mz_zip_reader_entry* entry = find_entry(zip, index);
    if (!entry) return 0;
    zip->last_os_error = 0;
    try {
        const mz_zip_error e = extract(*zip, *entry, path, in_place, check);
        return e == MZ_ZIP_NO_ERROR ? 1 : fail(zip, e);
    } catch (const std::bad_alloc&) {
        return fail(zip, MZ_ZIP_ALLOC_FAILED);
    }
}

}  // namespace

int mz_zip_reader_extract_to_file(mz_zip_archive* zip, std::uint32_t index, const char* path, std::uint32_t flags) {
    if (!path || flags != 0) return find_entry(zip, index) ? fail(zip, MZ_ZIP_INVALID_PARAMETER) : 0;
    return extract_entry(zip, index, path, false, {});
}

int mz_zip_reader_extract_to_new_file(mz_zip_archive* zip, std::uint32_t index, const char* path,
                                      mz_zip_keep_going keep_going, void* opaque) {
    if (!path) return find_entry(zip, index) ? fail(zip, MZ_ZIP_INVALID_PARAMETER) : 0;
    return extract_entry(zip, index, path, true, {keep_going, opaque});
}
