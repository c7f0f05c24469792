// Presentation without OpenGL on Win32: the client area is composed in our own
// memory and copied into the window's device context with SetDIBitsToDevice.
#include "surf/window_backend.h"
#include "surf/window_present.h"
#include "surf/window_win32.h"

void surfPlatformPresentPlain(Surf* bmp, int w, int h) {
    SurfNative& n = *surfInternal(bmp)->native;
    if (w < 1 || h < 1) return;
    n.plainFrame.resize((size_t)w * h);
    surfPlainCompose(bmp, w, h, n.plainFrame.data());
    // 32-bit pixels read as B, G, R, unused: the composed 0x00RRGGBB words; rows top first.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(n.hwnd);
    if (!dc) return;
    SetDIBitsToDevice(dc, 0, 0, (DWORD)w, (DWORD)h, 0, 0, 0, (UINT)h, n.plainFrame.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(n.hwnd, dc);
}

const char* surfPlatformPlainName(Surf*) { return "GDI"; }
