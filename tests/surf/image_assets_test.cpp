// Image assets: decoding an embedded PNG into an owned bitmap and the
// white, alpha-shaped icons.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "shared/assets.h"
#include "surf/surf.h"

namespace {

TEST(ImageAssets, CheckIconIsWhiteWithTheImagesAlpha) {
  const AssetRef ref = EMBEDDED_ASSET(icon_check);
  std::shared_ptr<Surf> image = assets::image(ref);
  std::shared_ptr<Surf> icon = assets::icon(ref);
  ASSERT_EQ(icon->w, 18);
  ASSERT_EQ(icon->h, 18);
  ASSERT_EQ(image->w, 18);
  int opaque = 0;
  for (int i = 0; i < 18 * 18; i++) {
    const SPixel p = icon->pix[i], q = image->pix[i];
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(p.a, q.a);
    EXPECT_TRUE(q.r == q.g && q.g == q.b);  // grey with alpha
    opaque += q.a != 0;
  }
  EXPECT_GT(opaque, 0);
  EXPECT_LT(opaque, 18 * 18);
}

TEST(ImageAssets, EveryIconDecodes) {
  for (const AssetRef& ref : {EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                              EMBEDDED_ASSET(icon_expanded)}) {
    std::shared_ptr<Surf> icon = assets::icon(ref);
    EXPECT_EQ(icon->w, 18) << ref.assetName;
    EXPECT_EQ(icon->h, 18) << ref.assetName;
  }
}

TEST(ImageAssets, BytesThatAreNotAnImageThrowNamingTheAsset) {
  const AssetRef props = EMBEDDED_ASSET(properties);
  const AssetRef bad{props.assetData, props.assetSize, "icon_check"};
  for (auto load : {assets::image, assets::icon}) {
    try {
      load(bad);
      FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Failed to load image icon_check");
    }
  }
}

TEST(ImageAssets, OnePixelImageGivesOnePixelIcon) {
  std::ifstream f(TEST_DATA_DIR "/png/greyalpha8_1x1.png", std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  const AssetRef ref{bytes.data(), bytes.size(), "tiny"};
  std::shared_ptr<Surf> image = assets::image(ref);
  std::shared_ptr<Surf> icon = assets::icon(ref);
  ASSERT_EQ(icon->w, 1);
  ASSERT_EQ(icon->h, 1);
  EXPECT_EQ(icon->pix[0].r, 255);
  EXPECT_EQ(icon->pix[0].a, image->pix[0].a);
}

}  // namespace
