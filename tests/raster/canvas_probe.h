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
};

}  // namespace raster

namespace raster_test {

inline std::vector<unsigned char> read_file(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace raster_test

namespace raster_test {

// Total coverage (white on transparent) of the canvas's float image.
inline double total_alpha(raster::canvas const& image, int width, int height) {
    double sum = 0.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sum += raster::canvas_probe::alpha(image, x, y);
    return sum;
}

}  // namespace raster_test
