// Test access to the canvas's float image, read before quantisation.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "raster/canvas.h"

namespace raster {

struct canvas_probe {
    static rgba pixel(canvas const& image, int x, int y) { return image.bitmap[y * image.size_x + x]; }
    static float alpha(canvas const& image, int x, int y) { return pixel(image, x, y).a; }
    static uint64_t outline_steps(canvas const& image) { return image.outline_steps; }
    // Total coverage of the canvas (white on transparent).
    static double total_alpha(canvas const& image) {
        double sum = 0.0;
        for (int i = 0; i < image.size_x * image.size_y; ++i) sum += image.bitmap[i].a;
        return sum;
    }
};

}  // namespace raster

namespace raster_test {

inline std::vector<unsigned char> read_file(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace raster_test
