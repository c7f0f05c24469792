// A decoder that runs out of memory fails cleanly: no bitmap, errno EINVAL, nothing leaked. This program links its own
// allocator in place of the library's, failing the allocations the test chooses.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "surf/alloc.h"
#include "surf/surf.h"

static int allocationsLeft = -1;  // negative: never fail

void* surfAllocZeroed(size_t count, size_t size) {
    if (allocationsLeft == 0) return nullptr;
    return allocationsLeft -= allocationsLeft > 0, calloc(count, size);
}

TEST(PngOutOfMemory, EachFailedAllocationGivesNoBitmapAndEinval) {
    std::ifstream f(TEST_DATA_DIR "/png/grey8_13x7.png", std::ios::binary);
    const std::vector<unsigned char> png{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    for (int succeeding : {0, 1, -1}) {  // the record first, then the pixels; then none fails
        allocationsLeft = succeeding, errno = 0;
        Surf* bmp = surfLoadImageMem(png.data(), (int)png.size());
        EXPECT_EQ(bmp ? bmp->w * 100 + bmp->h : errno, succeeding < 0 ? 13 * 100 + 7 : EINVAL) << succeeding;
        surfFree(bmp);
    }
}
