#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
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

TEST(ScreenFlow, ErrorScreenShowsTheCauseBetweenTheMessageAndTheAdvice)
{
    Staged staged(Scene::errorUnpack);
    OffscreenWindow& window = *staged.window;
    window.frame();
    const std::string cause = staged.view->installer().cause();
    ASSERT_FALSE(cause.empty());
    const auto message = window.find("Failed to unpack plugin");
    const auto shownCause = window.find(cause);
    const auto advice = window.find("Velliphon could not be installed. The message above");
    ASSERT_TRUE(message && shownCause && advice);
    EXPECT_EQ(shownCause->font, labelFont.get());
    EXPECT_LT(message->pos.y, shownCause->pos.y);
    EXPECT_LT(shownCause->pos.y, advice->pos.y);
}

TEST(ScreenFlow, CancelWaitsWithoutButtonsForTheJobThenSaysNothingChanged)
{
    Staged staged(Scene::cancelling);
    OffscreenWindow& window = *staged.window;
    for (int i = 0; i < 3; ++i) {
        window.frame();
        ASSERT_EQ(staged.view->currentScreen(), AppView::cancelling) << "the job is still held";
    }
    EXPECT_TRUE(window.shows("Cancelling..."));
    EXPECT_FALSE(window.shows("Exit")) << "ending the process now would cut the rollback short";
    EXPECT_FALSE(window.shows("Cancel"));

    staged.releaseJob();
    ASSERT_TRUE(staged.runUntil(AppView::cancelled));
    window.frame();
    EXPECT_EQ(boldTexts(window), std::vector<std::string>{ "Installation cancelled" });
    EXPECT_TRUE(window.shows("Nothing on this computer was changed."));
    EXPECT_TRUE(window.shows("Exit"));
    EXPECT_FALSE(fs::exists(staged.target() / "Velliphon.vst3"));
}

// As the entry point does once its loop ends: the window goes, then the view.
TEST(ScreenFlow, ClosingTheWindowDuringTheJobCancelsItAndWaitsForIt)
{
    Staged staged(Scene::installCreating);
    staged.window.reset();
    staged.view->windowClosed();
    staged.releaseJob();
    staged.view.reset();
    EXPECT_FALSE(fs::exists(staged.target() / "Velliphon.vst3"));
}

// A rollback that could not finish names each file and where its previous
// version lies: long paths, more lines than the cell holds.
TEST(ScreenFlow, ALongCauseStaysInsideTheWindowAndScrollsAboveExit)
{
    Staged staged(Scene::errorNotRestored);
    OffscreenWindow& window = *staged.window;
    window.frame(); // the scroll bar follows the previous frame's content
    const auto exit = window.find("Exit");
    ASSERT_TRUE(exit);
    std::string shown;
    for (const auto& t : window.texts()) {
        if (t.font != labelFont.get() || t.text == "Exit")
            continue;
        shown += t.text;
        EXPECT_LE(t.pos.x + labelFont->textWidth(t.text), 500 - 16) << "runs past the edge: " << t.text;
        const int bottom = std::min(t.pos.y + labelFont->textHeight(), t.clip.y + t.clip.h);
        EXPECT_LT(bottom, exit->pos.y) << "over the Exit button: " << t.text;
    }
    const std::string cause = staged.view->installer().cause();
    ASSERT_NE(cause.find('\n'), std::string::npos) << "not the rollback's report: " << cause;
    const std::string backup = cause.substr(cause.rfind(' ') + 1);
    EXPECT_NE(shown.find(backup), std::string::npos) << "where the old file lies, in full: " << backup;
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

TEST(WideWords, AreBrokenAfterAPathSeparatorSoThatEveryPieceFits)
{
    Font& font = *labelFont;
    const int width = font.textWidth("/tmp/abcde");
    EXPECT_EQ(breakWideWords("words that fit stay as they are", width, font), "words that fit stay as they are");
    EXPECT_TRUE(breakWideWords("/tmp/abcdefghij", width, font).starts_with("/tmp/\n"));
    for (std::string_view text : { "kept as /var/lib/plug-ins/.com.tarnwick.velliphon.old-2 now",
                                   "C:\\Program Files\\Common Files\\VST3\\.com.tarnwick.velliphon.old-2",
                                   "averyveryverylongwordwithnoseparatoratall",
                                   "/home/j\xc3\xbcrgen-\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4" }) {
        const std::string broken = breakWideWords(text, width, font);
        std::string rejoined = broken;
        std::erase(rejoined, '\n');
        EXPECT_EQ(rejoined, text) << "only line breaks are added";
        std::string line, word;
        for (std::istringstream lines(broken); std::getline(lines, line, '\n');)
            for (std::istringstream words(line); words >> word;) {
                EXPECT_LE(font.textWidth(word), width) << word;
                EXPECT_NE(static_cast<unsigned char>(word[0]) & 0xc0, 0x80) << "a character cut in two";
            }
    }
}
