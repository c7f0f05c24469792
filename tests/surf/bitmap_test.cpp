// Bitmap life cycle and the unblended operations: clear, fill, get, resize.
#include <gtest/gtest.h>

#include "surf/surf.h"

namespace {

bool same(SPixel a, SPixel b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST(Bitmap, NewBitmapIsTransparentBlackClipsToItselfAndBlendsAlpha) {
  Surf* bmp = surfBitmap(7, 5);
  EXPECT_EQ(bmp->w, 7);
  EXPECT_EQ(bmp->h, 5);
  EXPECT_EQ(bmp->cx, 0);
  EXPECT_EQ(bmp->cy, 0);
  EXPECT_EQ(bmp->cw, -1);
  EXPECT_EQ(bmp->ch, -1);
  EXPECT_EQ(bmp->handle, nullptr);
  EXPECT_EQ(bmp->blitMode, SURF_BLEND_ALPHA);
  for (int i = 0; i < 35; i++) EXPECT_TRUE(same(bmp->pix[i], SPixel{0, 0, 0, 0}));
  surfFree(bmp);
}

TEST(Bitmap, Bitmap2ReservesZeroedRoomBehindTheRecord) {
  Surf* bmp = surfBitmap2(3, 3, 64);
  const unsigned char* extra = (const unsigned char*)(bmp + 1);
  for (int i = 0; i < 64; i++) EXPECT_EQ(extra[i], 0);
  EXPECT_EQ(bmp->w, 3);
  surfFree(bmp);
}

TEST(Bitmap, GetReturnsTransparentBlackOutsideTheBitmap) {
  Surf* bmp = surfBitmap(2, 2);
  surfClear(bmp, SPixel{1, 2, 3, 4});
  EXPECT_TRUE(same(surfGet(bmp, 1, 1), SPixel{1, 2, 3, 4}));
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) EXPECT_TRUE(same(surfGet(bmp, x, y), SPixel{0, 0, 0, 0}));
  surfFree(bmp);
}

TEST(Bitmap, ClearIgnoresClipAndBlendMode) {
  Surf* bmp = surfBitmap(4, 4);
  surfClip(bmp, 1, 1, 1, 1);
  surfBlitMode(bmp, SURF_KEEP_ALPHA);
  surfClear(bmp, SPixel{9, 8, 7, 6});
  for (int i = 0; i < 16; i++) EXPECT_TRUE(same(bmp->pix[i], SPixel{9, 8, 7, 6}));
  surfFree(bmp);
}

TEST(Bitmap, FillCutsToTheBitmapAndIgnoresTheClip) {
  Surf* bmp = surfBitmap(6, 5);
  surfClip(bmp, 4, 4, 1, 1);
  const SPixel c{50, 60, 70, 80};  // overwritten, not blended
  surfFill(bmp, -2, 3, 5, 9, c);
  for (int y = 0; y < 5; y++)
    for (int x = 0; x < 6; x++) EXPECT_EQ(same(surfGet(bmp, x, y), c), x < 3 && y >= 3) << x << "," << y;
  surfFree(bmp);
}

TEST(Bitmap, FillWithEmptyOrFarAwayRectanglesDoesNothing) {
  Surf* bmp = surfBitmap(3, 3);
  surfFill(bmp, 0, 0, 0, 3, SPixel{1, 1, 1, 1});
  surfFill(bmp, 1, 1, 3, -1, SPixel{1, 1, 1, 1});
  surfFill(bmp, 3, 0, 5, 5, SPixel{1, 1, 1, 1});
  surfFill(bmp, -2147483647, -2147483647, 2147483647, 2147483647, SPixel{1, 1, 1, 1});
  for (int i = 0; i < 9; i++) EXPECT_TRUE(same(bmp->pix[i], SPixel{0, 0, 0, 0}));
  surfFill(bmp, -10, -10, 2147483647, 2147483647, SPixel{2, 2, 2, 2});
  for (int i = 0; i < 9; i++) EXPECT_TRUE(same(bmp->pix[i], SPixel{2, 2, 2, 2}));
  surfFree(bmp);
}

TEST(Bitmap, ResizeKeepsTheTopLeftCornerAndZeroesTheRest) {
  Surf* bmp = surfBitmap(4, 3);
  for (int i = 0; i < 12; i++) bmp->pix[i] = SPixel{(unsigned char)(i + 1), 0, 0, 255};
  surfClip(bmp, 1, 1, 2, 2);
  surfResize(bmp, 2, 2);
  ASSERT_EQ(bmp->w, 2);
  ASSERT_EQ(bmp->h, 2);
  surfResize(bmp, 5, 4);
  ASSERT_EQ(bmp->w, 5);
  ASSERT_EQ(bmp->h, 4);
  for (int y = 0; y < 4; y++) {
    for (int x = 0; x < 5; x++) {
      SPixel want = x < 2 && y < 2 ? SPixel{(unsigned char)(y * 4 + x + 1), 0, 0, 255} : SPixel{0, 0, 0, 0};
      EXPECT_TRUE(same(surfGet(bmp, x, y), want)) << x << "," << y;
    }
  }
  EXPECT_EQ(bmp->cx, 1);  // the clip rectangle is left alone
  EXPECT_EQ(bmp->cw, 2);
  surfFree(bmp);
}

TEST(Bitmap, FreeAcceptsNull) { surfFree(nullptr); }

}  // namespace
