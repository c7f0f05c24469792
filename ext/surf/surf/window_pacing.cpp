// Frame pacing. Whether a swap waited for the display cannot be told (a
// virtual server accepts a swap interval and still presents at once), so
// every frame rests until input arrives or one refresh period after the
// previous frame has passed, whichever comes first.
#include <chrono>

#include "surf/window_backend.h"
#include "surf/window_parts.h"

double surfWinNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double surfPaceDelay(const SurfFrameClock& clock, double now) {
    if (clock.lastFrame <= 0) return 0;
    double period = clock.period > 0 ? clock.period : 1.0 / 60;
    double left = clock.lastFrame + period - now;
    if (left < 0) return 0;
    return left < period ? left : period;
}

void surfWinPace(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    // Input held over from the last frame is due now.
    double delay = surfWinInputHeldOver(bmp) ? 0 : surfPaceDelay(win->clock, surfWinNow());
    if (delay > 0) {
        win->clock.waits++;
        surfPlatformWaitEvent(bmp, delay);
    }
    win->clock.lastFrame = surfWinNow();
}
