// Image assets: embedded PNGs decoded into owned bitmaps, and the white,
// alpha-shaped icons made from them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "shared/assets.h"
#include "surf/surf.h"

namespace {

TEST(ImageAssets, IconsAreWhiteWithTheImagesAlphaAndBadBytesThrowNamingTheAsset) {
    for (const AssetRef& ref : {EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                                EMBEDDED_ASSET(icon_expanded)}) {
        SCOPED_TRACE(ref.assetName);
        std::shared_ptr<Surf> image = assets::image(ref), icon = assets::icon(ref);
        ASSERT_EQ(icon->w * 100 + icon->h, 18 * 100 + 18);
        ASSERT_EQ(image->w * 100 + image->h, 18 * 100 + 18);
        int opaque = 0;
        for (int i = 0; i < 18 * 18; i++) {
            const SPixel p = icon->pix[i], q = image->pix[i];
            EXPECT_TRUE(p.r == 255 && p.g == 255 && p.b == 255 && p.a == q.a) << i;
            opaque += q.a != 0;
        }
        EXPECT_GT(opaque, 0);
        EXPECT_LT(opaque, 18 * 18);
    }
    const AssetRef props = EMBEDDED_ASSET(properties);
    for (auto load : {assets::image, assets::icon}) {
        try {
            load(AssetRef{props.assetData, props.assetSize, "icon_check"});
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Failed to load image icon_check");
        }
    }
}

}  // namespace
