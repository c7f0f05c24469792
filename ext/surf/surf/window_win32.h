// Pieces the Win32 backend's files share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "surf/window_internal.h"

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
    bool pixelFormatSet;               // OpenGL's, which plain 2D drawing cannot share
    std::vector<uint32_t> plainFrame;  // the client area as the plain path shows it
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

// The frame the window's style adds around its client area at a DPI (0: the
// window's own).
RECT surfWin32Frame(HWND hwnd, UINT dpi);
// Gives a new window the client size of its DPI, frame metrics included.
void surfWin32FollowDpi(Surf* bmp);
void surfWin32OnDpiChanged(Surf* bmp, HWND hwnd, WPARAM wParam, LPARAM lParam);
// Key down or up messages, sided modifiers told apart.
void surfWin32OnKey(Surf* bmp, WPARAM wParam, LPARAM lParam, int down);
// Button, wheel and capture messages; false where the default handling is
// still wanted.
bool surfWin32OnPointer(Surf* bmp, HWND hwnd, UINT message, WPARAM wParam);

LRESULT CALLBACK surfWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
