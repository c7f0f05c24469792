// Reading back a whole 500 x 350 canvas: the table-driven encoder against
// the same conversion with pow per channel.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/srgb_tables.h"

namespace {

constexpr int width = 500, height = 350;

// A canvas with every alpha and colour level present, as after drawing.
raster::canvas& filled_canvas() {
    static raster::canvas image(width, height);
    static bool const filled = [] {
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
        uint32_t seed = 12345;
        for (unsigned char& value : pixels) {
            seed = seed * 1664525u + 1013904223u;
            value = static_cast<unsigned char>(seed >> 24);
        }
        image.put_image_data(pixels.data(), width, height, width * 4, 0, 0);
        return true;
    }();
    (void)filled;
    return image;
}

void canvas_get_image_data(benchmark::State& state) {
    raster::canvas& image = filled_canvas();
    std::vector<unsigned char> out(static_cast<size_t>(width) * height * 4);
    for (auto _ : state) {
        image.get_image_data(out.data(), width, height, width * 4, 0, 0);
        benchmark::DoNotOptimize(out.data());
    }
}

// The same output computed directly: what the tables replace.
void pow_per_channel(benchmark::State& state) {
    raster::canvas& image = filled_canvas();
    std::vector<unsigned char> linear(static_cast<size_t>(width) * height * 4);
    image.get_image_data(linear.data(), width, height, width * 4, 0, 0);
    std::vector<raster::rgba> source(static_cast<size_t>(width) * height);
    float const* decode = raster::srgb_byte_to_linear();
    for (size_t i = 0; i < source.size(); ++i) {
        float a = linear[4 * i + 3] / 255.0f;
        source[i] = {decode[linear[4 * i]] * a, decode[linear[4 * i + 1]] * a, decode[linear[4 * i + 2]] * a, a};
    }
    std::vector<unsigned char> out(source.size() * 4);
    for (auto _ : state) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                raster::rgba const& p = source[static_cast<size_t>(y) * width + x];
                unsigned char* o = &out[(static_cast<size_t>(y) * width + x) * 4];
                if (p.a < raster::min_coverage) {
                    o[0] = o[1] = o[2] = o[3] = 0;
                    continue;
                }
                float d = raster::bayer_threshold(raster::bayer_index(x, y));
                o[0] = static_cast<unsigned char>(raster::linear_to_srgb(p.r / p.a) * 255.0f + d);
                o[1] = static_cast<unsigned char>(raster::linear_to_srgb(p.g / p.a) * 255.0f + d);
                o[2] = static_cast<unsigned char>(raster::linear_to_srgb(p.b / p.a) * 255.0f + d);
                o[3] = static_cast<unsigned char>(std::min(p.a, 1.0f) * 255.0f + d);
            }
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

BENCHMARK(canvas_get_image_data);
BENCHMARK(pow_per_channel);
