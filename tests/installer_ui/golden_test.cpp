// Every screen, rendered off screen at 500 x 350 units, must match its
// committed picture byte for byte: at one pixel a unit with the caches on and
// off alike, and at the larger scales of high-density screens. After an intended
// change of the screens' look, regenerate the pictures with
//   UPDATE_GOLDEN=1 build/default/tests/installer_ui/screen_tests --gtest_filter='*Golden*'
// and look at them before committing. A mismatch leaves the picture it got
// beside the test binary's working folder as <name>.actual.png.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

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
    std::string name; // of the picture, which tells the scale too
    bool caching;
    float scale;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name << (c.caching ? "" : ", uncached");
}

// Pictures at other scales than 1 carry it in their name: start_scale150.
std::string scaledName(const char* name, float scale)
{
    const int percent = static_cast<int>(scale * 100.0f + 0.5f);
    return percent == 100 ? name : std::string(name) + "_scale" + std::to_string(percent);
}

std::vector<GoldenCase> allCases()
{
    const bool updating = std::getenv("UPDATE_GOLDEN") != nullptr;
    std::vector<GoldenCase> cases;
    for (const auto& [scene, name] : scenes::allScenes()) {
        // The pictures are written from the cached run only.
        for (bool caching : { true, false })
            if (caching || !updating)
                cases.push_back({ scene, name, caching, 1.0f });
        if (scene == Scene::focusMark)
            continue;
        for (float scale : { 1.5f, 2.0f })
            cases.push_back({ scene, scaledName(name, scale), true, scale });
        if (scene == Scene::license)
            cases.push_back({ scene, scaledName(name, 1.25f), true, 1.25f });
    }
    return cases;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(Golden, ScreenMatchesItsPicture)
{
    const GoldenCase& c = GetParam();
    scenes::Staged staged(c.scene, c.caching, c.scale);
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
    ::testing::ValuesIn(allCases()),
    [](const auto& info) { return info.param.name + (info.param.caching ? "_cached" : "_uncached"); });
