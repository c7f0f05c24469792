// The platform side of extraction: a file written under a temporary name in
// its target's folder and moved over the target only once it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "zip/zip_reader.h"

namespace zip_internal {

class staged_file {
public:
    staged_file() = default;
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;
    // Removes the temporary file unless commit succeeded.
    ~staged_file();

    // Creates the temporary file beside `target` (a UTF-8 path), or with
    // `in_place` the target itself, which must not exist. `mode` holds the
    // permission bits asked for where the platform has them.
    mz_zip_error open(const char* target, std::uint32_t mode, bool in_place = false);
    mz_zip_error write(const unsigned char* data, std::size_t size);
    // Closes the file, stamps its modification time and renames it over the
    // target.
    mz_zip_error commit(std::time_t mtime);
    // The system's code behind the last failure, 0 if none.
    std::uint32_t os_error() const { return _os_error; }

private:
    void discard();

    std::intptr_t _handle = -1;
    std::string _temp;
    std::string _target;
    std::uint32_t _os_error = 0;
};

}  // namespace zip_internal
