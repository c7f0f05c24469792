// POSIX backend of staged_file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "staged_file.h"

namespace zip_internal {

namespace {

// A hidden name in the target's folder that no other extraction picks: the
// clock and the attempt number vary it, O_EXCL settles any collision.
std::string temporary_name(const std::string& target, unsigned attempt) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const auto tick = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char name[64];
    std::snprintf(name, sizeof name, ".zip-%d-%llx-%u.part", static_cast<int>(getpid()), tick, attempt);
    return folder + name;
}

}  // namespace

staged_file::~staged_file() { discard(); }

mz_zip_error staged_file::open(const char* target, std::uint32_t mode, bool in_place) {
    const unsigned attempts = in_place ? 1 : 100;
    _target = target;
    for (unsigned attempt = 0; attempt < attempts; ++attempt) {
        std::string temp = in_place ? _target : temporary_name(_target, attempt);
        // The umask applies to `mode` as it would to a file opened in place.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0) {
            _handle = fd;
            _temp = std::move(temp);
            return MZ_ZIP_NO_ERROR;
        }
        _os_error = static_cast<std::uint32_t>(errno);
        if (errno != EEXIST) break;
    }
    return MZ_ZIP_FILE_OPEN_FAILED;
}

mz_zip_error staged_file::write(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(_handle), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            _os_error = n < 0 ? static_cast<std::uint32_t>(errno) : ENOSPC;
            return MZ_ZIP_FILE_WRITE_FAILED;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return MZ_ZIP_NO_ERROR;
}

mz_zip_error staged_file::commit(std::time_t mtime) {
    const timespec times[2] = {{0, UTIME_NOW}, {mtime, 0}};
    const auto failed = [this](mz_zip_error e) {
        _os_error = static_cast<std::uint32_t>(errno);
        return e;
    };
    if (::futimens(static_cast<int>(_handle), times) != 0) return failed(MZ_ZIP_FILE_WRITE_FAILED);
    const int fd = static_cast<int>(_handle);
    _handle = -1;
    if (::close(fd) != 0) return failed(MZ_ZIP_FILE_CLOSE_FAILED);
    if (_temp != _target && ::rename(_temp.c_str(), _target.c_str()) != 0) return failed(MZ_ZIP_FILE_RENAME_FAILED);
    _temp.clear();
    return MZ_ZIP_NO_ERROR;
}

void staged_file::discard() {
    if (_handle >= 0) ::close(static_cast<int>(_handle));
    _handle = -1;
    if (!_temp.empty()) ::unlink(_temp.c_str());
    _temp.clear();
}

}  // namespace zip_internal
