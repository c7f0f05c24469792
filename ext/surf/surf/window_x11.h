// Pieces the X11 backend's files share.
#pragma once

#include <X11/Xlib.h>

// The key code (SK_ code, 'A'..'Z', '0'..'9') of an X key symbol, 0 for none.
int surfKeyFromKeySym(KeySym sym);
// Ignores X errors of requests whose failure the caller checks otherwise.
int surfIgnoreXError(Display* dpy, XErrorEvent* error);

struct Surf;
struct SurfX11Plain;
struct SurfRect;

// Presentation without OpenGL into a true-colour window: XPutImage, through
// shared memory where the server can reach ours.
SurfX11Plain* surfX11PlainCreate(Display* dpy, Window win, Visual* visual, int depth);
// Shows the window bitmap in a client area of w x h.
void surfX11PlainPresent(SurfX11Plain* plain, Surf* bmp, int w, int h);
const char* surfX11PlainName(const SurfX11Plain* plain);
void surfX11PlainFree(SurfX11Plain* plain);

// The window's display connection.
Display* surfX11Display(Surf* bmp);
// The rectangle if a monitor shows enough of it, else the same size centred
// on the primary monitor.
SurfRect surfX11VisiblePlacement(Display* dpy, SurfRect rect);
// A button press or release: mouse buttons and the wheel's notches.
void surfX11OnButton(Surf* bmp, const XButtonEvent* ev);
