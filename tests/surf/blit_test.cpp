// Blending bytes from the integer formulas, clipping of blits and plots, and
// the shapes drawn through the plot rule.
#include <gtest/gtest.h>

#include <vector>

#include "surf/surf.h"

namespace {

bool same(SPixel a, SPixel b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

::testing::AssertionResult pixelIs(const Surf* bmp, int x, int y, SPixel want) {
  SPixel p = surfGet(bmp, x, y);
  if (same(p, want)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << (int)p.r << " " << (int)p.g << " "
                                       << (int)p.b << " " << (int)p.a << " want " << (int)want.r << " " << (int)want.g
                                       << " " << (int)want.b << " " << (int)want.a;
}

// A source whose pixel (x, y) has red x + 10 y, opaque.
Surf* numbered(int w, int h) {
  Surf* s = surfBitmap(w, h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) s->pix[y * w + x] = SPixel{(unsigned char)(x + 10 * y), 0, 0, 255};
  return s;
}

Surf* filled(int w, int h, SPixel c) {
  Surf* s = surfBitmap(w, h);
  surfClear(s, c);
  return s;
}

TEST(Plot, BlendsWithTheSquaredWeightOfTheColourAlpha) {
  Surf* d = filled(1, 1, SPixel{10, 20, 30, 40});
  surfPlot(d, 0, 0, SPixel{200, 100, 50, 128});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{58, 40, 35, 62}));
  surfFree(d);
}

TEST(Plot, DarkeningRoundsTowardMinusInfinity) {
  Surf* d = filled(1, 1, SPixel{255, 255, 255, 255});
  surfPlot(d, 0, 0, SPixel{0, 0, 0, 128});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{190, 190, 190, 222}));
  surfFree(d);
}

TEST(Plot, KeepAlphaModeLeavesDestinationAlpha) {
  Surf* d = filled(1, 1, SPixel{10, 20, 30, 40});
  surfBlitMode(d, SURF_KEEP_ALPHA);
  surfPlot(d, 0, 0, SPixel{200, 100, 50, 128});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{58, 40, 35, 40}));
  surfFree(d);
}

TEST(Plot, OpaqueReplacesAndTransparentChangesNothing) {
  Surf* d = filled(2, 1, SPixel{10, 20, 30, 40});
  surfPlot(d, 0, 0, SPixel{1, 2, 3, 255});
  surfPlot(d, 1, 0, SPixel{1, 2, 3, 0});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{1, 2, 3, 255}));
  EXPECT_TRUE(pixelIs(d, 1, 0, SPixel{10, 20, 30, 40}));
  surfFree(d);
}

TEST(Plot, HonoursTheClipAndNeverLeavesTheBitmap) {
  Surf* d = surfBitmap(4, 4);
  surfClip(d, 1, 1, 2, 2);
  surfPlot(d, 0, 0, SPixel{9, 9, 9, 255});
  surfPlot(d, 2, 2, SPixel{9, 9, 9, 255});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{0, 0, 0, 0}));
  EXPECT_TRUE(pixelIs(d, 2, 2, SPixel{9, 9, 9, 255}));
  surfClip(d, -100, -100, 1000, 1000);  // reaches past every edge
  for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 4}, {100, 100}}) surfPlot(d, x, y, SPixel{1, 1, 1, 255});
  surfFree(d);
}

TEST(BlitTint, WhiteTintLeavesColoursAndZeroChannelRemovesOne) {
  Surf* s = filled(1, 1, SPixel{200, 100, 50, 255});
  Surf* d = filled(2, 1, SPixel{7, 7, 7, 7});
  surfBlitTint(d, s, 0, 0, 0, 0, 1, 1, SPixel{255, 255, 255, 255});
  surfBlitTint(d, s, 1, 0, 0, 0, 1, 1, SPixel{255, 128, 0, 255});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{200, 100, 50, 255}));
  EXPECT_TRUE(pixelIs(d, 1, 0, SPixel{200, 50, 0, 255}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitTint, TranslucentSourceAndTintMultiplyTheirWeights) {
  Surf* s = filled(1, 1, SPixel{200, 100, 50, 200});
  Surf* d = surfBitmap(1, 1);
  surfBlitTint(d, s, 0, 0, 0, 0, 1, 1, SPixel{255, 255, 255, 127});
  // W = 201 * 128; the alpha channel blends the untinted source alpha.
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{78, 39, 19, 78}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitTint, TransparentSourceChangesNothingAndKeepAlphaKeepsAlpha) {
  Surf* s = surfBitmap(2, 1);
  s->pix[1] = SPixel{255, 255, 255, 128};
  Surf* d = filled(2, 1, SPixel{10, 20, 30, 40});
  surfBlitMode(d, SURF_KEEP_ALPHA);
  surfBlitTint(d, s, 0, 0, 0, 0, 2, 1, SPixel{255, 255, 255, 255});
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{10, 20, 30, 40}));
  EXPECT_EQ(surfGet(d, 1, 0).a, 40);
  EXPECT_EQ(surfGet(d, 1, 0).r, 10 + (((255 - 10) * 129 * 256) >> 16));
  surfFree(s);
  surfFree(d);
}

TEST(BlitAlpha, IsATintWithTruncatedOpacityClampedToOne) {
  Surf* s = filled(1, 1, SPixel{200, 100, 50, 200});
  Surf* viaTint = surfBitmap(1, 1);
  surfBlitTint(viaTint, s, 0, 0, 0, 0, 1, 1, SPixel{255, 255, 255, 127});
  Surf* half = surfBitmap(1, 1);
  surfBlitAlpha(half, s, 0, 0, 0, 0, 1, 1, 0.5f);
  EXPECT_TRUE(same(half->pix[0], viaTint->pix[0]));

  Surf* one = surfBitmap(1, 1);
  Surf* over = surfBitmap(1, 1);
  surfBlitAlpha(one, s, 0, 0, 0, 0, 1, 1, 1.0f);
  surfBlitAlpha(over, s, 0, 0, 0, 0, 1, 1, 1.5f);
  EXPECT_TRUE(same(one->pix[0], over->pix[0]));
  EXPECT_FALSE(same(one->pix[0], SPixel{0, 0, 0, 0}));

  Surf* negative = filled(1, 1, SPixel{1, 2, 3, 4});
  surfBlitAlpha(negative, s, 0, 0, 0, 0, 1, 1, -0.2f);
  EXPECT_TRUE(pixelIs(negative, 0, 0, SPixel{1, 2, 3, 4}));
  for (Surf* b : {s, viaTint, half, one, over, negative}) surfFree(b);
}

TEST(Blit, CopiesColourAndAlphaUnchangedIgnoringBlendMode) {
  Surf* s = filled(2, 2, SPixel{1, 2, 3, 4});
  Surf* d = filled(3, 3, SPixel{9, 9, 9, 9});
  surfBlitMode(d, SURF_KEEP_ALPHA);
  surfBlit(d, s, 1, 1, 0, 0, 2, 2);
  EXPECT_TRUE(pixelIs(d, 2, 2, SPixel{1, 2, 3, 4}));
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{9, 9, 9, 9}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, DestinationClipComesBeforeTheSourceEdges) {
  Surf* s = numbered(5, 5);
  Surf* d = surfBitmap(10, 10);
  surfClip(d, 2, 2, 4, 4);
  surfBlit(d, s, 0, 1, 1, 0, 5, 5);
  // The clip moves the origin to (2, 2) and the source to (3, 1); the
  // source's right edge then leaves 2 columns, the clip's bottom 4 rows.
  for (int y = 0; y < 10; y++) {
    for (int x = 0; x < 10; x++) {
      bool inside = x >= 2 && x < 4 && y >= 2 && y < 6;
      SPixel want = inside ? SPixel{(unsigned char)(x + 1 + 10 * (y - 1)), 0, 0, 255} : SPixel{0, 0, 0, 0};
      EXPECT_TRUE(pixelIs(d, x, y, want));
    }
  }
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, NegativeSourceOriginShiftsTheDestination) {
  Surf* s = numbered(5, 5);
  Surf* d = surfBitmap(10, 10);
  surfBlitTint(d, s, 3, 3, -2, -1, 4, 4, SPixel{255, 255, 255, 255});
  for (int y = 0; y < 10; y++) {
    for (int x = 0; x < 10; x++) {
      bool inside = x >= 5 && x < 7 && y >= 4 && y < 7;
      SPixel want = inside ? SPixel{(unsigned char)(x - 5 + 10 * (y - 4)), 0, 0, 255} : SPixel{0, 0, 0, 0};
      EXPECT_TRUE(pixelIs(d, x, y, want));
    }
  }
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, FillIgnoresTheClipButTintedBlitHonoursIt) {
  Surf* s = filled(6, 6, SPixel{5, 5, 5, 255});
  Surf* d = surfBitmap(6, 6);
  surfClip(d, 1, 1, 2, 2);
  surfFill(d, 0, 0, 6, 1, SPixel{1, 1, 1, 255});
  surfBlitTint(d, s, 0, 0, 0, 0, 6, 6, SPixel{255, 255, 255, 255});
  EXPECT_TRUE(pixelIs(d, 5, 0, SPixel{1, 1, 1, 255}));
  EXPECT_TRUE(pixelIs(d, 1, 1, SPixel{5, 5, 5, 255}));
  EXPECT_TRUE(pixelIs(d, 2, 2, SPixel{5, 5, 5, 255}));
  EXPECT_TRUE(pixelIs(d, 3, 3, SPixel{0, 0, 0, 0}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, ClipRectangleBeyondTheBitmapIsCutToIt) {
  // The UI core hands over an "unclipped" rectangle far larger than the
  // window; every blit must still stay inside both pixel arrays.
  Surf* s = numbered(20, 20);
  Surf* d = surfBitmap(10, 10);
  surfClip(d, -5000, -5000, 100000, 100000);
  surfBlitTint(d, s, -3, -3, 0, 0, 20, 20, SPixel{255, 255, 255, 255});
  surfBlit(d, s, 7, 7, 0, 0, 20, 20);
  surfBlitAlpha(d, s, -2147483647, 5, 0, 0, 2147483647, 2147483647, 1.0f);
  EXPECT_TRUE(pixelIs(d, 0, 0, SPixel{3 + 30, 0, 0, 255}));
  EXPECT_TRUE(pixelIs(d, 9, 9, SPixel{2 + 20, 0, 0, 255}));
  surfClip(d, 8, 8, 50, -1);  // negative height: the full bitmap height
  surfBlit(d, s, 0, 0, 0, 0, 20, 20);
  EXPECT_TRUE(pixelIs(d, 9, 9, SPixel{9 + 90, 0, 0, 255}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, EmptyOrOutsideRectanglesDrawNothing) {
  Surf* s = numbered(4, 4);
  Surf* d = surfBitmap(4, 4);
  surfBlit(d, s, 0, 0, 0, 0, 0, 4);
  surfBlit(d, s, 0, 0, 4, 0, 4, 4);
  surfBlit(d, s, 4, 0, 0, 0, 4, 4);
  surfBlit(d, s, 0, 0, -4, 0, 4, 4);
  for (int i = 0; i < 16; i++) EXPECT_TRUE(same(d->pix[i], SPixel{0, 0, 0, 0}));
  surfFree(s);
  surfFree(d);
}

TEST(BlitClip, OverlappingBlitWithinOneBitmapCopiesTheOriginal) {
  Surf* b = numbered(6, 1);
  surfBlit(b, b, 1, 0, 0, 0, 5, 1);
  for (int x = 1; x < 6; x++) EXPECT_TRUE(pixelIs(b, x, 0, SPixel{(unsigned char)(x - 1), 0, 0, 255}));
  surfFree(b);
}

// Counts the pixels of a transparent bitmap that a shape touched.
std::vector<std::pair<int, int>> touched(const Surf* b) {
  std::vector<std::pair<int, int>> points;
  for (int y = 0; y < b->h; y++)
    for (int x = 0; x < b->w; x++)
      if (b->pix[y * b->w + x].a) points.push_back({x, y});
  return points;
}

TEST(Shapes, LineLeavesOutItsEndPointUnlessBothEndsAreEqual) {
  Surf* b = surfBitmap(8, 8);
  surfLine(b, 1, 1, 5, 3, SPixel{255, 255, 255, 255});
  auto pts = touched(b);
  EXPECT_EQ(pts.size(), 4u);
  EXPECT_TRUE(pixelIs(b, 1, 1, SPixel{255, 255, 255, 255}));
  EXPECT_TRUE(pixelIs(b, 5, 3, SPixel{0, 0, 0, 0}));
  surfClear(b, SPixel{0, 0, 0, 0});
  surfLine(b, 2, 2, 2, 2, SPixel{255, 255, 255, 255});
  EXPECT_EQ(touched(b), (std::vector<std::pair<int, int>>{{2, 2}}));
  surfFree(b);
}

TEST(Shapes, RectOutlineAndFillRectTogetherBlendEveryPixelOnce) {
  Surf* b = surfBitmap(8, 8);
  const SPixel c{200, 0, 0, 100};
  surfRect(b, 1, 2, 5, 4, c);
  surfFillRect(b, 1, 2, 5, 4, c);
  Surf* once = surfBitmap(1, 1);
  surfPlot(once, 0, 0, c);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++)
      EXPECT_TRUE(pixelIs(b, x, y, x >= 1 && x < 6 && y >= 2 && y < 6 ? once->pix[0] : SPixel{0, 0, 0, 0}));
  surfFree(once);
  surfFree(b);
}

TEST(Shapes, ThinRectIsASingleLineAndEmptyRectNothing) {
  Surf* b = surfBitmap(8, 8);
  surfRect(b, 1, 1, 4, 1, SPixel{9, 9, 9, 128});
  EXPECT_EQ(touched(b).size(), 4u);
  EXPECT_TRUE(same(b->pix[8 + 1], b->pix[8 + 4]));  // each blended once
  surfRect(b, 1, 3, 0, 4, SPixel{9, 9, 9, 255});
  EXPECT_EQ(touched(b).size(), 4u);
  surfFree(b);
}

TEST(Shapes, CircleIsSymmetricAndItsDiscCoversIt) {
  for (int r : {0, 1, 2, 5, 9}) {
    Surf* outline = surfBitmap(21, 21);
    Surf* disc = surfBitmap(21, 21);
    surfCircle(outline, 10, 10, r, SPixel{255, 0, 0, 100});
    surfFillCircle(disc, 10, 10, r, SPixel{255, 0, 0, 100});
    Surf* once = surfBitmap(1, 1);
    surfPlot(once, 0, 0, SPixel{255, 0, 0, 100});
    for (auto [x, y] : touched(outline)) {
      EXPECT_TRUE(pixelIs(outline, x, y, once->pix[0])) << "outline pixel blended twice, r=" << r;
      EXPECT_TRUE(pixelIs(outline, 20 - x, y, once->pix[0]));
      EXPECT_TRUE(pixelIs(outline, y, x, once->pix[0]));
      EXPECT_TRUE(pixelIs(disc, x, y, once->pix[0])) << "r=" << r;
    }
    for (auto [x, y] : touched(disc)) EXPECT_TRUE(pixelIs(disc, x, y, once->pix[0]));
    EXPECT_TRUE(pixelIs(outline, 10 + r, 10, once->pix[0]));
    EXPECT_TRUE(pixelIs(outline, 10, 10 - r, once->pix[0]));
    EXPECT_EQ(touched(disc).size() > touched(outline).size(), r > 0);
    for (Surf* b : {outline, disc, once}) surfFree(b);
  }
}

TEST(Shapes, ShapesPartlyOutsideTheBitmapAreClipped) {
  Surf* b = surfBitmap(5, 5);
  surfClip(b, -10, -10, 100, 100);
  surfFillCircle(b, 0, 0, 50, SPixel{1, 1, 1, 255});
  surfCircle(b, 2, 2, 4, SPixel{2, 2, 2, 255});
  surfLine(b, -20, 3, 30, 3, SPixel{3, 3, 3, 255});
  surfFillRect(b, -100, -100, 300, 300, SPixel{4, 4, 4, 255});
  EXPECT_TRUE(pixelIs(b, 4, 4, SPixel{4, 4, 4, 255}));
  surfFree(b);
}

}  // namespace
