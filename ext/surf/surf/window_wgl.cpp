// The window's OpenGL 3.3 context through WGL. The ARB entry points that make
// such a context exist only while some context is current, so a legacy one is
// made first and the 3.3 context is created sharing with it. opengl32 is
// loaded at run time, so that the program starts where it is missing, and the
// whole set-up is tried on a throw-away window first: a pixel format once set
// stays with a window, and plain 2D drawing on a double-buffered OpenGL
// window is not supported.
#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "surf/window_backend.h"
#include "surf/window_win32.h"

namespace {

// Where the set-up stopped, or null; the contexts made so far, current when it got through.
struct Contexts {
    HGLRC legacy = nullptr;
    HGLRC context = nullptr;
    const char* failure = nullptr;
};

template <typename Proc>
Proc wglProc(const SurfWgl& wgl, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(wgl.getProcAddress(name)));
}

bool loadOpenGL(SurfWgl& wgl) {
    wgl.module = LoadLibraryA("opengl32.dll");
    if (!wgl.module) return false;
    auto load = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            reinterpret_cast<void*>(GetProcAddress(wgl.module, name)));
        return entry != nullptr;
    };
    if (load(wgl.createContext, "wglCreateContext") && load(wgl.makeCurrent, "wglMakeCurrent") &&
        load(wgl.deleteContext, "wglDeleteContext") && load(wgl.getProcAddress, "wglGetProcAddress"))
        return true;
    FreeLibrary(wgl.module);
    wgl = SurfWgl{};
    return false;
}

Contexts makeContexts(const SurfWgl& wgl, HDC dc) {
    Contexts made;
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SWAP_EXCHANGE;  // 0x225
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(dc, &pfd);
    if (!format) return made.failure = "Cannot choose OpenGL pixel format.\n", made;
    if (!SetPixelFormat(dc, format, &pfd)) return made.failure = "Cannot set OpenGL pixel format.\n", made;
    made.legacy = wgl.createContext(dc);
    if (!made.legacy) return made.failure = "Cannot create OpenGL context.\n", made;
    if (!wgl.makeCurrent(dc, made.legacy)) return made.failure = "Cannot activate OpenGL context.\n", made;

    auto choosePixelFormat = wglProc<PFNWGLCHOOSEPIXELFORMATARBPROC>(wgl, "wglChoosePixelFormatARB");
    auto createContextAttribs = wglProc<PFNWGLCREATECONTEXTATTRIBSARBPROC>(wgl, "wglCreateContextAttribsARB");
    if (!choosePixelFormat || !createContextAttribs) return made.failure = "Cannot create OpenGL context.\n", made;

    // The window keeps the legacy pixel format (it can be set only once); this
    // asks whether the driver has an equivalent one for the 3.3 context.
    const int formatAttributes[] = {WGL_DRAW_TO_WINDOW_ARB,
                                    1,
                                    WGL_SUPPORT_OPENGL_ARB,
                                    1,
                                    WGL_DOUBLE_BUFFER_ARB,
                                    1,
                                    WGL_PIXEL_TYPE_ARB,
                                    WGL_TYPE_RGBA_ARB,
                                    WGL_COLOR_BITS_ARB,
                                    32,
                                    WGL_DEPTH_BITS_ARB,
                                    24,
                                    WGL_STENCIL_BITS_ARB,
                                    8,
                                    0};
    UINT count = 0;
    if (!choosePixelFormat(dc, formatAttributes, nullptr, 1, &format, &count) || count < 1)
        return made.failure = "Cannot choose OpenGL pixel format.\n", made;

    const int contextAttributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3, 0};
    made.context = createContextAttribs(dc, made.legacy, contextAttributes);
    if (!made.context) return made.failure = "Cannot create OpenGL context attribs.\n", made;
    if (!wgl.makeCurrent(dc, made.context)) return made.failure = "Cannot activate OpenGL context.\n", made;
    return made;
}

void deleteContexts(const SurfWgl& wgl, Contexts& made) {
    wgl.makeCurrent(nullptr, nullptr);
    if (made.context) wgl.deleteContext(made.context);
    if (made.legacy) wgl.deleteContext(made.legacy);
    made = Contexts{};
}

// The whole set-up on a hidden window of its own, which is thrown away after.
bool probe(const SurfWgl& wgl) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return false;
    HDC dc = GetDC(hwnd);
    Contexts made = dc ? makeContexts(wgl, dc) : Contexts{nullptr, nullptr, "Cannot get OpenGL device context.\n"};
    bool works = !made.failure;
    if (made.failure) fputs(made.failure, stderr);
    deleteContexts(wgl, made);
    if (dc) ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
    return works;
}

}  // namespace

int surfWglCreate(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    if (!loadOpenGL(n.wgl)) {
        fputs("Cannot load opengl32.dll.\n", stderr);
        return 0;
    }
    if (!probe(n.wgl)) return 0;

    HDC dc = GetDC(n.hwnd);
    if (!dc) return 0;
    win->gl.dc = dc;
    n.pixelFormatSet = true;
    Contexts made = makeContexts(n.wgl, dc);
    n.legacy = made.legacy;
    win->gl.hglrc = made.context ? made.context : made.legacy;
    win->gl.gl_legacy = made.context ? 0 : 1;
    if (made.failure) {
        fputs(made.failure, stderr);
        return 0;
    }
    // Present waits for vertical sync where the driver lets us ask for it.
    if (auto swapInterval = wglProc<PFNWGLSWAPINTERVALEXTPROC>(n.wgl, "wglSwapIntervalEXT")) swapInterval(1);
    return 1;
}

void surfWglDestroy(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    if (win->gl.hglrc && !n.wgl.deleteContext((HGLRC)win->gl.hglrc)) surfError(bmp, "Cannot delete OpenGL context.\n");
    if (n.legacy && n.legacy != win->gl.hglrc && !n.wgl.deleteContext(n.legacy))
        surfError(bmp, "Cannot delete OpenGL context.\n");
    if (win->gl.dc && !ReleaseDC(n.hwnd, (HDC)win->gl.dc)) surfError(bmp, "Cannot release OpenGL device context.\n");
    win->gl.hglrc = nullptr;
    win->gl.dc = nullptr;
    n.legacy = nullptr;
}

void surfWglUnload(SurfNative& n) {
    if (n.wgl.module) FreeLibrary(n.wgl.module);
    n.wgl = SurfWgl{};
}

void surfPlatformDropGL(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    // A context gone bad may refuse any of this; the window is all that matters now.
    if (n.wgl.module) {
        n.wgl.makeCurrent(nullptr, nullptr);
        if (win->gl.hglrc) n.wgl.deleteContext((HGLRC)win->gl.hglrc);
        if (n.legacy && n.legacy != win->gl.hglrc) n.wgl.deleteContext(n.legacy);
    }
    if (win->gl.dc) ReleaseDC(n.hwnd, (HDC)win->gl.dc);
    win->gl.hglrc = nullptr;
    win->gl.dc = nullptr;
    n.legacy = nullptr;
    if (n.pixelFormatSet) surfWin32RecreateWindow(bmp);
    n.pixelFormatSet = false;
}

void* surfPlatformGLProc(const char* name) {
    // Loaded by the window already: this only finds it.
    HMODULE module = GetModuleHandleA("opengl32.dll");
    if (!module) return nullptr;
    auto getProcAddress = reinterpret_cast<decltype(&wglGetProcAddress)>(
        reinterpret_cast<void*>(GetProcAddress(module, "wglGetProcAddress")));
    void* proc = getProcAddress ? reinterpret_cast<void*>(getProcAddress(name)) : nullptr;
    // Some drivers answer a missing entry point with a small number, not null.
    auto value = reinterpret_cast<intptr_t>(proc);
    if (value >= -1 && value <= 3) proc = nullptr;
    // OpenGL 1.1 itself is exported by the library, not by the driver.
    return proc ? proc : reinterpret_cast<void*>(GetProcAddress(module, name));
}

int surfPlatformMakeCurrent(Surf* bmp) {
    GLStuff& gl = surfInternal(bmp)->gl;
    const SurfWgl& wgl = surfInternal(bmp)->native->wgl;
    return wgl.makeCurrent && wgl.makeCurrent((HDC)gl.dc, (HGLRC)gl.hglrc) ? 1 : 0;
}

int surfPlatformReleaseCurrent(Surf* bmp) {
    const SurfWgl& wgl = surfInternal(bmp)->native->wgl;
    return wgl.makeCurrent && wgl.makeCurrent(nullptr, nullptr) ? 1 : 0;
}

void surfPlatformSwapBuffers(Surf* bmp) { SwapBuffers((HDC)surfInternal(bmp)->gl.dc); }
