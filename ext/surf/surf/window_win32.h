// Pieces the Win32 backend's files share.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "surf/surf.h"

// opengl32's own entry points, loaded at run time.
struct SurfWgl {
  HMODULE module;
  decltype(&wglCreateContext) createContext;
  decltype(&wglMakeCurrent) makeCurrent;
  decltype(&wglDeleteContext) deleteContext;
  decltype(&wglGetProcAddress) getProcAddress;
};

struct SurfNative {
  HWND hwnd;
  std::wstring title;  // the caption, as the window system takes it
  HGLRC legacy;        // the 1.x context the 3.3 one is created through
  SurfWgl wgl;
  bool pixelFormatSet;  // OpenGL's, which plain 2D drawing cannot share
  std::vector<uint32_t> plainFrame;  // the client area as the plain path shows it
  std::chrono::steady_clock::time_point plainShown;
};

// UTF-8 to UTF-16 and back (code page 65001); malformed input is replaced.
std::wstring surfWiden(const char* text);
std::string surfNarrow(const wchar_t* text);

// Makes the window's OpenGL 3.3 context (legacy context first) and leaves it
// current: 1. 0 where OpenGL cannot be had; the reason went to standard error.
int surfWglCreate(Surf* bmp);
// Deletes the contexts and releases the device context.
void surfWglDestroy(Surf* bmp);
// Lets go of opengl32.
void surfWglUnload(SurfNative& n);
// Replaces the native window by a new one in the same place and state, for a
// window whose pixel format belongs to OpenGL.
void surfWin32RecreateWindow(Surf* bmp);

LRESULT CALLBACK surfWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
