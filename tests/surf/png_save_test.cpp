// surfSaveImage output read back by our decoder and checked by zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "surf/surf.h"

namespace {

std::vector<unsigned char> readAll(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

TEST(PngSave, RoundTripsThroughTheDecoderWithValidChecksums) {
  Surf* bmp = surfBitmap(37, 9);
  for (int y = 0; y < 9; y++)
    for (int x = 0; x < 37; x++)
      bmp->pix[y * 37 + x] = x < 20 ? SPixel{10, 20, 30, 255} : SPixel{(unsigned char)(x * 7), (unsigned char)y, 99, (unsigned char)(x * y)};
  auto path = std::filesystem::temp_directory_path() / ("surf_save_" + std::to_string(::getpid()) + ".png");
  ASSERT_EQ(surfSaveImage(path.string().c_str(), bmp), 1);
  std::vector<unsigned char> file = readAll(path);
  std::filesystem::remove(path);

  // Every chunk's CRC and the zlib stream (header check and Adler-32) are
  // what zlib computes.
  size_t pos = 8;
  std::vector<unsigned char> idat;
  while (pos + 12 <= file.size()) {
    uint32_t len = be32(&file[pos]);
    EXPECT_EQ(crc32(0, &file[pos + 4], len + 4), be32(&file[pos + 8 + len]));
    if (std::equal(file.begin() + (long)pos + 4, file.begin() + (long)pos + 8, "IDAT")) idat.assign(&file[pos + 8], &file[pos + 8 + len]);
    pos += 12 + len;
  }
  EXPECT_EQ(pos, file.size());
  std::vector<unsigned char> raw(9 * (37 * 4 + 1));
  uLongf rawLen = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &rawLen, idat.data(), idat.size()), Z_OK);
  EXPECT_EQ(rawLen, raw.size());

  Surf* back = surfLoadImageMem(file.data(), (int)file.size());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->w, 37);
  ASSERT_EQ(back->h, 9);
  EXPECT_EQ(std::memcmp(back->pix, bmp->pix, 37 * 9 * 4), 0);
  surfFree(back);
  surfFree(bmp);
}

TEST(PngSave, ReportsAFileThatCannotBeOpened) {
  Surf* bmp = surfBitmap(2, 2);
  EXPECT_EQ(surfSaveImage("/nonexistent-folder/x.png", bmp), 0);
  surfFree(bmp);
}

}  // namespace
