// A 60-character line at 14 pixels into a fitting bitmap: the canvas's
// fill_text and get_image_data against FreeType loading, rendering and
// blending the same glyphs unhinted.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "raster/canvas.h"

namespace {

constexpr char line[] = "Velliphon installs into the VST3 folder: 42 files, 3.1 MB ok";
static_assert(sizeof line - 1 == 60);
constexpr int size = 14;
constexpr int height = 20;
constexpr int baseline = 15;

std::vector<unsigned char> const& regular_font() {
    static std::vector<unsigned char> const bytes = [] {
        std::ifstream in(FONTS_DIR "/regular.ttf", std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void canvas_line(benchmark::State& state) {
    std::vector<unsigned char> const& font = regular_font();
    raster::canvas measure(1, 1);
    measure.set_font(font.data(), static_cast<int>(font.size()), size);
    int width = static_cast<int>(std::ceil(measure.measure_text(line))) + 2;
    raster::canvas image(width, height);
    image.set_font(font.data(), static_cast<int>(font.size()), size);
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    for (auto _ : state) {
        image.set_color(raster::fill_style, 0.0f, 0.0f, 0.0f, 1.0f);
        image.clear_rectangle(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
        image.set_color(raster::fill_style, 0.9f, 0.9f, 0.9f, 1.0f);
        image.fill_text(line, 1.0f, baseline);
        image.get_image_data(pixels.data(), width, height, width * 4, 0, 0);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void freetype_line(benchmark::State& state) {
    std::vector<unsigned char> const& font = regular_font();
    FT_Library library;
    FT_Init_FreeType(&library);
    FT_Face face;
    FT_New_Memory_Face(library, font.data(), static_cast<FT_Long>(font.size()), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, size);
    int width = 60 * 9 + 2;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    unsigned char const color[3] = {230, 230, 230};
    for (auto _ : state) {
        std::fill(pixels.begin(), pixels.end(), 0);
        double pen = 1.0;
        for (char const* c = line; *c; ++c) {
            FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_NO_HINTING | FT_LOAD_RENDER);
            FT_GlyphSlot slot = face->glyph;
            int left = static_cast<int>(pen) + slot->bitmap_left;
            int top = baseline - slot->bitmap_top;
            for (unsigned row = 0; row < slot->bitmap.rows; ++row)
                for (unsigned column = 0; column < slot->bitmap.width; ++column) {
                    int x = left + static_cast<int>(column), y = top + static_cast<int>(row);
                    if (x < 0 || y < 0 || x >= width || y >= height) continue;
                    unsigned coverage = slot->bitmap.buffer[row * slot->bitmap.pitch + column];
                    unsigned char* out = &pixels[(static_cast<size_t>(y) * width + x) * 4];
                    for (int k = 0; k < 3; ++k)
                        out[k] = static_cast<unsigned char>((color[k] * coverage + out[k] * (255 - coverage)) / 255);
                    out[3] = static_cast<unsigned char>(coverage + out[3] * (255 - coverage) / 255);
                }
            pen += slot->linearHoriAdvance / 65536.0;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

}  // namespace

BENCHMARK(canvas_line);
BENCHMARK(freetype_line);
