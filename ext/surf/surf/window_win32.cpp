// The window-system backend for Win32: window class "SURF", one window with
// its own device context per bitmap, linked to the bitmap by the window
// property "Surf". Window rectangles exchanged with the shared window code are
// the window's normal (restored) outer rectangle in workspace coordinates, as
// GetWindowPlacement reports it, so they round-trip through the placement store.
#include <algorithm>

#include "surf/window_backend.h"
#include "surf/window_win32.h"

// UTF-8 and UTF-16 conversion through the window system.
std::wstring surfWiden(const char* text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide((size_t)length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize((size_t)length - 1);
    return wide;
}

std::string surfNarrow(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow((size_t)length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize((size_t)length - 1);
    return narrow;
}

namespace {

const wchar_t* const className = L"SURF";
const wchar_t* const propertyName = L"Surf";
const DWORD windowedStyle = SURF_STYLE_WINDOWED;

SurfNative& native(Surf* bmp) { return *surfInternal(bmp)->native; }
HWND hwndOf(Surf* bmp) { return native(bmp).hwnd; }

void registerClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = surfWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    // A second window finds the class registered already; that is fine.
    RegisterClassExW(&wc);
}

// The frame the style adds around a client rectangle.
RECT frameOf(HWND hwnd) { return surfWin32Frame(hwnd, 0); }

// The same rectangle may hold another client size where the window's DPI now
// differs from the one it was sized for.
void followDpiOfPlace(Surf* bmp) {
    if (surfPlatformBackingScale(bmp) != surfInternal(bmp)->backingScale) surfWin32FollowDpi(bmp);
}

}  // namespace

void surfPlatformOpen(Surf* bmp, int* screenW, int* screenH) {
    SurfInternal* win = surfInternal(bmp);
    win->native = new SurfNative{};
    win->native->title = surfWiden(win->wtitle);
    registerClass();
    *screenW = GetSystemMetrics(SM_CXSCREEN);
    *screenH = GetSystemMetrics(SM_CYSCREEN);
}

int surfPlatformCreateWindow(Surf* bmp, int clientW, int clientH) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    RECT outer = {0, 0, clientW, clientH};
    AdjustWindowRect(&outer, windowedStyle, FALSE);
    n.hwnd = CreateWindowExW(0, className, n.title.c_str(), windowedStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!n.hwnd) exit(1);
    bmp->handle = n.hwnd;
    if (win->flags & SURF_HIDECURSOR) ShowCursor(FALSE);
    SetPropW(n.hwnd, propertyName, bmp);
    surfWin32FollowDpi(bmp);
    return surfWglCreate(bmp);
}

void surfWin32RecreateWindow(Surf* bmp) {
    SurfNative& n = native(bmp);
    HWND old = n.hwnd;
    RECT outer = {0, 0, 0, 0};
    GetWindowRect(old, &outer);
    DWORD style = (DWORD)GetWindowLongW(old, GWL_STYLE);
    HWND fresh = CreateWindowExW(0, className, n.title.c_str(), style & ~(DWORD)WS_VISIBLE, outer.left, outer.top,
                                 outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!fresh) surfError(bmp, "Cannot create the window again without OpenGL.\n");
    RemovePropW(old, propertyName);
    n.hwnd = fresh;
    bmp->handle = fresh;
    SetPropW(fresh, propertyName, bmp);
    followDpiOfPlace(bmp);
    if (IsWindowVisible(old)) ShowWindow(fresh, SW_SHOW);
    DestroyWindow(old);
}

void surfPlatformDestroy(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    surfWglDestroy(bmp);
    surfWglUnload(n);
    // Messages of the dying window must not reach a record being freed.
    RemovePropW(n.hwnd, propertyName);
    DestroyWindow(n.hwnd);
    if (win->flags & SURF_HIDECURSOR) ShowCursor(TRUE);
    delete win->native;
    win->native = nullptr;
}

void surfPlatformShow(Surf* bmp) {
    HWND hwnd = hwndOf(bmp);
    UpdateWindow(hwnd);
    ShowWindow(hwnd, SW_SHOW);
}

void surfPlatformPump(Surf* bmp) {
    MSG msg;
    while (PeekMessageA(&msg, hwndOf(bmp), 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void surfPlatformClientSize(Surf* bmp, int* w, int* h) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(hwndOf(bmp), &r);
    *w = r.right - r.left;
    *h = r.bottom - r.top;
}

int surfPlatformCursor(Surf* bmp, int* x, int* y) {
    POINT p = {0, 0};
    GetCursorPos(&p);
    ScreenToClient(hwndOf(bmp), &p);
    *x = p.x;
    *y = p.y;
    auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    return (down(VK_LBUTTON) ? SURF_BUTTON_LEFT : 0) | (down(VK_MBUTTON) ? SURF_BUTTON_MIDDLE : 0) |
           (down(VK_RBUTTON) ? SURF_BUTTON_RIGHT : 0);
}

int surfPlatformFocused(Surf* bmp) { return GetFocus() == hwndOf(bmp); }

SurfRect surfPlatformWindowRect(Surf* bmp) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(hwndOf(bmp), &wp);
    const RECT& r = wp.rcNormalPosition;
    return SurfRect{(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
}

void surfPlatformSetWindowRect(Surf* bmp, SurfRect rect) {
    HWND hwnd = hwndOf(bmp);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd, &wp);
    wp.rcNormalPosition = RECT{rect.left, rect.top, rect.right, rect.bottom};
    // A window not shown yet stays hidden until its first update.
    wp.showCmd = IsWindowVisible(hwnd) ? SW_SHOWNORMAL : SW_HIDE;
    SetWindowPlacement(hwnd, &wp);
    followDpiOfPlace(bmp);
}

void surfPlatformSetBorderless(Surf* bmp, int borderless) {
    SurfInternal* win = surfInternal(bmp);
    HWND hwnd = hwndOf(bmp);
    DWORD style = win->dwStyle;
    if (!win->shown) style &= ~(DWORD)WS_VISIBLE;
    SetWindowLongA(hwnd, GWL_STYLE, (LONG)style);
    if (!borderless) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& m = mi.rcMonitor;
    SetWindowPos(hwnd, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_FRAMECHANGED);
}

void surfPlatformMinimise(Surf* bmp) { ShowWindow(hwndOf(bmp), SW_MINIMIZE); }

void surfPlatformMessageBox(Surf* owner, const char* caption, const char* text) {
    MessageBoxW(owner ? (HWND)owner->handle : nullptr, surfWiden(text).c_str(), surfWiden(caption).c_str(),
                MB_OK | MB_ICONERROR);
}

// ---- Messages ------------------------------------------------------------------

namespace {

// Keeps the client size a multiple of the scale while the user drags a border:
// the dragged edges give way by the remainder.
void snapSizing(Surf* bmp, HWND hwnd, WPARAM edge, RECT* outer) {
    int scale = surfInternal(bmp)->scale;
    RECT frame = frameOf(hwnd);
    RECT client = {outer->left - frame.left, outer->top - frame.top, outer->right - frame.right,
                   outer->bottom - frame.bottom};
    int dw = (client.right - client.left) % scale, dh = (client.bottom - client.top) % scale;
    switch (edge) {
        case WMSZ_LEFT:
            client.left += dw;
            break;
        case WMSZ_RIGHT:
            client.right -= dw;
            break;
        case WMSZ_TOP:
            client.top += dh;
            break;
        case WMSZ_BOTTOM:
            client.bottom -= dh;
            break;
        case WMSZ_TOPLEFT:
            client.top += dh;
            client.left += dw;
            break;
        case WMSZ_TOPRIGHT:
            client.top += dh;
            client.right -= dw;
            break;
        case WMSZ_BOTTOMLEFT:
            client.bottom -= dh;
            client.left += dw;
            break;
        case WMSZ_BOTTOMRIGHT:
            client.bottom -= dh;
            client.right -= dw;
            break;
        default:
            break;
    }
    *outer = RECT{client.left + frame.left, client.top + frame.top, client.right + frame.right,
                  client.bottom + frame.bottom};
}

void limitSize(Surf* bmp, HWND hwnd, MINMAXINFO* info) {
    int w = 0, h = 0;
    surfWinMinClientSize(bmp, &w, &h);
    RECT frame = frameOf(hwnd);
    info->ptMinTrackSize.x = w + frame.right - frame.left;
    info->ptMinTrackSize.y = h + frame.bottom - frame.top;
}

}  // namespace

LRESULT CALLBACK surfWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Surf* bmp = (Surf*)GetPropW(hwnd, propertyName);
    if (!bmp) return DefWindowProcW(hwnd, message, wParam, lParam);
    SurfInternal* win = surfInternal(bmp);
    if (surfWin32OnPointer(bmp, hwnd, message, wParam)) return 0;
    switch (message) {
        case WM_SYSKEYDOWN:
            if (wParam == VK_RETURN) {
                // Alt+Return switches once per press, not once per repeat.
                if (!(lParam & (1 << 30))) surfWinToggleBorderless(bmp);
                return 0;
            }
            [[fallthrough]];
        case WM_KEYDOWN:
            surfWin32OnKey(bmp, wParam, lParam, 1);
            break;
        case WM_SYSKEYUP:
        case WM_KEYUP:
            surfWin32OnKey(bmp, wParam, lParam, 0);
            break;
        case WM_MENUCHAR:
            if (LOWORD(wParam) == VK_RETURN) return MNC_CLOSE << 16;
            break;
        case WM_CHAR:
            surfWinOnChar(bmp, (int)wParam, (int)((lParam >> 30) & 1));
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) return 0;
            if (wParam == SIZE_MAXIMIZED) {
                ShowWindow(hwnd, SW_SHOWNORMAL);
                surfWinSetBorderless(bmp, 1);
                return 0;
            }
            surfWinOnSize(bmp, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SIZING:
            snapSizing(bmp, hwnd, wParam, (RECT*)lParam);
            return TRUE;
        case WM_GETMINMAXINFO:
            limitSize(bmp, hwnd, (MINMAXINFO*)lParam);
            return 0;
        case WM_ACTIVATE:
            surfWinOnFocus(bmp);
            break;
        case WM_PAINT:
            if (win->shown) surfWinPresent(bmp);
            ValidateRect(hwnd, nullptr);
            return 0;
        case WM_CLOSE:
            win->closed = 1;
            return 0;
        case WM_DPICHANGED:
            surfWin32OnDpiChanged(bmp, hwnd, wParam, lParam);
            return 0;
        case WM_WINDOWPOSCHANGED:
            // Before the first update the window stands where it was created or
            // restored to: nothing the user chose, and storing it would overwrite
            // the placement the window is about to restore.
            if (win->shown) surfWinOnMove(bmp);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
