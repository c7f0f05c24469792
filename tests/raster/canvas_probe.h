// Test access to the canvas's float image, read before quantisation, and the
// comparison of whole pictures with committed references.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "raster/canvas.h"
#include "surf/surf.h"

namespace raster {

struct canvas_probe {
    static float alpha(canvas const& image, int x, int y) { return image.bitmap[y * image.size_x + x].a; }
    static uint64_t outline_steps(canvas const& image) { return image.outline_steps; }
    // Total coverage of the canvas (white on transparent).
    static double total_alpha(canvas const& image) {
        double sum = 0.0;
        for (int i = 0; i < image.size_x * image.size_y; ++i) sum += image.bitmap[i].a;
        return sum;
    }

    // Compares the canvas, read out as 8-bit sRGB, byte for byte with
    // data/<name>.png. After an intended change of the output, regenerate with
    //   UPDATE_GOLDEN=1 build/default/tests/raster/raster_tests --gtest_filter='Scene*'
    // and look at the pictures before committing. A mismatch leaves the
    // picture it got in the working folder as <name>.actual.png.
    static void expect_picture(canvas& image, std::string const& name) {
        using bitmap_pointer = std::unique_ptr<Surf, void (*)(Surf*)>;
        bitmap_pointer actual(surfBitmap(image.size_x, image.size_y), surfFree);
        image.get_image_data(&actual->pix->r, image.size_x, image.size_y, image.size_x * 4, 0, 0);
        std::string const path = std::string(TEST_DATA_DIR) + "/" + name + ".png";
        if (std::getenv("UPDATE_GOLDEN")) {
            ASSERT_EQ(surfSaveImage(path.c_str(), actual.get()), 1) << path;
            return;
        }
        bitmap_pointer expected(surfLoadImage(path.c_str()), surfFree);
        ASSERT_TRUE(expected) << "no picture at " << path;
        size_t const bytes = 4 * size_t(actual->w) * size_t(actual->h);
        if (expected->w != actual->w || expected->h != actual->h || std::memcmp(expected->pix, actual->pix, bytes))
            surfSaveImage((name + ".actual.png").c_str(), actual.get()), ADD_FAILURE() << path << " differs";
    }
};

}  // namespace raster

namespace raster_test {

inline std::vector<unsigned char> read_file(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace raster_test
