// Windows backend of staged_file: UTF-8 paths widened for the wide file API,
// the finished file moved over any existing target in one step.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "staged_file.h"

namespace zip_internal {

namespace {

std::wstring widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

// A hidden name in the target's folder that no other extraction picks: the
// clock and the attempt number vary it, CREATE_NEW settles any collision.
std::wstring temporary_name(const std::wstring& target, unsigned attempt) {
    const std::size_t slash = target.find_last_of(L"/\\");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    const auto tick = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    wchar_t name[64];
    std::swprintf(name, 64, L".zip-%lu-%llx-%u.part", GetCurrentProcessId(), tick, attempt);
    return folder + name;
}

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Seconds since 1970 as the file system's 100-nanosecond ticks since 1601.
FILETIME file_time(std::time_t seconds) {
    const unsigned long long ticks = (static_cast<unsigned long long>(seconds) + 11644473600ULL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

staged_file::~staged_file() { discard(); }

// Windows files carry no Unix permission bits: `mode` has nothing to set.
mz_zip_error staged_file::open(const char* target, std::uint32_t, bool in_place) {
    const unsigned attempts = in_place ? 1 : 100;
    _target = target;
    const std::wstring wideTarget = widen(_target);
    if (wideTarget.empty()) return MZ_ZIP_FILE_OPEN_FAILED;
    for (unsigned attempt = 0; attempt < attempts; ++attempt) {
        const std::wstring temp = in_place ? wideTarget : temporary_name(wideTarget, attempt);
        const HANDLE file =
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            _handle = reinterpret_cast<std::intptr_t>(file);
            // Kept narrow like the target; both convert back losslessly.
            const int length = WideCharToMultiByte(CP_UTF8, 0, temp.c_str(), -1, nullptr, 0, nullptr, nullptr);
            _temp.assign(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
            WideCharToMultiByte(CP_UTF8, 0, temp.c_str(), -1, _temp.data(), length, nullptr, nullptr);
            return MZ_ZIP_NO_ERROR;
        }
        _os_error = GetLastError();
        if (_os_error != ERROR_FILE_EXISTS) break;
    }
    return MZ_ZIP_FILE_OPEN_FAILED;
}

mz_zip_error staged_file::write(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_of(_handle), data, chunk, &written, nullptr) || written == 0) {
            _os_error = written == 0 && GetLastError() == 0 ? ERROR_DISK_FULL : GetLastError();
            return MZ_ZIP_FILE_WRITE_FAILED;
        }
        data += written;
        size -= written;
    }
    return MZ_ZIP_NO_ERROR;
}

mz_zip_error staged_file::commit(std::time_t mtime) {
    const FILETIME modified = file_time(mtime);
    const auto failed = [this](mz_zip_error e) {
        _os_error = GetLastError();
        return e;
    };
    if (!SetFileTime(handle_of(_handle), nullptr, nullptr, &modified)) return failed(MZ_ZIP_FILE_WRITE_FAILED);
    const HANDLE file = handle_of(_handle);
    _handle = -1;
    if (!CloseHandle(file)) return failed(MZ_ZIP_FILE_CLOSE_FAILED);
    if (_temp != _target && !MoveFileExW(widen(_temp).c_str(), widen(_target).c_str(), MOVEFILE_REPLACE_EXISTING))
        return failed(MZ_ZIP_FILE_RENAME_FAILED);
    _temp.clear();
    return MZ_ZIP_NO_ERROR;
}

void staged_file::discard() {
    if (_handle != -1) CloseHandle(handle_of(_handle));
    _handle = -1;
    if (!_temp.empty()) DeleteFileW(widen(_temp).c_str());
    _temp.clear();
}

}  // namespace zip_internal
