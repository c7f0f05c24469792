// The window layer's own inflate and PNG decoder against zlib and libpng on
// the same inputs, in one run: compare the surf* lines with their baselines.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "surf/surf.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Word-like text mixed with noise and runs: compresses a little better than
// two to one, so the stream is close to 10 MB.
const Bytes& plainData() {
    static const Bytes data = [] {
        std::mt19937 rng(11);
        const char* words[] = {"window ", "layer ", "pixel ", "bitmap ", "inflate ", "Huffman ", "stream ", "\n"};
        Bytes d;
        d.reserve(31u << 20);
        while (d.size() < (31u << 20)) {
            unsigned pick = rng() % 16;
            if (pick < 8) {
                for (const char* w = words[pick]; *w; w++) d.push_back((unsigned char)*w);
            } else if (pick < 15) {
                for (int i = 0; i < 8; i++) d.push_back((unsigned char)rng());
            } else {
                d.insert(d.end(), 20 + rng() % 200, (unsigned char)rng());
            }
        }
        return d;
    }();
    return data;
}

const Bytes& deflateStream() {
    static const Bytes stream = [] {
        const Bytes& data = plainData();
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        Bytes out(deflateBound(&z, data.size()) + 2);
        z.next_in = const_cast<unsigned char*>(data.data());
        z.avail_in = (uInt)data.size();
        z.next_out = out.data();
        z.avail_out = (uInt)out.size();
        deflate(&z, Z_FINISH);
        out.resize(z.total_out + 2);  // two readable bytes behind the stream
        deflateEnd(&z);
        return out;
    }();
    return stream;
}

void BM_Inflate_surfInflate(benchmark::State& state) {
    const Bytes& stream = deflateStream();
    Bytes out(plainData().size());
    for (auto _ : state) {
        int ok = surfInflate(out.data(), (unsigned)out.size(), stream.data(), (unsigned)stream.size() - 2);
        if (!ok) state.SkipWithError("surfInflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["stream_MB"] = (double)(stream.size() - 2) / (1 << 20);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)out.size());
}

void BM_Inflate_zlibBaseline(benchmark::State& state) {
    const Bytes& stream = deflateStream();
    Bytes out(plainData().size());
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = const_cast<unsigned char*>(stream.data());
        z.avail_in = (uInt)stream.size() - 2;
        z.next_out = out.data();
        z.avail_out = (uInt)out.size();
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("zlib inflate failed");
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["stream_MB"] = (double)(stream.size() - 2) / (1 << 20);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)out.size());
}

// A 2048 x 2048 RGBA picture (smooth gradients with noise and a varying
// alpha) encoded by libpng with its default filters and compression.
const Bytes& pngFile() {
    static const Bytes file = [] {
        const int w = 2048, h = 2048;
        std::mt19937 rng(3);
        Bytes rgba((size_t)w * h * 4);
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                unsigned char* p = &rgba[((size_t)y * w + x) * 4];
                p[0] = (unsigned char)(x / 8 + rng() % 4);
                p[1] = (unsigned char)(y / 8 + rng() % 4);
                p[2] = (unsigned char)((x + y) / 16);
                p[3] = (unsigned char)(255 - (x ^ y) % 64);
            }
        }
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = w;
        image.height = h;
        image.format = PNG_FORMAT_RGBA;
        png_alloc_size_t size = 0;
        png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
        Bytes out(size);
        png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr);
        out.resize(size);
        return out;
    }();
    return file;
}

void BM_Png_surfLoadImageMem(benchmark::State& state) {
    const Bytes& file = pngFile();
    for (auto _ : state) {
        Surf* bmp = surfLoadImageMem(file.data(), (int)file.size());
        if (!bmp) state.SkipWithError("surfLoadImageMem failed");
        benchmark::DoNotOptimize(bmp);
        surfFree(bmp);
    }
    state.counters["file_MB"] = (double)file.size() / (1 << 20);
}

void BM_Png_libpngBaseline(benchmark::State& state) {
    const Bytes& file = pngFile();
    Bytes rgba;
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) state.SkipWithError("libpng failed");
        image.format = PNG_FORMAT_RGBA;
        rgba.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(rgba.data());
    }
    state.counters["file_MB"] = (double)file.size() / (1 << 20);
}

BENCHMARK(BM_Inflate_surfInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_zlibBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png_surfLoadImageMem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png_libpngBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
