// The window's OpenGL 3.3 context through WGL. The ARB entry points that make
// such a context exist only while some context is current, so a legacy one is
// made first and the 3.3 context is created sharing with it.
#include <GL/gl.h>
#include <GL/wglext.h>

#include "surf/window_backend.h"
#include "surf/window_win32.h"

namespace {

template <typename Proc>
Proc wglProc(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

void createLegacyContext(Surf* bmp, SurfNative& n) {
  GLStuff& gl = surfInternal(bmp)->gl;
  HDC dc = GetDC(n.hwnd);
  if (!dc) surfError(bmp, "Cannot get OpenGL device context.\n");
  gl.dc = dc;
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
  if (!format) surfError(bmp, "Cannot choose OpenGL pixel format.\n");
  if (!SetPixelFormat(dc, format, &pfd)) surfError(bmp, "Cannot set OpenGL pixel format.\n");
  n.legacy = wglCreateContext(dc);
  if (!n.legacy) surfError(bmp, "Cannot create OpenGL context.\n");
  if (!wglMakeCurrent(dc, n.legacy)) surfError(bmp, "Cannot activate OpenGL context.\n");
  gl.hglrc = n.legacy;
  gl.gl_legacy = 1;
}

}  // namespace

void surfWglCreate(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  SurfNative& n = *win->native;
  createLegacyContext(bmp, n);
  HDC dc = (HDC)win->gl.dc;

  auto choosePixelFormat = wglProc<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  auto createContextAttribs = wglProc<PFNWGLCREATECONTEXTATTRIBSARBPROC>("wglCreateContextAttribsARB");
  if (!choosePixelFormat || !createContextAttribs) surfError(bmp, "Cannot create OpenGL context.\n");

  // The window keeps the legacy pixel format (it can be set only once); this
  // asks whether the driver has an equivalent one for the 3.3 context.
  const int formatAttributes[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1,   WGL_DOUBLE_BUFFER_ARB, 1,
                                  WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,                  WGL_COLOR_BITS_ARB, 32,
                                  WGL_DEPTH_BITS_ARB, 24,                                 WGL_STENCIL_BITS_ARB, 8,
                                  0};
  int format = 0;
  UINT count = 0;
  if (!choosePixelFormat(dc, formatAttributes, nullptr, 1, &format, &count) || count < 1)
    surfError(bmp, "Cannot choose OpenGL pixel format.\n");

  const int contextAttributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3, 0};
  HGLRC context = createContextAttribs(dc, n.legacy, contextAttributes);
  if (!context) surfError(bmp, "Cannot create OpenGL context attribs.\n");
  if (!wglMakeCurrent(dc, context)) surfError(bmp, "Cannot activate OpenGL context.\n");
  win->gl.hglrc = context;
  win->gl.gl_legacy = 0;

  // Present waits for vertical sync where the driver lets us ask for it.
  if (auto swapInterval = wglProc<PFNWGLSWAPINTERVALEXTPROC>("wglSwapIntervalEXT")) swapInterval(1);
}

void surfWglDestroy(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  SurfNative& n = *win->native;
  if (win->gl.hglrc && !wglDeleteContext((HGLRC)win->gl.hglrc)) surfError(bmp, "Cannot delete OpenGL context.\n");
  if (n.legacy && n.legacy != win->gl.hglrc && !wglDeleteContext(n.legacy))
    surfError(bmp, "Cannot delete OpenGL context.\n");
  if (win->gl.dc && !ReleaseDC(n.hwnd, (HDC)win->gl.dc)) surfError(bmp, "Cannot release OpenGL device context.\n");
  win->gl.hglrc = nullptr;
  win->gl.dc = nullptr;
  n.legacy = nullptr;
}

void* surfPlatformGLProc(const char* name) {
  void* proc = reinterpret_cast<void*>(wglGetProcAddress(name));
  // Some drivers answer a missing entry point with a small number, not null.
  auto value = reinterpret_cast<intptr_t>(proc);
  return (value >= -1 && value <= 3) ? nullptr : proc;
}

int surfPlatformMakeCurrent(Surf* bmp) {
  GLStuff& gl = surfInternal(bmp)->gl;
  return wglMakeCurrent((HDC)gl.dc, (HGLRC)gl.hglrc) ? 1 : 0;
}

int surfPlatformReleaseCurrent(Surf*) { return wglMakeCurrent(nullptr, nullptr) ? 1 : 0; }

void surfPlatformSwapBuffers(Surf* bmp) { SwapBuffers((HDC)surfInternal(bmp)->gl.dc); }
