// Test access to the canvas's float image, read before quantisation; whole pictures compared with committed references;
// font files.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../shared/golden_picture.h"
#include "raster/canvas.h"

namespace raster {

struct canvas_probe {
    static float alpha(canvas const& image, int x, int y) { return image.bitmap[y * image.size_x + x].a; }
    static uint64_t outline_steps(canvas const& image) { return image.outline_steps; }
    static double total_alpha(canvas const& image) {
        double sum = 0.0;
        for (int i = 0; i < image.size_x * image.size_y; ++i) sum += image.bitmap[i].a;
        return sum;
    }
    // The canvas as 8-bit sRGB against data/<name>.png.
    static void expect_picture(canvas& image, std::string const& name) {
        std::unique_ptr<Surf, void (*)(Surf*)> actual(surfBitmap(image.size_x, image.size_y), surfFree);
        image.get_image_data(&actual->pix->r, image.size_x, image.size_y, image.size_x * 4, 0, 0);
        expectPicture(actual.get(), std::string(TEST_DATA_DIR) + "/" + name + ".png", name);
    }
};

}  // namespace raster

namespace raster_test {

inline std::vector<unsigned char> read_file(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small generated font in data/, made by fuzz/raster/make_fonts.py.
inline std::vector<unsigned char> font_file(std::string const& name) {
    return read_file(std::string(TEST_DATA_DIR) + "/" + name + ".ttf");
}

inline bool select(raster::canvas& image, std::vector<unsigned char> const& font, float size) {
    return image.set_font(font.data(), static_cast<int>(font.size()), size);
}

}  // namespace raster_test
