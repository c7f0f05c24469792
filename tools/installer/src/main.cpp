// The installer: one window leading through start, licence, installation and
// its outcome. Everything it shows comes from the executable's own assets.

#include <string>

#include "appview.h"
#include "program.h"
#include "shared/assets.h"
#include "ui/app.h"
#include "ui/debugdialog.h"

namespace {

constexpr int windowWidth = 500;
constexpr int windowHeight = 350;

}  // namespace

int main(int, char**) {
    const UIIconSet icons(EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check), EMBEDDED_ASSET(icon_collapsed),
                          EMBEDDED_ASSET(icon_expanded));
    const std::string title = props.getString("title", "");
    const std::string heading = props.getString("heading", "");
    debugDialog.setFont(labelFont);

    // The window goes before the screen flow, whose job may still be running:
    // closing the window cancels it, and the process waits without a window
    // until it has rolled back.
    AppView view(heading);
    {
        AppWindow window(windowWidth, windowHeight, title, SURF_RESIZE, icons, view);
        while (!window.closed()) window.render();
    }
    view.windowClosed();
    return 0;
}
