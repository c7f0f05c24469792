// How a window's bitmap reaches the screen. OpenGL 3.3 is the first choice;
// where it cannot be set up, or fails later, the window presents through the
// window system's plain 2D calls for the rest of the run.
#pragma once

#include <cstdint>

#include "surf/window_internal.h"

// ---- Shared window code ----------------------------------------------------------

// Sets up presentation for a new window: through OpenGL when the backend left
// a context current (glCurrent) and every step of the set-up works, else plain.
void surfPresentCreate(Surf* bmp, int glCurrent);
// Shows the bitmap in a client area of w x h.
void surfPresent(Surf* bmp, int w, int h);
// Frees the OpenGL objects, if the window still has them.
void surfPresentDestroy(Surf* bmp);
// Replaces the OpenGL effect function; without OpenGL there is no effect to replace.
void surfPresentSetEffect(Surf* bmp, const char* source, int size);
int surfPresentsWithGL(Surf* bmp);
// The client area as the plain path shows it, w x h pixels of 0x00RRGGBB, row
// after row: the bitmap at its scale in its rectangle, black around it, and the
// overlay blended over the top right corner.
void surfPlainCompose(Surf* bmp, int w, int h, uint32_t* out);

// ---- The OpenGL path ----------------------------------------------------------------

// Every call expects the window's context current. Failures are reported on
// standard error and answered with 0.

// Loads the entry points and creates the quad, the program and both textures.
int surfGLCreate(Surf* bmp);
// Draws the bitmap into its rectangle and the overlay over a w x h client area.
int surfGLPresent(Surf* bmp, int w, int h);
// Deletes everything surfGLCreate made; 0 if OpenGL reported an error.
int surfGLDestroy(Surf* bmp);
// Forgets the OpenGL objects without a current context: for one that is lost.
void surfGLAbandon(Surf* bmp);
// Rebuilds the program with another effect function (size < 0: zero-terminated);
// on failure the previous program stays.
int surfGLSetEffect(Surf* bmp, const char* source, int size);

// ---- Provided by the backend -------------------------------------------------------

// Gives OpenGL up for the rest of the run: the context goes, and the window
// becomes one that plain 2D drawing can reach (recreated where necessary).
void surfPlatformDropGL(Surf* bmp);
// Shows the client area of w x h through the plain 2D path.
void surfPlatformPresentPlain(Surf* bmp, int w, int h);
// What the plain path is called, for diagnostics.
const char* surfPlatformPlainName(Surf* bmp);
