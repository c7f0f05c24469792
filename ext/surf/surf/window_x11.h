// Pieces the X11 backend's files share.
#pragma once

#include <X11/Xlib.h>

// The key code (SK_ code, 'A'..'Z', '0'..'9') of an X key symbol, 0 for none.
int surfKeyFromKeySym(KeySym sym);
// Ignores X errors of requests whose failure the caller checks otherwise.
int surfIgnoreXError(Display* dpy, XErrorEvent* error);
