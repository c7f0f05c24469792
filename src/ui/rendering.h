#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "guicore/guicore.h"
#include "surf/surf.h"
#include "ui/bitmap.h"
#include "ui/colors.h"
#include "ui/geometry.h"

struct AssetRef;
class Font;

// What one frame hands to a delegate: the UI core context and the drawing area
// in UI units.
struct UIContext {
    gui_Context* ctx;
    int width;
    int height;
    float backingScale;
};

// Describes a UI once per frame, between the UI core's frame begin and end.
class UIRendererDelegate {
public:
    virtual void render(UIContext& context) = 0;
    virtual ~UIRendererDelegate() = default;
};

using GuiPalette = gui_Color[GUI_COLOR_MAX];

// A scoped override of the UI core's style: everything changed through it is
// put back, completely, when it ends. Overrides nest; the innermost ends first.
class UIStyle {
public:
    // Named roles for the UI core's fourteen colour slots; an unset role leaves
    // its slot alone.
    struct Palette {
        std::optional<Color> text;
        std::optional<Color> border;
        std::optional<Color> windowBackground;
        std::optional<Color> titleBackground;
        std::optional<Color> titleText;
        std::optional<Color> panelBackground;
        std::optional<Color> button;
        std::optional<Color> buttonHover;
        std::optional<Color> buttonFocus;
        std::optional<Color> base;
        std::optional<Color> baseHover;
        std::optional<Color> baseFocus;
        std::optional<Color> scrollBase;
        std::optional<Color> scrollThumb;

        void update(GuiPalette& colors) const;
    };

    explicit UIStyle(gui_Context* ctx);
    ~UIStyle();
    UIStyle(const UIStyle&) = delete;
    UIStyle& operator=(const UIStyle&) = delete;

    UIStyle& palette(const Palette& p);
    UIStyle& padding(int padding);
    UIStyle& spacing(int spacing);
    // The font stays alive while the override lasts; whatever draws with it
    // later in the frame must own it as well.
    UIStyle& font(std::shared_ptr<Font> f);
    UIStyle& baseSize(int width, int height);
    UIStyle& indent(int indent);
    UIStyle& titleHeight(int height);
    UIStyle& scrollbarSize(int size);
    UIStyle& thumbSize(int size);
    // Sets one colour slot (GUI_COLOR_TEXT ... GUI_COLOR_SCROLLTHUMB); other indices are ignored.
    UIStyle& color(int slot, const Color& c);

private:
    gui_Context* _context;
    gui_Style _savedStyle;
    gui_Style& _style;
    std::shared_ptr<Font> _font;
};

// The bitmaps the renderer draws for the UI core's icon commands.
struct UIIconSet {
    std::shared_ptr<Surf> close;
    std::shared_ptr<Surf> check;
    std::shared_ptr<Surf> collapsed;
    std::shared_ptr<Surf> expanded;

    UIIconSet(const AssetRef& close, const AssetRef& check, const AssetRef& collapsed,
              const AssetRef& expanded);
    UIIconSet(std::shared_ptr<Surf> close, std::shared_ptr<Surf> check, std::shared_ptr<Surf> collapsed,
              std::shared_ptr<Surf> expanded);
};

// Custom drawing recorded in the UI core's command list and run at replay,
// with the target bitmap and the command's rectangle in UI units.
using GenericDrawer = std::function<void(Bitmap&, geo::Rect&)>;

inline constexpr int GENERIC_DRAW_COMMAND = -1;
inline constexpr int GENERIC_DRAW_COMMAND_SIZE = 96;

struct GenericDrawCommand {
    gui_BaseCommand base;
    GenericDrawer drawer;
    geo::Rect rect;
};

// Installs the text measuring callbacks; the style's font handle is a Font*.
void prepareContext(gui_Context* ctx);

// Records a generic draw command; its drawer is destroyed when it is replayed.
void pushGenericDrawCommand(gui_Context* ctx, const geo::Rect& rect, const GenericDrawer& drawer);

// Runs one UI frame and replays the UI core's commands into the bitmap,
// scaling UI units by its backing scale.
class UIRenderer {
public:
    UIRenderer(Bitmap& bmp, gui_Context* ctx, UIIconSet icons, UIRendererDelegate& delegate);

    // describe(), then replay().
    void render();
    // Lets the delegate and the debug overlay describe the frame.
    void describe();
    // Draws the described frame's commands over opaque black.
    void replay();

    Bitmap& bmp;
    gui_Context* ctx;
    UIIconSet icons;
    UIRendererDelegate& delegate;
};
