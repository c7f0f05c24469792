// Pieces of the platform-free window code that its files share.
#pragma once

#include "surf/surf.h"

// The record index of a key code (SK_ code, 'A'..'Z', '0'..'9'), 0 for none.
int surfVirtualKey(int key);
// Draws the full-screen overlay for a client area clientW wide and acts on a
// click on one of its buttons.
void surfWinUpdateWidgets(Surf* bmp, int clientW);
// The largest whole factor that fits w x h into areaW x areaH, at least 1.
int surfFitScale(int w, int h, int areaW, int areaH);
// The smallest scale the creation flags allow.
int surfMinScale(int flags);
inline bool surfIsBorderless(const SurfInternal* win) { return (win->dwStyle & 0x80000000u) != 0; }
