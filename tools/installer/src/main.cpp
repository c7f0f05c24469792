// Interim entry point until the installer has its window: runs the
// installation job headless and prints each step as the job reaches it.
#include <cstdio>
#include <string_view>

#include "install.h"
#include "shared/assets.h"
#include "shared/properties.h"

int main() {
    const Properties props(EMBEDDED_ASSET(properties));
    Installer installer(props.getString("plugID", ""));
    installer.start();
    std::string_view shown;
    float shownProgress = -1.0f;
    auto report = [&] {
        const std::string_view message = installer.progress().message();
        const float fraction = installer.progress().progress();
        if (message == shown && fraction == shownProgress) return;
        shown = message;
        shownProgress = fraction;
        std::printf("[%3.0f%%] %.*s\n", fraction * 100.0f, static_cast<int>(message.size()), message.data());
        std::fflush(stdout);
    };
    while (!installer.done()) report();
    const bool installed = installer.succeeded();
    report();
    std::printf("%s\n", installed ? "Installed." : "Installation did not complete.");
    return installed ? 0 : 1;
}
