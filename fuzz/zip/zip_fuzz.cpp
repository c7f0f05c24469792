// Opens arbitrary bytes as an archive, reads every name and folder flag, and
// extracts each entry into one file of a private temporary folder. A file
// size limit keeps entries that inflate to gigabytes cheap: their writes
// fail past it, which exercises the failure path too.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "zip/zip_reader.h"

namespace {

constexpr std::uint32_t kMaxEntries = 64;

class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/zip-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        folder = pattern;
        target = folder + "/entry";
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1 << 20;
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
    }
    ~Scratch() {
        unlink(target.c_str());
        rmdir(folder.c_str());
    }

    std::string folder;
    std::string target;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    mz_zip_archive zip{};
    if (mz_zip_reader_init_mem(&zip, data, size, MZ_ZIP_FLAG_CASE_SENSITIVE)) {
        const std::uint32_t count = mz_zip_reader_get_num_files(&zip);
        for (std::uint32_t i = 0; i < count && i < kMaxEntries; ++i) {
            char name[512];
            const std::uint32_t full = mz_zip_reader_get_filename(&zip, i, nullptr, 0);
            const std::uint32_t cut = mz_zip_reader_get_filename(&zip, i, name, sizeof name);
            if (cut == 0 || cut > full || name[cut - 1] != '\0') std::abort();
            mz_zip_reader_is_file_a_directory(&zip, i);
            if (!mz_zip_reader_extract_to_file(&zip, i, scratch.target.c_str(), 0) &&
                !mz_zip_get_error_string(mz_zip_get_last_error(&zip)))
                std::abort();
            unlink(scratch.target.c_str());
        }
    }
    mz_zip_reader_end(&zip);
    return 0;
}
