#include "appview.h"

#include <initializer_list>
#include <utility>

#include "layout.h"
#include "program.h"
#include "progress_control.h"
#include "ui/widgets.h"

namespace {

constexpr int rootWindowOptions = GUI_OPT_NOINTERACT | GUI_OPT_NOCLOSE;
constexpr int framePadding = Sizes::Spacing::large;
constexpr int frameSpacing = Sizes::Spacing::medium;

constexpr const char* licensePanel = "PANEL";
// On an outcome screen Exit is the way on as well as the way out.
constexpr int outcomeExit = KeyboardFocus::forward | KeyboardFocus::leave;

float lineHeight() { return static_cast<float>(labelFont->textHeight()); }

// The outcome's explanation can be taller than its cell (a rollback that could
// not finish lists every file it left): it then scrolls within the cell, and
// Exit stays in view. When it fits, nothing shows that it could scroll.
void scrolling(UIToolkit& toolkit, const ChildUI& content) {
    gui_Context* ctx = &toolkit.context();
    UIStyle style(ctx);
    style.padding(0);
    gui_begin_panel_ex(ctx, "OUTCOME", GUI_OPT_NOFRAME);
    const int fullWidth = -1;
    gui_layout_row(ctx, 1, &fullWidth, -1);
    content(toolkit);
    gui_end_panel(ctx);
}

// Word-wrapped texts, a blank line between each two; empty ones take no room.
void writeParagraphs(UIToolkit& toolkit, std::initializer_list<std::string_view> texts) {
    std::string joined;
    for (std::string_view text : texts)
        if (!text.empty()) joined.append(joined.empty() ? "" : "\n\n").append(text);
    UIStyle style(&toolkit.context());
    style.spacing(Sizes::Spacing::tiny);
    toolkit.text(joined);
}

// The distance from one line of word-wrapped text to the next.
int textLineHeight() { return labelFont->textHeight() + Sizes::Spacing::tiny; }

}  // namespace

const std::string& AppView::PropertyTexts::get(std::string_view key) {
    auto it = _converted.find(key);
    if (it == _converted.end())
        it = _converted.emplace(std::string(key), getPropertyText(key)).first;
    else if (!_caching)
        it->second = getPropertyText(key);
    return it->second;
}

AppView::AppView(std::string_view title) : AppView(title, InstallSource::product()) {}

AppView::AppView(std::string_view title, InstallSource source)
    : _palette(systemPalette()),
      _title(title),
      _currentScreen(start),
      _installer(props.getString("plugID", ""), std::move(source)) {}

void AppView::render(UIContext& context) {
    UIStyle style(context.ctx);
    style.palette(_palette).padding(framePadding).spacing(frameSpacing).font(titleFont);
    UIToolkit toolkit(context);
    _keyboard.beginFrame(*context.ctx);
    toolkit.window(
        _title,
        [this](UIToolkit& t) {
            UIStyle content(&t.context());
            content.font(labelFont);
            describe(t);
        },
        rootWindowOptions);
    _keyboard.endFrame();
}

void AppView::describe(UIToolkit& toolkit) {
    switch (_currentScreen) {
        case start:
            return startScreen(toolkit);
        case license:
            return licenseScreen(toolkit);
        case install:
            return installScreen(toolkit);
        case cancelling:
            return cancellingScreen(toolkit);
        case celebrate:
            return celebrationScreen(toolkit);
        case error:
            return errorScreen(toolkit);
        case cancelled:
            return cancelledScreen(toolkit);
    }
}

ChildUI AppView::textCell(std::string_view key) {
    return [this, key](UIToolkit& t) { writeParagraphs(t, {_texts.get(key)}); };
}

void AppView::startScreen(UIToolkit& toolkit) {
    UI::Column{
        {textCell("description"), UI::Share(1.0f)},
        buttonRowCell(_keyboard.button(exitButton, KeyboardFocus::leave),
                      _keyboard.button(UI::Button("Next", [this] { switchScreen(license); }), KeyboardFocus::forward)),
        {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
    }(toolkit);
}

void AppView::licenseScreen(UIToolkit& toolkit) {
    const auto startInstalling = [this] {
        _installer.start();
        switchScreen(install);
    };
    scrollByKeys(toolkit.context(), *gui_get_container(&toolkit.context(), licensePanel), textLineHeight());
    UI::Column{
        {UI::Panel(textCell("license"), licensePanel), UI::Share(1.0f)},
        buttonRowCell(_keyboard.button(exitButton, KeyboardFocus::leave),
                      _keyboard.button(UI::Button("Install", startInstalling), KeyboardFocus::forward)),
        {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
    }(toolkit);
}

void AppView::installScreen(UIToolkit& toolkit) {
    if (showOutcomeWhenDone()) return;
    const auto heading = [](UIToolkit& t) { writeParagraphs(t, {"Installing..."}); };
    const auto step = [this](UIToolkit& t) {
        UIStyle style(&t.context());
        style.padding(0);
        t.label(_installer.progress().message(), UIToolkit::alignLeft);
    };
    const auto cancel = [this] {
        _installer.cancel();
        switchScreen(cancelling);
    };
    UI::Column{
        {heading, UI::Share(1.0f)},
        {ProgressControl(_installer.progress().progress()), UI::Fixed(Sizes::Spacing::large)},
        {step, UI::Fixed(lineHeight())},
        {UI::Spacer(), UI::Share(0.5f)},
        buttonRowCell(_keyboard.button(UI::Button("Cancel", cancel), KeyboardFocus::leave)),
        {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
    }(toolkit);
}

// No Exit while the job stops and rolls back: ending the process then would
// leave the plug-in folder half restored. Closing the window waits for it.
void AppView::cancellingScreen(UIToolkit& toolkit) {
    if (showOutcomeWhenDone()) return;
    UI::Column{
        {UI::Label("Cancelling...", UIToolkit::alignLeft), UI::Fixed(lineHeight())},
        {UI::Spacer(), UI::Share(1.0f)},
    }(toolkit);
}

bool AppView::showOutcomeWhenDone() {
    if (!_installer.done()) return false;
    // A Cancel that came after the job had put everything in place changed
    // nothing: the plug-in is installed, and the celebration says so.
    const bool installed = _installer.succeeded();
    switchScreen(installed ? celebrate : _installer.cancelled() ? cancelled : error);
    return true;
}

void AppView::celebrationScreen(UIToolkit& toolkit) {
    UI::Column{
        {textCell("celebration"), UI::Share(1.0f)},
        buttonRowCell(_keyboard.button(exitButton, outcomeExit)),
    }(toolkit);
}

void AppView::errorScreen(UIToolkit& toolkit) {
    const std::string message(_installer.progress().message());
    const std::string cause = _installer.cause();
    outcomeScreen(toolkit, message, [this, &cause](UIToolkit& t) {
        writeParagraphs(t, {breakWideWords(cause, t.peekNextLayout().w, *labelFont), _texts.get("failure")});
    });
}

void AppView::cancelledScreen(UIToolkit& toolkit) {
    outcomeScreen(toolkit, "Installation cancelled",
                  [](UIToolkit& t) { writeParagraphs(t, {"Nothing on this computer was changed."}); });
}

void AppView::outcomeScreen(UIToolkit& toolkit, std::string_view headline, const ChildUI& body) {
    const auto firstLine = [headline](UIToolkit& t) {
        UIStyle style(&t.context());
        style.padding(0).spacing(Sizes::Spacing::tiny).font(titleFont);
        t.label(headline, UIToolkit::alignLeft);
    };
    UI::Column{
        {firstLine, UI::Fixed(2.0f * lineHeight())},
        {[&body](UIToolkit& t) { scrolling(t, body); }, UI::Share(1.0f)},
        buttonRowCell(_keyboard.button(exitButton, outcomeExit)),
        {UI::Spacer(), UI::Fixed(Sizes::Spacing::small)},
    }(toolkit);
}
