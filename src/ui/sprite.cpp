#include "ui/sprite.h"

#include <algorithm>

void IndexedSprite::draw(Bitmap& target, int index, int x, int y) const {
    const int frame = index < 0 ? 0 : std::min(index, lastIndex);
    const int dx = x - geo::truncate(origin.x);
    const int dy = y - geo::truncate(origin.y);
    const bool alongRow = direction == Row;
    const int sx = (alongRow ? frame : line) * sheet.celWidth;
    const int sy = (alongRow ? line : frame) * sheet.celHeight;
    surfBlitAlpha(target.surfHandle(), sheet.image.get(), dx, dy, sx, sy, sheet.celWidth, sheet.celHeight, 1.0f);
}
