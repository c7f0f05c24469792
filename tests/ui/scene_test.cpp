// One scene, rendered at 1.5 pixels a unit, holds every command kind (rects,
// text, clips, icons, generic drawers), every palette role, nested style
// overrides, row arithmetic with fixed cells and shares, label alignments,
// sprites and a knob; it must match data/scene.png byte for byte. After an
// intended change of the look, regenerate it with
//   UPDATE_GOLDEN=1 build/default/tests/ui/ui_tests --gtest_filter='UIScene*'
// and look at it before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ui/controls.h"
#include "ui/widgets.h"
#include "ui_harness.h"

namespace {

SPixel shade(int i) {
    return {static_cast<unsigned char>(40 + 15 * i), static_cast<unsigned char>(200 - 12 * i),
            static_cast<unsigned char>(90 + 9 * i), 255};
}

UIStyle::Palette everyRole() {
    UIStyle::Palette p;
    std::optional<Color>* roles[] = {&p.text,
                                     &p.border,
                                     &p.windowBackground,
                                     &p.titleBackground,
                                     &p.titleText,
                                     &p.panelBackground,
                                     &p.button,
                                     &p.buttonHover,
                                     &p.buttonFocus,
                                     &p.base,
                                     &p.baseHover,
                                     &p.baseFocus,
                                     &p.scrollBase,
                                     &p.scrollThumb};
    for (int i = 0; i < 14; ++i) *roles[i] = Color(shade(i));
    return p;
}

UI::Cell frameCell(int i, float size) {
    return {[i](UIToolkit& t) { t.frame(Color(shade(i))); }, size};
}

}  // namespace

TEST(UIScene, EveryCommandKindAndPaletteRoleMatchesThePicture) {
    UIHarness ui(240, 200);
    Bitmap target(360, 300, 1.5f);
    // Icons of sizes 2 to 5, the last half transparent so that scaling shows its smoothing.
    auto half = solidBitmap(4, 4, {0, 0, 0, 0});
    surfFill(half.get(), 0, 0, 2, 4, {255, 255, 255, 255});
    const UIIconSet icons(solidBitmap(2, 2), solidBitmap(3, 3), solidBitmap(5, 5), half);
    SpriteSheet sheet{solidBitmap(12, 8), 4, 4};  // cel (column c, row r) is coloured (60c, 60r, 200)
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r)
            surfFill(sheet.image.get(), c * 4, r * 4, 4, 4,
                     SPixel{(unsigned char)(60 * c), (unsigned char)(60 * r), 200, 255});
    IndexedSprite row{sheet, geo::Point{}, IndexedSprite::Row, 1, 2},
        column{sheet, geo::Point{}, IndexedSprite::Column, 2, 1};
    auto palette = solidBitmap(2, 2);
    palette->pix[0] = palette->pix[2] = shade(3), palette->pix[1] = shade(8), palette->pix[3] = shade(12);
    int knob = 6;
    const auto scene = [&](UIToolkit& t) {
        gui_Context* c = &t.context();
        t.row(12, {frameCell(0, 24), frameCell(1, 1.0f), frameCell(2, 0.5f)});
        t.row(12, {frameCell(3, 24), frameCell(4, 1.5f), frameCell(5, 1.0f)});
        t.row(12, {frameCell(6, 0.0f), frameCell(7, 1.0f), frameCell(8, 1.0f)});
        t.row(-1, {});
        t.column(-1, true, {});
        t.row(14, {{[](UIToolkit& t) { t.label("left", UIToolkit::alignLeft); }, 1.0f},
                   {[&](UIToolkit& t) {
                        UIStyle inner(c);
                        inner.color(GUI_COLOR_TEXT, Color::ACCENT).padding(0);
                        t.label("mid", UIToolkit::alignCenter);
                    },
                    1.0f},
                   {[](UIToolkit& t) { t.label("right", UIToolkit::alignRight); }, 1.0f}});
        t.row(24, {{UI::Button("Go", [] {}), 40},
                   {[&](UIToolkit&) { gui_image_knob(c, row, &knob); }, 10},
                   {UI::Panel([](UIToolkit& t) { t.text("a panel of words wrapping"); }, "panel"), 1.0f}});
        const geo::Rect anywhere(0, 0, 1, 1);
        pushGenericDrawCommand(c, anywhere, [&](Bitmap& b, geo::Rect&) {
            for (int i : {-3, 1, 7}) row.draw(b, i, 10 + 10 * (i + 3), 250);
            for (int i : {1, 9}) column.draw(b, i, 130 + 10 * i, 250);
            int x = 200;
            for (const Color& color : extractColorsFromPalette(*palette))
                surfFill(b.surfHandle(), x += 6, 250, 5, 5, color);
        });
        for (int id = GUI_ICON_CLOSE; id <= GUI_ICON_EXPANDED; ++id)
            gui_draw_icon(c, id, gui_rect(20 * id, 150, id < GUI_ICON_EXPANDED ? 0 : 12, 12), Color(shade(13)));
        gui_draw_icon(c, 99, gui_rect(0, 150, 10, 10), Color::DARK);  // not an icon: ignored
        gui_draw_rect(c, gui_rect(120, 150, 3, 2), Color(shade(9)));  // meeting at a half pixel
        gui_draw_rect(c, gui_rect(123, 150, 4, 2), Color(shade(10)));
        gui_draw_rect(c, gui_rect(130, 150, 1, 1), Color(shade(11)));
        gui_draw_text(c, c->style->font, "clipped at the edge", -1, gui_vec2(160, 180), Color::DARK);
    };
    const gui_Style original = *ui.ctx->style;
    {
        UIStyle style(ui.ctx.get());  // the only owner of its font
        style.palette(everyRole()).font(std::make_shared<FakeFont>(6, 9)).spacing(3).scrollbarSize(7).thumbSize(5);
        style.color(GUI_COLOR_MAX, Color::DARK).color(-1, Color::DARK);  // no such roles: ignored
        gui_input_mousemove(ui.ctx.get(), 30, 65);  // over the button: the hover shows from the second frame
        for (int i = 0; i < 3; ++i) ui.render(target, scene, icons);
    }
    EXPECT_EQ(std::memcmp(ui.ctx->style, &original, sizeof original), 0) << "overrides end with their scope";
    // Boxes meeting at unit 123, pixel 184.5, used to leave a gap or overlap there.
    EXPECT_EQ(surfGet(target.surfHandle(), 184, 226), shade(9));
    EXPECT_EQ(surfGet(target.surfHandle(), 185, 226), shade(10));

    const std::string path = std::string(TEST_DATA_DIR) + "/scene.png";
    const Surf* actual = target.surfHandle();
    if (std::getenv("UPDATE_GOLDEN")) {
        ASSERT_EQ(surfSaveImage(path.c_str(), actual), 1) << path;
        GTEST_SKIP() << "wrote " << path;
    }
    std::unique_ptr<Surf, void (*)(Surf*)> expected(surfLoadImage(path.c_str()), surfFree);
    ASSERT_TRUE(expected) << path;
    ASSERT_EQ((std::array{actual->w, actual->h}), (std::array{expected->w, expected->h}));
    if (std::memcmp(actual->pix, expected->pix, sizeof(SPixel) * actual->w * actual->h) != 0) {
        surfSaveImage("scene.actual.png", actual);
        FAIL() << "differs from " << path << "; got scene.actual.png";
    }
}
