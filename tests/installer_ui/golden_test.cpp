// Every screen, rendered off screen at 500 x 350, must match its committed
// picture byte for byte, with the caches on and off alike. After an intended
// change of the screens' look, regenerate the pictures with
//   UPDATE_GOLDEN=1 build/default/tests/installer_ui/screen_tests --gtest_filter='*Golden*'
// and look at them before committing. A mismatch leaves the picture it got
// beside the test binary's working folder as <name>.actual.png.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "scenes.h"

namespace {

using scenes::Scene;

std::string goldenPath(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/golden/" + name + ".png";
}

bool sameBytes(const Surf* a, const Surf* b)
{
    return a->w == b->w && a->h == b->h
        && std::memcmp(a->pix, b->pix, sizeof(SPixel) * size_t(a->w) * size_t(a->h)) == 0;
}

struct GoldenCase {
    Scene scene;
    std::string name;
    bool caching;
};

class Golden : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(Golden, ScreenMatchesItsPicture)
{
    const GoldenCase& c = GetParam();
    scenes::Staged staged(c.scene, c.caching);
    // The overlay belongs to the whole process; it goes again whatever happens here.
    struct HideOverlay {
        scenes::Staged& staged;
        ~HideOverlay() { staged.hideDebugDialog(); }
    } hideOverlay{ staged };
    staged.showFrame();
    if (c.scene >= Scene::installCreating && c.scene <= Scene::installUnpacking) {
        ASSERT_EQ(staged.view->currentScreen(), AppView::install) << "the job moved on while held";
    }
    const Surf* actual = staged.window->bitmap().surfHandle();

    const std::string path = goldenPath(c.name);
    if (std::getenv("UPDATE_GOLDEN")) {
        ASSERT_EQ(surfSaveImage(path.c_str(), actual), 1) << path;
        GTEST_SKIP() << "wrote " << path;
    }
    std::unique_ptr<Surf, void (*)(Surf*)> expected(surfLoadImage(path.c_str()), surfFree);
    ASSERT_TRUE(expected) << "no picture at " << path;
    if (!sameBytes(actual, expected.get())) {
        const std::string mismatch = c.name + (c.caching ? "" : ".uncached") + ".actual.png";
        surfSaveImage(mismatch.c_str(), actual);
        FAIL() << c.name << " differs from " << path << "; got " << mismatch;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryScreen, Golden,
    ::testing::ValuesIn([] {
        std::vector<GoldenCase> cases;
        for (const auto& [scene, name] : scenes::allScenes())
            for (bool caching : { true, false })
                // The pictures are written from the cached run only.
                if (caching || !std::getenv("UPDATE_GOLDEN"))
                    cases.push_back({ scene, name, caching });
        return cases;
    }()),
    [](const auto& info) { return info.param.name + (info.param.caching ? "_cached" : "_uncached"); });
