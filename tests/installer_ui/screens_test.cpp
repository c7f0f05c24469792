#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "layout.h"
#include "progress_control.h"
#include "scenes.h"
#include "ui/toolkit.h"
#include "ui/widgets.h"

namespace {

using scenes::Scene;
using scenes::Staged;
namespace fs = std::filesystem;

// The texts drawn in the bold face, other than the title bar's.
std::vector<std::string> boldTexts(OffscreenWindow& window)
{
    std::vector<std::string> found;
    for (const auto& t : window.texts())
        if (t.font == titleFont.get() && t.text != "Installer")
            found.push_back(t.text);
    return found;
}

} // namespace

TEST(ScreenFlow, TitleBarShowsTheHeadingInBold)
{
    Staged staged(Scene::start);
    const auto title = staged.window->find(props.getString("heading", ""));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->font, titleFont.get());
    EXPECT_LT(title->pos.y, 24) << "in the title bar";
    EXPECT_FALSE(staged.window->shows(props.getString("title", "")));
}

TEST(ScreenFlow, NextShowsTheLicenceFromTheNextFrame)
{
    Staged staged(Scene::start);
    OffscreenWindow& window = *staged.window;
    window.click("Next");
    EXPECT_EQ(staged.view->currentScreen(), AppView::license);
    EXPECT_TRUE(window.shows("Next")) << "the click's own frame still shows the start screen";
    EXPECT_FALSE(window.shows("Install"));

    window.frame();
    EXPECT_TRUE(window.shows("Install"));
    EXPECT_TRUE(window.shows("Exit"));
    EXPECT_FALSE(window.shows("Next"));
}

TEST(ScreenFlow, InstallStartsTheJobInTheClicksFrame)
{
    Staged staged(Scene::license);
    OffscreenWindow& window = *staged.window;
    window.frame();
    EXPECT_EQ(staged.view->installer().progress().message(), "") << "no job before Install";

    window.click("Install");
    EXPECT_EQ(staged.view->currentScreen(), AppView::install);
    EXPECT_TRUE(window.shows("Install"));
    // No further frame runs: the job can only have been started by that click.
    EXPECT_TRUE(scenes::waitFor([&] { return !staged.view->installer().progress().message().empty(); }));

    ASSERT_TRUE(staged.runUntil(AppView::celebrate));
    window.frame();
    EXPECT_TRUE(window.shows("Exit"));
    EXPECT_FALSE(window.shows("Cancel"));
}

TEST(ScreenFlow, SuccessShowsTheCelebration)
{
    Staged staged(Scene::celebrate);
    staged.window->frame();
    const std::string celebration = getPropertyText("celebration");
    const auto texts = staged.window->texts();
    const bool shown = std::any_of(texts.begin(), texts.end(), [&](const auto& t) {
        return t.font == labelFont.get() && t.text.size() > 10 && celebration.starts_with(t.text);
    });
    EXPECT_TRUE(shown) << "the celebration's first line";
    EXPECT_TRUE(boldTexts(*staged.window).empty());
}

class FailedJob : public ::testing::TestWithParam<std::pair<Scene, const char*>> {};

TEST_P(FailedJob, ErrorScreenLeadsWithTheJobsMessageInBold)
{
    const auto [scene, message] = GetParam();
    Staged staged(scene);
    staged.window->frame();
    EXPECT_EQ(staged.view->currentScreen(), AppView::error);
    EXPECT_EQ(boldTexts(*staged.window), std::vector<std::string>{ message });
    EXPECT_TRUE(staged.window->shows("Exit"));
}

INSTANTIATE_TEST_SUITE_P(
    EachFailure, FailedJob,
    ::testing::Values(std::pair{ Scene::errorSetUp, "Failed to set up target folder" },
                      std::pair{ Scene::errorUnpack, "Failed to unpack plugin" },
                      std::pair{ Scene::errorFailed, "Installation failed!" }));

TEST(ScreenFlow, CancelLeadsToCancellingWhichNeverLeavesByItself)
{
    Staged staged(Scene::cancelling);
    OffscreenWindow& window = *staged.window;
    EXPECT_EQ(staged.view->currentScreen(), AppView::cancelling);
    window.frame();
    EXPECT_TRUE(window.shows("Cancelling..."));
    EXPECT_TRUE(window.shows("Exit"));
    EXPECT_FALSE(window.shows("Cancel"));
}

TEST(ScreenFlow, CancellingStaysAfterTheJobStopped)
{
    scenes::TempFolder folder;
    auto gate = std::make_shared<scenes::TargetGate>(folder.path() / "vst3");
    {
        AppView view("Installer", { [gate] { return gate->lookUp(); }, embeddedPayload() });
        OffscreenWindow window(view);
        window.frame();
        window.click("Next");
        window.frame();
        window.click("Install");
        window.frame();
        window.click("Cancel");
        gate->release();
        EXPECT_TRUE(scenes::waitFor(
            [&] { return view.installer().progress().message() == "Installation cancelled"; }));
        for (int i = 0; i < 3; ++i)
            window.frame();
        EXPECT_EQ(view.currentScreen(), AppView::cancelling);
        EXPECT_TRUE(window.shows("Cancelling..."));
    }
    EXPECT_FALSE(fs::exists(folder.path() / "vst3" / "Velliphon.vst3" / "PlugIn.ico"))
        << "the job stopped before the last entry";
}

TEST(PropertyText, BackslashNBecomesALineBreakAndNothingElseChanges)
{
    EXPECT_EQ(displayText("a\\nb"), "a\nb");
    EXPECT_EQ(displayText("a\\b"), "a\\b");
    EXPECT_EQ(displayText("a\\\\nb"), "a\\\nb");
    EXPECT_EQ(displayText("\\n\\n"), "\n\n");
    EXPECT_EQ(displayText("end\r\n"), "end\r\n");
    EXPECT_EQ(displayText(""), "");
    EXPECT_EQ(getPropertyText("no such key"), "");
    EXPECT_EQ(getPropertyText("heading"), "Installer");
}

namespace {

// Describes one progress bar across a 200-unit cell and nothing else.
class BarOnly : public UIRendererDelegate {
public:
    explicit BarOnly(float position) : _position(position) {}
    void render(UIContext& context) override
    {
        UIStyle style(context.ctx);
        style.font(labelFont).padding(0).spacing(0);
        UIToolkit toolkit(context);
        toolkit.window("bar", [this](UIToolkit& t) {
            gui_layout_row(&t.context(), 1, std::array{ 200 }.data(), 16);
            t.layoutChild(ProgressControl(_position));
        }, GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NOINTERACT);
    }

private:
    float _position;
};

// The bar's rectangles of the last frame: first its one-unit outline (four
// rectangles), then the fill.
std::vector<gui_Rect> barRects(OffscreenWindow& window)
{
    std::vector<gui_Rect> rects;
    gui_Command* cmd = nullptr;
    while (gui_next_command(window.context(), &cmd))
        if (cmd->type == GUI_COMMAND_RECT)
            rects.push_back(cmd->rect.rect);
    return rects;
}

} // namespace

TEST(ProgressBar, FillsItsFractionAndShowsASliverAtZero)
{
    for (auto [position, width] : { std::pair{ 0.0f, 1 }, std::pair{ 0.25f, 50 }, std::pair{ 0.75f, 150 } }) {
        BarOnly bar(position);
        OffscreenWindow window(bar, 300, 50);
        window.frame();
        const std::vector<gui_Rect> rects = barRects(window);
        ASSERT_EQ(rects.size(), 5u) << position;
        EXPECT_EQ(rects[4].x, rects[2].x) << "filled from the left edge";
        EXPECT_EQ(rects[4].w, width) << position;
        EXPECT_EQ(rects[4].h, 16);
    }
}
