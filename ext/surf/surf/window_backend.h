// The seam between the platform-free window code and a window-system backend
// (one source file per window system).
#pragma once

#include "surf/window_internal.h"

// ---- Provided by the backend --------------------------------------------------

// Connects to the window system and allocates the native record; reports the
// size of the screen the window will appear on. Fatal on failure.
void surfPlatformOpen(Surf* bmp, int* screenW, int* screenH);
// Creates the hidden window with a client area of clientW x clientH and, where
// it can, its OpenGL 3.3 context, current on return: then 1, else 0. Fatal when
// no window can be made.
int surfPlatformCreateWindow(Surf* bmp, int clientW, int clientH);
// Destroys context, window and connection; the GL objects are gone already.
void surfPlatformDestroy(Surf* bmp);
void* surfPlatformGLProc(const char* name);
int surfPlatformMakeCurrent(Surf* bmp);
int surfPlatformReleaseCurrent(Surf* bmp);
void surfPlatformSwapBuffers(Surf* bmp);
// Maps the window (first surfUpdate).
void surfPlatformShow(Surf* bmp);
// Handles every pending event of this window.
void surfPlatformPump(Surf* bmp);
void surfPlatformClientSize(Surf* bmp, int* w, int* h);
// Cursor position relative to the client area; returns the raw button mask.
int surfPlatformCursor(Surf* bmp, int* x, int* y);
int surfPlatformFocused(Surf* bmp);
// The client rectangle in screen coordinates.
SurfRect surfPlatformWindowRect(Surf* bmp);
void surfPlatformSetWindowRect(Surf* bmp, SurfRect rect);
// Switches decorations off and covers the nearest monitor, or back on.
void surfPlatformSetBorderless(Surf* bmp, int borderless);
void surfPlatformMinimise(Surf* bmp);
// Shows text in a modal message window; returns at once where none can be shown.
void surfPlatformMessageBox(Surf* owner, const char* caption, const char* text);
// Returns when an event for the window arrives or after the seconds passed.
void surfPlatformWaitEvent(Surf* bmp, double seconds);
// Seconds per refresh of the monitor showing the window, 0 if unknown.
double surfPlatformRefreshPeriod(Surf* bmp);
// Pixels per UI unit for the window (before it exists: for where it will
// appear); 1 when the window system gives no hint.
float surfPlatformBackingScale(Surf* bmp);

// ---- Provided by the shared window code, called from the backend --------------

// A key went down or up; key is an SK_ code or 'A'..'Z' / '0'..'9'.
void surfWinOnKey(Surf* bmp, int key, int down);
// A mouse button (a SURF_BUTTON_ bit) went down or up.
void surfWinOnButton(Surf* bmp, int button, int down);
// The wheel turned by the notches (fractions for partial turns); dy > 0 toward
// the user, dx > 0 to the right.
void surfWinOnWheel(Surf* bmp, float dx, float dy);
// A typed character; auto-repeated ones are dropped.
void surfWinOnChar(Surf* bmp, int ch, int autoRepeat);
// Focus gained or lost: all key state is cleared.
void surfWinOnFocus(Surf* bmp);
// The client area now measures w x h.
void surfWinOnSize(Surf* bmp, int w, int h);
// The window moved or changed size: its placement is stored under its title.
void surfWinOnMove(Surf* bmp);
// As surfWinOnMove for a move that may be one of many (a drag): stored once
// the moves have settled.
void surfWinOnMoving(Surf* bmp);
// The window's pixels per UI unit became scale: returns the client size the
// window should now have.
void surfWinOnScale(Surf* bmp, float scale, int* clientW, int* clientH);
void surfWinToggleBorderless(Surf* bmp);
void surfWinSetBorderless(Surf* bmp, int borderless);
// Present with the context made current and released again.
void surfWinPresent(Surf* bmp);
// The smallest client size the window accepts while sized by the user.
void surfWinMinClientSize(Surf* bmp, int* w, int* h);
