// Installing a large payload over the bundle it replaces: our all-or-nothing
// install against Info-ZIP unzip overwriting in place, timed in turns on the
// same archive in the same run; and how soon a Cancel in the middle of the
// largest entry has put everything back. The payload (hundreds of files,
// random ones stored and text-like ones deflated, about 200 MB as an
// archive) is generated at start into a temporary folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <atomic>
#include <thread>

#include "install_transaction.h"
#include "shared/zip.h"

namespace fs = std::filesystem;

namespace {

class Payload {
public:
    Payload() {
        std::string pattern = (fs::temp_directory_path() / "install-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        writeTree(root / "bundle");
        const std::string zip = "cd '" + root.string() + "' && zip -q -r -n .bin payload.zip bundle";
        if (std::system(zip.c_str()) != 0) throw std::runtime_error("zip failed");
        std::ifstream in(root / "payload.zip", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        fs::remove_all(root / "bundle");
    }
    ~Payload() { fs::remove_all(root); }

    fs::path root;
    std::vector<unsigned char> bytes;

private:
    static void writeTree(const fs::path& bundle) {
        constexpr int kFolders = 10;
        constexpr int kFilesPerFolder = 30;
        std::uint64_t state = 0x9e3779b97f4a7c15ull;
        auto next = [&] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        std::string data;
        for (int f = 0; f < kFolders; ++f) {
            const fs::path folder = bundle / ("folder" + std::to_string(f));
            fs::create_directories(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const bool random = i % 2 == 0;
                const std::size_t size = 200 * 1024 + next() % (2 * 1024 * 1024);
                data.resize(size);
                for (std::size_t j = 0; j < size; j += 8) {
                    const std::uint64_t v = random ? next() : 0x2020656e696c2020ull + (j / 64 % 7 << 8) + (next() % 3);
                    std::memcpy(data.data() + j, &v, std::min<std::size_t>(8, size - j));
                }
                std::ofstream(folder / ("file" + std::to_string(i) + (random ? ".bin" : ".txt")), std::ios::binary)
                    .write(data.data(), static_cast<std::streamsize>(size));
            }
        }
    }
};

const Payload& payload() {
    static const Payload p;
    return p;
}

double seconds(auto&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What the installer's job does with the folder once it knows it.
void install(const Payload& p, const fs::path& folder, const InstallSeams& seams = {}) {
    if (recoverInterruptedInstall(folder, "bench", seams).outcome != InstallReport::installed ||
        installPayload(folder, "bench", p.bytes, makeTargetFolder(folder, seams), seams).outcome !=
            InstallReport::installed)
        throw std::runtime_error("install failed");
}

// Both folders start each turn with the bundle already installed, as on an
// update.
void BM_InstallOverOldBundleAgainstUnzip(benchmark::State& state) {
    const Payload& p = payload();
    const fs::path ours = p.root / "ours";
    const fs::path theirs = p.root / "unzip";
    const std::string unzip = "unzip -o -q '" + (p.root / "payload.zip").string() + "' -d '" + theirs.string() + "'";
    extractArchiveDataToFolder(p.bytes, ours);
    if (std::system(unzip.c_str()) != 0) state.SkipWithError("unzip failed");
    double oursTotal = 0;
    double unzipTotal = 0;
    for (auto _ : state) {
        const double t = seconds([&] { install(p, ours); });
        unzipTotal += seconds([&] {
            if (std::system(unzip.c_str()) != 0) state.SkipWithError("unzip failed");
        });
        oursTotal += t;
        state.SetIterationTime(t);
    }
    state.counters["archive_MB"] = static_cast<double>(p.bytes.size()) / 1e6;
    state.counters["unzip_s"] = unzipTotal / static_cast<double>(state.iterations());
    state.counters["ours_over_unzip"] = oursTotal / unzipTotal;
    fs::remove_all(ours);
    fs::remove_all(theirs);
}

// From Cancel, given once the largest entry is a megabyte under way, to the
// folder being as it was.
void BM_CancelInLargestEntry(benchmark::State& state) {
    const Payload& p = payload();
    const fs::path folder = p.root / "cancel";
    extractArchiveDataToFolder(p.bytes, folder);
    ZipArchive archive;
    mz_zip_reader_init_mem(&archive.get(), p.bytes.data(), p.bytes.size(), 0);
    std::uint32_t largest = 0;
    std::uintmax_t largestSize = 0;
    for (std::uint32_t i = 0; i < mz_zip_reader_get_num_files(&archive.get()); ++i) {
        if (mz_zip_reader_is_file_a_directory(&archive.get(), i)) continue;
        const std::uintmax_t size = fs::file_size(folder / archive.getFileNameForIndex(i));
        if (size > largestSize) largestSize = size, largest = i;
    }
    const fs::path staged = folder / (".bench.new-" + std::to_string(largest));
    double total = 0;
    for (auto _ : state) {
        std::atomic<bool> cancel = false;
        std::chrono::steady_clock::time_point asked;
        std::thread user([&] {
            std::error_code ec;
            while (!(fs::exists(staged, ec) && fs::file_size(staged, ec) > (1u << 20) && !ec))
                std::this_thread::yield();
            asked = std::chrono::steady_clock::now();
            cancel = true;
        });
        const auto outcome = installPayload(folder, "bench", p.bytes, {}, {{}, [&] { return cancel.load(); }}).outcome;
        const double delay = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
        user.join();
        if (outcome != InstallReport::cancelled) state.SkipWithError("not cancelled");
        total += delay;
        state.SetIterationTime(delay);
    }
    state.counters["cancel_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
    fs::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_InstallOverOldBundleAgainstUnzip)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelInLargestEntry)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
