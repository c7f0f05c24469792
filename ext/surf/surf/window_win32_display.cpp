// What the Win32 backend learns from the system beyond the window itself:
// the window's DPI and its changes, the monitor's refresh, waiting for
// messages, and the keyboard's and mouse's messages.
#include <cmath>

#include "surf/window_backend.h"
#include "surf/window_parts.h"
#include "surf/window_win32.h"

namespace {

// Entry points of newer systems, looked up so that older ones still start.
template <typename Proc>
Proc user32Proc(const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

UINT systemDpi() {
    if (auto forSystem = user32Proc<UINT(WINAPI*)()>("GetDpiForSystem")) return forSystem();
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return (UINT)dpi;
}

UINT windowDpi(HWND hwnd) {
    auto forWindow = user32Proc<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    UINT dpi = forWindow ? forWindow(hwnd) : 0;
    return dpi ? dpi : systemDpi();
}

float scaleOf(UINT dpi) { return dpi >= 24 ? dpi / 96.0f : 1.0f; }

// The window size that holds a client area, by the frame metrics of a DPI.
SIZE outerSize(HWND hwnd, int clientW, int clientH, UINT dpi) {
    RECT frame = surfWin32Frame(hwnd, dpi);
    return SIZE{clientW + frame.right - frame.left, clientH + frame.bottom - frame.top};
}

void resizeClient(Surf* bmp, HWND hwnd, int x, int y, UINT dpi, UINT flags) {
    int clientW = 0, clientH = 0;
    surfWinOnScale(bmp, scaleOf(dpi), &clientW, &clientH);
    if (surfInternal(bmp)->dwStyle & 0x80000000u) return;  // full screen keeps covering its monitor
    SIZE outer = outerSize(hwnd, clientW, clientH, dpi);
    SetWindowPos(hwnd, nullptr, x, y, outer.cx, outer.cy, flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

RECT surfWin32Frame(HWND hwnd, UINT dpi) {
    RECT frame = {0, 0, 0, 0};
    DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE), exStyle = (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE);
    if (!dpi) dpi = windowDpi(hwnd);
    auto forDpi = user32Proc<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

float surfPlatformBackingScale(Surf* bmp) {
    SurfNative* n = surfInternal(bmp)->native;
    return scaleOf(n && n->hwnd ? windowDpi(n->hwnd) : systemDpi());
}

void surfWin32FollowDpi(Surf* bmp) {
    HWND hwnd = surfInternal(bmp)->native->hwnd;
    resizeClient(bmp, hwnd, 0, 0, windowDpi(hwnd), SWP_NOMOVE);
}

void surfWin32OnDpiChanged(Surf* bmp, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The window keeps the position the system suggests; its size is always the
    // caller's size in units at the new scale.
    const RECT* suggested = (const RECT*)lParam;
    resizeClient(bmp, hwnd, suggested->left, suggested->top, LOWORD(wParam), 0);
}

double surfPlatformRefreshPeriod(Surf* bmp) {
    MONITORINFOEXW info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(surfInternal(bmp)->native->hwnd, MONITOR_DEFAULTTONEAREST);
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!GetMonitorInfoW(monitor, &info) || !EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode))
        return 0;
    // 0 and 1 stand for the hardware's default rate.
    return mode.dmDisplayFrequency > 1 ? 1.0 / mode.dmDisplayFrequency : 0;
}

void surfPlatformWaitEvent(Surf*, double seconds) {
    DWORD ms = (DWORD)std::lround(seconds * 1000);
    if (ms) MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

void surfWin32OnKey(Surf* bmp, WPARAM wParam, LPARAM lParam, int down) {
    int vk = (int)(wParam & 255);
    bool extended = (lParam >> 24) & 1;
    // The messages name the generic modifiers; the record keeps the sides.
    switch (vk) {
        case VK_SHIFT:
            vk = (int)MapVirtualKeyW((UINT)(lParam >> 16) & 255, MAPVK_VSC_TO_VK_EX);
            break;
        case VK_CONTROL:
            vk = extended ? VK_RCONTROL : VK_LCONTROL;
            break;
        case VK_MENU:
            vk = extended ? VK_RMENU : VK_LMENU;
            break;
        default:
            break;
    }
    if (vk == VK_SHIFT) vk = VK_LSHIFT;  // a scan code the system could not place
    surfWinOnKey(bmp, surfKeyFromVirtualKey(vk), down);
}

bool surfWin32OnPointer(Surf* bmp, HWND hwnd, UINT message, WPARAM wParam) {
    int button = 0, down = 0;
    switch (message) {
        case WM_LBUTTONDOWN:
            button = SURF_BUTTON_LEFT;
            down = 1;
            break;
        case WM_LBUTTONUP:
            button = SURF_BUTTON_LEFT;
            break;
        case WM_MBUTTONDOWN:
            button = SURF_BUTTON_MIDDLE;
            down = 1;
            break;
        case WM_MBUTTONUP:
            button = SURF_BUTTON_MIDDLE;
            break;
        case WM_RBUTTONDOWN:
            button = SURF_BUTTON_RIGHT;
            down = 1;
            break;
        case WM_RBUTTONUP:
            button = SURF_BUTTON_RIGHT;
            break;
        // Positive turns away from the user, that is toward the top of the content.
        case WM_MOUSEWHEEL:
            surfWinOnWheel(bmp, 0, -GET_WHEEL_DELTA_WPARAM(wParam) / (float)WHEEL_DELTA);
            return true;
        case WM_MOUSEHWHEEL:
            surfWinOnWheel(bmp, GET_WHEEL_DELTA_WPARAM(wParam) / (float)WHEEL_DELTA, 0);
            return true;
        case WM_CAPTURECHANGED: {
            // Without the capture a release may go elsewhere: settle what is up now.
            static const int live[3][2] = {
                {SURF_BUTTON_LEFT, VK_LBUTTON}, {SURF_BUTTON_MIDDLE, VK_MBUTTON}, {SURF_BUTTON_RIGHT, VK_RBUTTON}};
            for (const auto& b : live)
                if (!(GetAsyncKeyState(b[1]) & 0x8000)) surfWinOnButton(bmp, b[0], 0);
            return false;
        }
        default:
            return false;
    }
    surfWinOnButton(bmp, button, down);
    // The release must come back here even when the pointer has left the window.
    if (down)
        SetCapture(hwnd);
    else if (!(wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)))
        ReleaseCapture();
    return true;
}
