// A decoder that runs out of memory fails cleanly: no bitmap, errno EINVAL,
// nothing leaked. This program links its own allocator in place of the
// library's, failing the allocations the test chooses.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "surf/alloc.h"
#include "surf/surf.h"

namespace {

int allocationsLeft = -1;  // negative: never fail

std::vector<unsigned char> readAll(const char* path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace

void* surfAllocZeroed(size_t count, size_t size) {
  if (allocationsLeft == 0) return nullptr;
  if (allocationsLeft > 0) allocationsLeft--;
  return calloc(count, size);
}

TEST(PngOutOfMemory, EachFailedAllocationGivesNoBitmapAndEinval) {
  std::vector<unsigned char> png = readAll(TEST_DATA_DIR "/png/grey8_13x7.png");
  ASSERT_FALSE(png.empty());
  // The record first, then the pixels.
  for (int succeeding : {0, 1}) {
    allocationsLeft = succeeding;
    errno = 0;
    EXPECT_EQ(surfLoadImageMem(png.data(), (int)png.size()), nullptr) << succeeding;
    EXPECT_EQ(errno, EINVAL);
  }
  allocationsLeft = -1;
  Surf* bmp = surfLoadImageMem(png.data(), (int)png.size());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->w, 13);
  EXPECT_EQ(bmp->h, 7);
  surfFree(bmp);
}
