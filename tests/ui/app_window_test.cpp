// The application window on the window layer's private Xvfb, with real X input. Xlib names a typedef Font, as does our
// text interface: Xlib's is renamed for this file, which uses neither.
#define Font XlibFont
#include "../window/window_test.h"

#include <X11/keysym.h>
#undef Font

#include <functional>
#include <memory>

#include "ui/app.h"
#include "ui/style.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

// A root window in a known colour holding one button that fills it.
struct ButtonScreen : UIRendererDelegate {
    std::shared_ptr<FakeFont> font = std::make_shared<FakeFont>();
    UIContext seen{};
    int frames = 0, presses = 0;
    void render(UIContext& context) override {
        seen = context, ++frames;
        UIStyle style(context.ctx);
        style.font(font).color(GUI_COLOR_WINDOWBG, Color::ACCENT);
        UIToolkit(context).window(
            "Root",
            [this](UIToolkit& t) {
                t.row(-1,
                      {{UI::Spacer(), UI::Share(1.0f)}, {UI::Button("Press", [this] { ++presses; }), UI::Share(1.0f)}});
            },
            GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE);
    }
};

class AppWindowTest : public WindowTest {
protected:
    ButtonScreen screen;
    const UIIconSet icons = whiteIcons(18);
    std::unique_ptr<AppWindow> app;
    void SetUp() override {
        WindowTest::SetUp(), app = std::make_unique<AppWindow>(200, 100, "AppWindow test", SURF_RESIZE, icons, screen);
        ASSERT_TRUE(renderUntil([&] {
            Window focus;
            int revert;
            XGetInputFocus(x, &focus, &revert);
            return focus == xwindow(app->win.surfHandle()) && attributes(app->win.surfHandle()).map_state == IsViewable;
        })) << "the window was not shown with the focus";
    }
    void TearDown() override { app.reset(), WindowTest::TearDown(); }
    bool renderUntil(const std::function<bool()>& condition, int maxFrames = 300) {
        for (int frame = 0; frame < maxFrames; ++frame) {
            if (app->render(), XSync(x, False), condition()) return true;
            usleep(2000);
        }
        return false;
    }
    void renderFrames(int n) {
        renderUntil([] { return false; }, n);
    }
};

}  // namespace

TEST_F(AppWindowTest, FramesArePresentedUnlessTheyRepeatAndARealClickPressesOnce) {
    EXPECT_EQ(screen.seen.ctx, &app->ctx);
    EXPECT_EQ((std::array{screen.seen.width, screen.seen.height, int(screen.seen.backingScale * 2)}),
              (std::array{200, 100, 2}));
    EXPECT_EQ(icons.close.use_count(), 2);  // the window keeps a copy of the set
    EXPECT_FALSE(app->closed());
    // Below the title bar, left of the button, the root window's background.
    EXPECT_TRUE(renderUntil([&] { return pixel(app->win.surfHandle(), 20, 80) == packed(Color::ACCENT); }));
    moveMouse(rootX(app->win.surfHandle()) + 20, rootY(app->win.surfHandle()) + 80);
    renderFrames(5);
    const int skippedBefore = app->skippedFrames(), framesBefore = screen.frames;
    renderFrames(10);
    EXPECT_EQ(screen.frames - framesBefore, 10) << "every frame is still described";
    EXPECT_EQ(app->skippedFrames() - skippedBefore, 10) << "nothing changed, nothing drawn";
    // The pointer onto the button, clear of its label: the hover shows, so that frame is drawn.
    const auto buttonFace = [&] { return surfGet(app->win.surfHandle(), 110, 90); };
    const SPixel idle = buttonFace();
    moveMouse(rootX(app->win.surfHandle()) + 150, rootY(app->win.surfHandle()) + 60);
    EXPECT_TRUE(renderUntil([&] { return !(buttonFace() == idle); }));
    const int skippedAfterHover = app->skippedFrames();
    renderFrames(5);
    EXPECT_EQ(app->skippedFrames() - skippedAfterHover, 5) << "and then rests again";
    for (bool down : {true, false}) button(1, down), renderFrames(5);
    EXPECT_EQ(screen.presses, 1);
}
