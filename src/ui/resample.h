#pragma once

#include "surf/surf.h"

// A w by h copy of the source for drawing it larger or smaller than its own
// pixels: each pixel is blended bilinearly from the four source pixels around
// its centre. Colours are weighted by alpha, so that transparent pixels lend
// no colour to the edges. Null when either size is empty.
Surf* resampled(const Surf& source, int w, int h);
