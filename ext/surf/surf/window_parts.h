// Pieces of the platform-free window code that its files share.
#pragma once

#include "surf/window_internal.h"

// The record index of a key code (SK_ code, 'A'..'Z', '0'..'9'), 0 for none.
int surfVirtualKey(int key);
// The key code of a record index, 0 for none.
int surfKeyFromVirtualKey(int vk);
// Draws the full-screen overlay for a client area clientW wide and acts on a
// click on one of its buttons.
void surfWinUpdateWidgets(Surf* bmp, int clientW);
// The largest whole factor that fits w x h into areaW x areaH, at least 1.
int surfFitScale(int w, int h, int areaW, int areaH);
// The smallest scale the creation flags allow.
int surfMinScale(int flags);
inline bool surfIsBorderless(const SurfInternal* win) { return (win->dwStyle & 0x80000000u) != 0; }

// Steady seconds.
double surfWinNow();
// How long a frame beginning at now rests before gathering input.
double surfPaceDelay(const SurfFrameClock& clock, double now);
// Rests until input or the next frame is due.
void surfWinPace(Surf* bmp);

// Input of one frame: begin (held-over changes first), the pump, end.
void surfWinBeginInput(Surf* bmp);
void surfWinEndInput(Surf* bmp);
// 1 while changes wait for a later frame.
int surfWinInputHeldOver(Surf* bmp);

// Stores a pending placement once it has settled, or at once with finalStore.
void surfWinStoreSettledPlacement(Surf* bmp, int finalStore);
