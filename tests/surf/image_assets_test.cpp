// Image assets: embedded PNGs decoded into owned bitmaps, and the white, alpha-shaped icons made from them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "shared/assets.h"
#include "surf/surf.h"

TEST(ImageAssets, IconsAreWhiteWithTheImagesAlphaAndBadBytesThrowNamingTheAsset) {
    for (const AssetRef& ref : {EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                                EMBEDDED_ASSET(icon_expanded)}) {
        std::shared_ptr<Surf> image = assets::image(ref), icon = assets::icon(ref);
        ASSERT_EQ(std::vector({image->w, image->h, icon->w, icon->h}), std::vector({18, 18, 18, 18})) << ref.assetName;
        int opaque = 0, wrong = 0;
        for (int i = 0; i < 18 * 18; i++) {
            const SPixel p = icon->pix[i];
            wrong += !(p.r == 255 && p.g == 255 && p.b == 255 && p.a == image->pix[i].a), opaque += p.a != 0;
        }
        EXPECT_TRUE(!wrong && opaque > 0 && opaque < 18 * 18) << ref.assetName;
    }
    const AssetRef props = EMBEDDED_ASSET(properties);
    for (auto load : {assets::image, assets::icon}) {
        std::string message;
        try {
            load(AssetRef{props.assetData, props.assetSize, "icon_check"});
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        EXPECT_EQ(message, "Failed to load image icon_check");
    }
}
