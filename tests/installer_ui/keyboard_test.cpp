// The screens driven from the keyboard and the wheel, with input handed to
// the UI core through the input bridges, as the window's would be.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "../ui/fake_window_input.h"
#include "scenes.h"

namespace {

using scenes::Scene;
using scenes::Staged;

class Keys {
public:
    explicit Keys(Staged& staged) : _staged(staged)
    {
        step(); // the bridge's first hand-over: every key up
    }

    // One frame, after handing over the input as it stands.
    void step()
    {
        _staged.window->deliver(input);
        _staged.window->frame();
    }

    // A key pressed in one update and released in the next, the way the
    // window layer reports a quick press; Shift goes down first if asked.
    void type(int key, bool shift = false)
    {
        if (shift) {
            input.down = { SK_SHIFT };
            step();
            input.held = { SK_SHIFT };
        }
        input.down = { key };
        step();
        input.down.clear();
        input.held.clear();
        step();
    }

    FakeInput input;

private:
    Staged& _staged;
};

int focused(Staged& staged)
{
    return staged.view->focusedButton();
}

int lineHeight()
{
    return labelFont->textHeight() + 2;
}

// Where each line of the agreement that occurs once is drawn this frame.
std::map<std::string, int> lineTops(OffscreenWindow& window)
{
    std::map<std::string, int> tops;
    std::map<std::string, int> seen;
    for (const auto& t : window.texts())
        if (t.font == labelFont.get() && t.text != "Exit" && t.text != "Install" && ++seen[t.text] == 1)
            tops[t.text] = t.pos.y;
    std::erase_if(tops, [&](const auto& line) { return seen[line.first] > 1; });
    return tops;
}

// How far the agreement moved between two frames; nothing if no line shows in both.
std::optional<int> moved(const std::map<std::string, int>& before, const std::map<std::string, int>& after)
{
    for (const auto& [text, y] : after)
        if (auto it = before.find(text); it != before.end())
            return y - it->second;
    return std::nullopt;
}

} // namespace

TEST(KeyboardFocus, TabAndShiftTabCycleThroughTheButtonsOfTheScreen)
{
    Staged staged(Scene::start);
    Keys keys(staged);
    EXPECT_EQ(focused(staged), KeyboardFocus::none);
    const int order[] = { 0, 1, 0 };
    for (int expected : order) {
        keys.type(SK_TAB);
        EXPECT_EQ(focused(staged), expected);
    }
    keys.type(SK_TAB, true);
    EXPECT_EQ(focused(staged), 1);
    keys.type(SK_TAB, true);
    EXPECT_EQ(focused(staged), 0);
    keys.type(SK_TAB, true);
    EXPECT_EQ(focused(staged), 1);
    EXPECT_EQ(staged.view->currentScreen(), AppView::start) << "moving the focus presses nothing";
}

TEST(KeyboardFocus, ReturnGoesForwardAndANewScreenStartsWithoutFocus)
{
    Staged staged(Scene::start);
    Keys keys(staged);
    keys.type(SK_SPACE);
    EXPECT_EQ(staged.view->currentScreen(), AppView::start) << "Space presses only a focused button";

    keys.type(SK_RETURN);
    EXPECT_EQ(staged.view->currentScreen(), AppView::license);
    EXPECT_EQ(focused(staged), KeyboardFocus::none);

    keys.type(SK_TAB);
    keys.type(SK_TAB); // Install
    keys.type(SK_SPACE);
    EXPECT_NE(staged.view->currentScreen(), AppView::license);
    EXPECT_TRUE(scenes::waitFor([&] { return !staged.view->installer().progress().message().empty(); }))
        << "the job started";
    EXPECT_EQ(focused(staged), KeyboardFocus::none);
}

TEST(KeyboardFocus, ShiftReturnPressesNothingAndTogglesTheOverlay)
{
    Staged staged(Scene::start);
    Keys keys(staged);
    const bool overlay = debugDialog.visible();
    keys.type(SK_RETURN, true);
    EXPECT_EQ(staged.view->currentScreen(), AppView::start);
    EXPECT_NE(debugDialog.visible(), overlay);

    keys.type(SK_TAB);
    keys.type(SK_TAB); // Next
    keys.type(SK_RETURN, true);
    EXPECT_EQ(staged.view->currentScreen(), AppView::start) << "not even the focused button";
    EXPECT_EQ(debugDialog.visible(), overlay);
}

TEST(KeyboardFocus, EscapeCancelsTheInstallation)
{
    Staged staged(Scene::installCreating);
    Keys keys(staged);
    keys.type(SK_RETURN);
    EXPECT_EQ(staged.view->currentScreen(), AppView::install) << "no forward button while installing";
    keys.type(SK_ESCAPE);
    EXPECT_EQ(staged.view->currentScreen(), AppView::cancelling);
    keys.type(SK_RETURN);
    EXPECT_EQ(staged.view->currentScreen(), AppView::cancelling) << "Exit is no way forward while cancelling";
}

using KeyboardExitDeathTest = ::testing::TestWithParam<std::pair<Scene, int>>;

TEST_P(KeyboardExitDeathTest, KeyPressesExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto [scene, key] = GetParam();
    EXPECT_EXIT(
        {
            Staged staged(scene);
            Keys keys(staged);
            keys.type(key);
            std::fprintf(stderr, "still running\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(OnScreens, KeyboardExitDeathTest,
                         ::testing::Values(std::pair{ Scene::start, SK_ESCAPE }, std::pair{ Scene::celebrate, SK_RETURN },
                                           std::pair{ Scene::errorFailed, SK_ESCAPE }));

TEST(LicenceScrolling, KeysMoveTheAgreementByLinesPagesAndToItsEnds)
{
    Staged staged(Scene::license);
    Keys keys(staged);
    OffscreenWindow& window = *staged.window;
    const auto top = lineTops(window);
    const std::string first = "VELLIPHON END-USER LICENCE AGREEMENT";
    ASSERT_TRUE(top.count(first));

    keys.type(SK_UP);
    EXPECT_EQ(moved(top, lineTops(window)), 0) << "already at the top";
    keys.type(SK_DOWN);
    EXPECT_EQ(moved(top, lineTops(window)), -lineHeight());
    keys.type(SK_UP);
    EXPECT_EQ(moved(top, lineTops(window)), 0);

    keys.type(SK_PAGEDN);
    const auto paged = lineTops(window);
    const std::optional<int> page = moved(top, paged);
    ASSERT_TRUE(page);
    EXPECT_LT(*page, -8 * lineHeight()) << "most of the panel";
    EXPECT_GT(*page, -350);
    keys.type(SK_PAGEUP);
    EXPECT_EQ(moved(top, lineTops(window)), 0);

    keys.type(SK_END);
    const auto end = lineTops(window);
    EXPECT_FALSE(end.count(first));
    keys.type(SK_DOWN);
    EXPECT_EQ(moved(end, lineTops(window)), 0) << "already at the end";
    keys.type(SK_HOME);
    EXPECT_EQ(lineTops(window).at(first), top.at(first));
}

class WheelScrolling : public ::testing::TestWithParam<float> {};

TEST_P(WheelScrolling, WheelScrollsThePanelUnderThePointerOnly)
{
    const float scale = GetParam();
    Staged staged(Scene::license, true, scale);
    Keys keys(staged);
    keys.input.scale = scale;
    OffscreenWindow& window = *staged.window;
    const auto pointAt = [&](int unitsX, int unitsY) {
        keys.input.x = static_cast<int>(unitsX * scale);
        keys.input.y = static_cast<int>(unitsY * scale);
        keys.step();
    };
    const auto turn = [&](float notches) {
        keys.input.wheelY = notches;
        keys.step();
        keys.input.wheelY = 0;
        keys.step(); // the core scrolls at the end of the frame that took the wheel
    };
    const auto top = lineTops(window);

    pointAt(250, 330); // below the panel, between the buttons' row and the edge
    turn(1.0f);
    EXPECT_EQ(moved(top, lineTops(window)), 0);

    pointAt(250, 250); // low in the panel: at 1.5 the same pixels as units would be off the window
    turn(1.0f);
    EXPECT_EQ(moved(top, lineTops(window)), -static_cast<int>(MouseBridge::unitsPerNotch));
    turn(-1.0f);
    EXPECT_EQ(moved(top, lineTops(window)), 0);
    turn(-1.0f);
    EXPECT_EQ(moved(top, lineTops(window)), 0) << "not above the top";
}

INSTANTIATE_TEST_SUITE_P(AtScales, WheelScrolling, ::testing::Values(1.0f, 1.5f));
