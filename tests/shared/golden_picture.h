#pragma once
// A picture against its committed reference, byte for byte. After an intended change, run the tests with
// UPDATE_GOLDEN=1 and look at the pictures before committing; a mismatch leaves the picture it got as <name>.actual.png
// in the working folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "surf/surf.h"

inline void expectPicture(const Surf* actual, const std::string& path, const std::string& name) {
    if (std::getenv("UPDATE_GOLDEN")) {
        EXPECT_EQ(surfSaveImage(path.c_str(), actual), 1) << path;
        return;
    }
    const std::unique_ptr<Surf, void (*)(Surf*)> expected(surfLoadImage(path.c_str()), surfFree);
    if (!expected || expected->w != actual->w || expected->h != actual->h ||
        std::memcmp(expected->pix, actual->pix, sizeof(SPixel) * actual->w * actual->h) != 0)
        surfSaveImage((name + ".actual.png").c_str(), actual), ADD_FAILURE() << path << " differs or is missing";
}
