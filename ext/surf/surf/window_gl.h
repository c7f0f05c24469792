// Presentation through an OpenGL 3.3 core context: the program, the quad and
// the textures of one window. Every call expects the window's context current.
// Failures are reported on standard error and answered with 0.
#pragma once

#include "surf/window_internal.h"

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
