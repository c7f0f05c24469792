#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace ziptest {

// A fresh folder under the system's temporary folder, removed with all it holds when the test ends. A random
// suffix and an exclusive create keep parallel test binaries out of each other's folders.
class TempDir {
public:
    TempDir() {
        std::mt19937_64 random(std::random_device{}());
        do _path = std::filesystem::temp_directory_path() / ("ziptest-" + std::to_string(random()));
        while (!std::filesystem::create_directory(_path));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return _path; }
    // Names are UTF-8, as in the archives, whatever the system's code page.
    std::filesystem::path operator/(const std::string& name) const {
        return _path / std::u8string(name.begin(), name.end());
    }

private:
    std::filesystem::path _path;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

}  // namespace ziptest
