// A window being dragged reports a move many times a second; its placement is
// stored once the moves have settled, when the window is freed, or when the
// process exits from within a frame, whichever comes first.
#include <cstdlib>

#include "surf/window_backend.h"
#include "surf/window_parts.h"

namespace {

const double settleSeconds = 0.5;

// Windows whose latest move is not stored yet, for the exit hook.
Surf* unsettled[8];

void forget(Surf* bmp) {
    for (Surf*& slot : unsettled)
        if (slot == bmp) slot = nullptr;
}

void storeNow(Surf* bmp) {
    surfInternal(bmp)->placementPending = 0;
    forget(bmp);
    surfWinOnMove(bmp);
}

void storeAllAtExit() {
    for (Surf* bmp : unsettled)
        if (bmp) storeNow(bmp);
}

}  // namespace

void surfWinOnMoving(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    win->placementMoved = surfWinNow();
    if (win->placementPending) return;
    win->placementPending = 1;
    static bool hooked = false;
    if (!hooked) hooked = atexit(storeAllAtExit) == 0;
    for (Surf*& slot : unsettled)
        if (!slot) {
            slot = bmp;
            return;
        }
    // No slot left: store at once rather than risk losing the placement.
    storeNow(bmp);
}

void surfWinStoreSettledPlacement(Surf* bmp, int finalStore) {
    SurfInternal* win = surfInternal(bmp);
    if (win->placementPending && (finalStore || surfWinNow() - win->placementMoved >= settleSeconds)) storeNow(bmp);
}
