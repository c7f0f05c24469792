// Pieces the Win32 backend's files share.
#pragma once

#include <windows.h>

#include <string>

#include "surf/surf.h"

struct SurfNative {
  HWND hwnd;
  std::wstring title;  // the caption, as the window system takes it
  HGLRC legacy;        // the 1.x context the 3.3 one is created through
};

// UTF-8 to UTF-16 and back (code page 65001); malformed input is replaced.
std::wstring surfWiden(const char* text);
std::string surfNarrow(const wchar_t* text);

// Makes the window's OpenGL 3.3 context (legacy context first) and leaves it
// current. Fatal on failure.
void surfWglCreate(Surf* bmp);
// Deletes the contexts and releases the device context.
void surfWglDestroy(Surf* bmp);

LRESULT CALLBACK surfWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
