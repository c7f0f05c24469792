// Presentation through an OpenGL 3.3 core context: the program, the quad and
// the textures of one window. Every call expects the window's context current.
#pragma once

#include "surf/surf.h"

// Loads the entry points and creates the quad, the program and both textures.
void surfGLCreate(Surf* bmp);
// Draws the bitmap into its rectangle and the overlay over a w x h client area.
void surfGLPresent(Surf* bmp, int w, int h);
// Deletes everything surfGLCreate made.
void surfGLDestroy(Surf* bmp);
// Rebuilds the program with another effect function (size < 0: zero-terminated).
void surfGLSetEffect(Surf* bmp, const char* source, int size);
