// The screens as pictures, and what the pictures cannot show: in which frame a screen changes, what the job does
// meanwhile, and the flow driven from the keyboard.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "../shared/golden_picture.h"
#include "layout.h"
#include "scenes.h"

namespace {

using scenes::Scene;
using scenes::Staged;

bool jobStarted(Staged& staged) {
    return scenes::waitFor([&] { return !staged.view->installer().progress().message().empty(); });
}

// The top of the licence's first line that this frame shows once, as a fixed point: how far the agreement has moved
// since `before`.
struct LicenceLines {
    std::map<std::string, int> tops;
    explicit LicenceLines(OffscreenWindow& window) {
        std::map<std::string, int> seen;
        for (const auto& t : window.texts())
            if (t.font == labelFont.get() && t.text != "Exit" && t.text != "Install" && ++seen[t.text] == 1)
                tops[t.text] = t.pos.y;
        std::erase_if(tops, [&](const auto& line) { return seen[line.first] > 1; });
    }
    std::optional<int> movedSince(const LicenceLines& before) const {
        for (const auto& [text, y] : tops)
            if (auto it = before.tops.find(text); it != before.tops.end()) return y - it->second;
        return std::nullopt;
    }
};

}  // namespace

TEST(ScreenFlow, AClickChangesTheScreenFromTheNextFrameAndInstallStartsTheJobAtOnce) {
    Staged staged(Scene::start);
    OffscreenWindow& window = *staged.window;
    window.click("Next");
    EXPECT_EQ(staged.view->currentScreen(), AppView::license);
    EXPECT_TRUE(window.shows("Next")) << "the click's own frame still shows the start screen";
    EXPECT_FALSE((window.frame(), window.shows("Next")));
    EXPECT_EQ(staged.view->installer().progress().message(), "") << "no job before Install";
    window.click("Install");
    EXPECT_EQ(staged.view->currentScreen(), AppView::install);
    EXPECT_TRUE(jobStarted(staged)) << "no frame ran after the click";
}

// As the entry point does once its loop ends: the window goes, then the view.
TEST(ScreenFlow, ClosingTheWindowDuringTheJobCancelsItAndWaitsForIt) {
    Staged staged(Scene::installCreating);
    staged.window.reset(), staged.view->windowClosed(), staged.releaseJob(), staged.view.reset();
    EXPECT_FALSE(std::filesystem::exists(staged.target() / "Velliphon.vst3"));
}

// A rollback that could not finish names each file and where its previous version lies: long paths, more lines than the
// cell holds.
TEST(ScreenFlow, ALongCauseStaysInsideTheWindowAndScrollsAboveExit) {
    Staged staged(Scene::errorNotRestored);
    OffscreenWindow& window = *staged.window;
    window.frame();  // the scroll bar follows the previous frame's content
    const auto exit = window.find("Exit");
    std::string shown;
    ASSERT_TRUE(exit);
    for (const auto& t : window.texts()) {
        if (t.font != labelFont.get() || t.text == "Exit") continue;
        shown += t.text;
        EXPECT_LE(t.pos.x + labelFont->textWidth(t.text), 500 - 16) << "runs past the edge: " << t.text;
        EXPECT_LT(std::min(t.pos.y + labelFont->textHeight(), t.clip.y + t.clip.h), exit->pos.y) << t.text;
    }
    const std::string cause = staged.view->installer().cause();
    ASSERT_NE(cause.find('\n'), std::string::npos) << "not the rollback's report: " << cause;
    EXPECT_NE(shown.find(cause.substr(cause.rfind(' ') + 1)), std::string::npos) << "the old file's place in full";
}

TEST(Layout, WideWordsBreakAfterASeparatorAndPropertyTextsTurnBackslashNIntoBreaks) {
    Font& font = *labelFont;
    const int width = font.textWidth("/tmp/abcde");
    EXPECT_EQ(breakWideWords("words that fit stay", width, font), "words that fit stay");
    EXPECT_TRUE(breakWideWords("/tmp/abcdefghij", width, font).starts_with("/tmp/\n"));
    for (std::string_view text : {"C:\\Program Files\\Common Files\\VST3\\.com.tarnwick.velliphon.old-2",
                                  "averyveryverylongwordwithnoseparatoratall",
                                  "/home/j\xc3\xbcrgen-\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"}) {
        std::string broken = breakWideWords(text, width, font), word;
        for (std::istringstream words(broken); words >> word;) {
            EXPECT_LE(font.textWidth(word), width) << word;
            EXPECT_NE(static_cast<unsigned char>(word[0]) & 0xc0, 0x80) << "a character cut in two";
        }
        std::erase(broken, '\n');
        EXPECT_EQ(broken, text) << "only line breaks are added";
    }
    EXPECT_EQ(displayText("a\\nb\\b\\\\n\\n\r\n"), "a\nb\\b\\\n\n\r\n");
    EXPECT_EQ(getPropertyText("no such key"), "");
}

TEST(Keyboard, TabCyclesTheButtonsAndOnlyAFocusedButtonTakesSpace) {
    Staged staged(Scene::start);
    OffscreenWindow& window = *staged.window;
    EXPECT_EQ(staged.view->focusedButton(), KeyboardFocus::none);
    window.typeKeys(GUI_KEY_SPACE);
    for (const auto& [shift, focus] :
         {std::pair{0, 0}, {0, 1}, {0, 0}, {GUI_KEY_SHIFT, 1}, {GUI_KEY_SHIFT, 0}, {GUI_KEY_SHIFT, 1}}) {
        window.typeKeys(GUI_KEY_TAB | shift);
        EXPECT_EQ(staged.view->focusedButton(), focus);
    }
    EXPECT_EQ(staged.view->currentScreen(), AppView::start) << "Space and moving the focus press nothing";
    window.typeKeys(GUI_KEY_RETURN);
    EXPECT_EQ(staged.view->currentScreen(), AppView::license) << "Return presses the focused Next";
    EXPECT_EQ(staged.view->focusedButton(), KeyboardFocus::none) << "a new screen starts without focus";
    for (int key : {GUI_KEY_TAB, GUI_KEY_TAB, GUI_KEY_SPACE}) window.typeKeys(key);
    EXPECT_TRUE(jobStarted(staged)) << "Space pressed the focused Install";
}

TEST(Keyboard, EscapeCancelsTheInstallationAndReturnHasNoWayForward) {
    Staged staged(Scene::installCreating);
    for (const auto& [key, screen] : {std::pair{GUI_KEY_RETURN, AppView::install},
                                      {GUI_KEY_ESCAPE, AppView::cancelling},
                                      {GUI_KEY_RETURN, AppView::cancelling}}) {
        staged.window->typeKeys(key), staged.window->frame();
        EXPECT_EQ(staged.view->currentScreen(), screen) << key;
    }
}

TEST(Scrolling, KeysMoveTheLicenceByLinesAndPagesWithinItsEnds) {
    Staged staged(Scene::license);
    OffscreenWindow& window = *staged.window;
    const auto moved = [&](int key, const LicenceLines& since) {
        window.typeKeys(key), window.frame();
        return LicenceLines(window).movedSince(since);
    };
    const LicenceLines top(window);
    const int line = labelFont->textHeight() + 2;
    const std::optional<int> page = moved(GUI_KEY_PAGEDOWN, top);
    EXPECT_TRUE(page && -350 < *page && *page < -8 * line) << "most of the panel";
    for (const auto& [key, distance] :
         {std::pair{GUI_KEY_PAGEUP, 0}, {GUI_KEY_UP, 0}, {GUI_KEY_DOWN, -line}, {GUI_KEY_UP, 0}})
        EXPECT_EQ(moved(key, top), distance) << key;
    const LicenceLines end = (moved(GUI_KEY_END, top), LicenceLines(window));
    EXPECT_FALSE(end.tops.count("VELLIPHON END-USER LICENCE AGREEMENT"));
    EXPECT_EQ(moved(GUI_KEY_DOWN, end), 0) << "already at the end";
    EXPECT_EQ(moved(GUI_KEY_HOME, top), 0);
}

// Every screen, rendered off screen at 500 x 350 units, must match its committed picture byte for byte: at one pixel a
// unit with the caches on and off alike, and at the larger scales of high-density screens. After an intended change of
// the screens' look, regenerate the pictures with
//   UPDATE_GOLDEN=1 build/default/tests/installer_ui/screen_tests --gtest_filter='Golden*'
// and look at them before committing.
TEST(Golden, EveryScreenAtEveryScaleMatchesItsPicture) {
    const bool updating = std::getenv("UPDATE_GOLDEN") != nullptr;
    for (const auto& [scene, name] : scenes::allScenes())
        for (const auto& [scale, caching] :
             {std::pair{1.0f, true}, {1.0f, false}, {1.25f, true}, {1.5f, true}, {2.0f, true}}) {
            const int percent = int(scale * 100 + 0.5f);
            if ((percent != 100 && scene == Scene::focusMark) || (percent == 125 && scene != Scene::license) ||
                (updating && !caching))
                continue;
            const std::string file = name + (percent == 100 ? "" : "_scale" + std::to_string(percent)),
                              path = std::string(TEST_DATA_DIR) + "/golden/" + file + ".png";
            SCOPED_TRACE(file + (caching ? "" : ", uncached"));
            scenes::Staged staged(scene, caching, scale);
            staged.showFrame();
            expectPicture(staged.window->bitmap().surfHandle(), path, file + (caching ? "" : ".uncached"));
            staged.hideDebugDialog();  // one overlay for the whole process
        }
}
