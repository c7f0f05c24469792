// Every screen, rendered off screen at 500 x 350 units, must match its
// committed picture byte for byte: at one pixel a unit with the caches on and
// off alike, and at the larger scales of high-density screens. After an intended
// change of the screens' look, regenerate the pictures with
//   UPDATE_GOLDEN=1 build/default/tests/installer_ui/screen_tests --gtest_filter='Golden*'
// and look at them before committing. A mismatch leaves the picture it got in
// the working folder as <name>.actual.png.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "scenes.h"

using scenes::Scene;

TEST(Golden, EveryScreenAtEveryScaleMatchesItsPicture) {
    const bool updating = std::getenv("UPDATE_GOLDEN") != nullptr;
    for (const auto& [scene, name] : scenes::allScenes())
        for (const auto& [scale, caching] :
             {std::pair{1.0f, true}, {1.0f, false}, {1.25f, true}, {1.5f, true}, {2.0f, true}}) {
            const int percent = int(scale * 100 + 0.5f);
            if ((percent != 100 && scene == Scene::focusMark) || (percent == 125 && scene != Scene::license) ||
                (updating && !caching))
                continue;
            const std::string file = name + (percent == 100 ? "" : "_scale" + std::to_string(percent));
            SCOPED_TRACE(file + (caching ? "" : ", uncached"));
            scenes::Staged staged(scene, caching, scale);
            staged.showFrame();
            const bool held = scene >= Scene::installCreating && scene <= Scene::installUnpacking;
            EXPECT_TRUE(!held || staged.view->currentScreen() == AppView::install) << "the job moved on while held";
            const Surf* actual = staged.window->bitmap().surfHandle();
            const std::string path = std::string(TEST_DATA_DIR) + "/golden/" + file + ".png";
            const std::unique_ptr<Surf, void (*)(Surf*)> expected(updating ? nullptr : surfLoadImage(path.c_str()),
                                                                  surfFree);
            if (updating) {
                EXPECT_EQ(surfSaveImage(path.c_str(), actual), 1) << path;
            } else if (!expected || actual->w != expected->w || actual->h != expected->h ||
                       std::memcmp(actual->pix, expected->pix, sizeof(SPixel) * actual->w * actual->h) != 0) {
                const std::string got = file + (caching ? "" : ".uncached") + ".actual.png";
                surfSaveImage(got.c_str(), actual);
                ADD_FAILURE() << "differs from " << path << " or it is missing; got " << got;
            }
            staged.hideDebugDialog();  // one overlay for the whole process
        }
}
