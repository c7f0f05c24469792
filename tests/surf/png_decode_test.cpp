// PNG decoding against ImageMagick's decode of the same files (committed as
// raw RGBA beside each PNG by make_png_corpus.py) and the rejections.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "surf/surf.h"

namespace {

const std::string kDir = TEST_DATA_DIR "/png/";

std::vector<unsigned char> readAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Entry {
  std::string verdict, name;
  int w = 0, h = 0;
};

std::vector<Entry> manifest() {
  std::ifstream f(kDir + "manifest.txt");
  std::vector<Entry> entries;
  std::string line;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    Entry e;
    in >> e.verdict >> e.name >> e.w >> e.h;
    entries.push_back(e);
  }
  return entries;
}

Surf* load(const std::vector<unsigned char>& bytes) { return surfLoadImageMem(bytes.data(), (int)bytes.size()); }

TEST(PngDecode, MatchesImageMagickPixelForPixel) {
  int decoded = 0;
  for (const Entry& e : manifest()) {
    if (e.verdict != "decode") continue;
    SCOPED_TRACE(e.name);
    Surf* bmp = load(readAll(kDir + e.name + ".png"));
    ASSERT_NE(bmp, nullptr);
    ASSERT_EQ(bmp->w, e.w);
    ASSERT_EQ(bmp->h, e.h);
    std::vector<unsigned char> expected = readAll(kDir + e.name + ".rgba");
    ASSERT_EQ(expected.size(), (size_t)e.w * e.h * 4);
    for (int i = 0; i < e.w * e.h; i++) {
      const unsigned char* want = &expected[4 * i];
      SPixel got = bmp->pix[i];
      ASSERT_TRUE(got.r == want[0] && got.g == want[1] && got.b == want[2] && got.a == want[3])
          << "pixel " << i % e.w << "," << i / e.w << " got " << (int)got.r << " " << (int)got.g << " " << (int)got.b
          << " " << (int)got.a << " want " << (int)want[0] << " " << (int)want[1] << " " << (int)want[2] << " "
          << (int)want[3];
    }
    surfFree(bmp);
    decoded++;
  }
  EXPECT_GT(decoded, 50);
}

TEST(PngDecode, RejectsUnsupportedAndMalformedFilesWithEinval) {
  int rejected = 0;
  for (const Entry& e : manifest()) {
    if (e.verdict != "reject") continue;
    SCOPED_TRACE(e.name);
    errno = 0;
    EXPECT_EQ(load(readAll(kDir + e.name + ".png")), nullptr);
    EXPECT_EQ(errno, EINVAL);
    rejected++;
  }
  EXPECT_GE(rejected, 15);
}

TEST(PngDecode, DecodedBitmapClipsToItselfAndBlendsAlpha) {
  Surf* bmp = load(readAll(kDir + "greyalpha8_13x7.png"));
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->cx, 0);
  EXPECT_EQ(bmp->cy, 0);
  EXPECT_LT(bmp->cw, 0);
  EXPECT_LT(bmp->ch, 0);
  EXPECT_EQ(bmp->blitMode, SURF_BLEND_ALPHA);
  EXPECT_EQ(bmp->handle, nullptr);
  surfFree(bmp);
}

TEST(PngDecode, EveryPrefixOfAFileIsHandledSafely) {
  // Cutting a file anywhere must give EINVAL or a bitmap, never an overread
  // (the sanitizer build checks that part).
  std::vector<unsigned char> bytes = readAll(kDir + "rgb8_split7.png");
  for (size_t n = 0; n < bytes.size(); n += 1 + n / 64) {
    std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + (long)n);
    Surf* bmp = surfLoadImageMem(prefix.data(), (int)n);
    if (bmp) surfFree(bmp);
  }
}

TEST(PngDecode, NullOrTinyInputIsRejected) {
  errno = 0;
  EXPECT_EQ(surfLoadImageMem(nullptr, 0), nullptr);
  EXPECT_EQ(errno, EINVAL);
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  errno = 0;
  EXPECT_EQ(surfLoadImageMem(signature, 8), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

TEST(PngFile, LoadImageReadsFromDiskAndFailsForMissingFiles) {
  Surf* bmp = surfLoadImage((kDir + "rgba8_13x7.png").c_str());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->w, 13);
  surfFree(bmp);
  EXPECT_EQ(surfLoadImage((kDir + "does_not_exist.png").c_str()), nullptr);
}

TEST(PngFile, ReadFileAddsATerminatorAndReportsTheLength) {
  int length = -1;
  char* data = (char*)surfReadFile((kDir + "manifest.txt").c_str(), &length);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ((size_t)length, readAll(kDir + "manifest.txt").size());
  EXPECT_EQ(data[length], 0);
  EXPECT_EQ(std::strncmp(data, "decode ", 7), 0);
  free(data);
  length = -1;
  EXPECT_EQ(surfReadFile((kDir + "missing").c_str(), &length), nullptr);
  EXPECT_EQ(length, 0);
}

}  // namespace
