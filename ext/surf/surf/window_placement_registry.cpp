// Window placements in the registry: under the current user's "Software\SURF"
// key, one binary value per window title holding the 44-byte WINDOWPLACEMENT,
// its show state 3 (maximised) while the window is in borderless full screen.
#include <windows.h>

#include "surf/window_placement.h"
#include "surf/window_win32.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored record is the platform's 44-byte placement");

namespace {

// Created with full access when the first window asks, open for the life of
// the process; null when the registry refused it.
HKEY placementKey() {
    static const HKEY key = [] {
        HKEY opened = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\SURF", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                            nullptr) != ERROR_SUCCESS)
            return HKEY(nullptr);
        return opened;
    }();
    return key;
}

}  // namespace

int surfPlacementLoad(const char* title, SurfPlacement* out) {
    HKEY key = placementKey();
    if (!key) return 0;
    WINDOWPLACEMENT wp = {};
    DWORD type = 0, size = sizeof wp;
    if (RegQueryValueExW(key, surfWiden(title).c_str(), nullptr, &type, (BYTE*)&wp, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof wp || wp.length != sizeof wp)
        return 0;
    const RECT& r = wp.rcNormalPosition;
    SurfRect rect = {(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
    if (!surfPlacementPlausible(rect)) return 0;
    out->rect = rect;
    out->borderless = wp.showCmd == SW_SHOWMAXIMIZED;
    return 1;
}

void surfPlacementStore(const char* title, const SurfPlacement& placement) {
    HKEY key = placementKey();
    if (!key) return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    wp.showCmd = placement.borderless ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp.ptMinPosition = POINT{-1, -1};
    wp.ptMaxPosition = POINT{-1, -1};
    const SurfRect& r = placement.rect;
    wp.rcNormalPosition = RECT{r.left, r.top, r.right, r.bottom};
    RegSetValueExW(key, surfWiden(title).c_str(), 0, REG_BINARY, (const BYTE*)&wp, sizeof wp);
}
