#include "ui/bitmap.h"

#include <utility>

namespace {

std::shared_ptr<Surf> adopt(Surf* bmp) {
    return std::shared_ptr<Surf>(bmp, [](Surf* s) {
        if (s) surfFree(s);
    });
}

}  // namespace

Bitmap::Bitmap(int w, int h, float scale) : _bmp(adopt(surfBitmap(w, h))), _backingScale(scale) {}

Bitmap::Bitmap(Surf* adopted) : _bmp(adopt(adopted)), _backingScale(1.0f) {}

Bitmap::Bitmap(std::shared_ptr<Surf> shared) : _bmp(std::move(shared)), _backingScale(1.0f) {}

void Bitmap::drawTo(Bitmap& target, int x, int y) const {
    surfBlitAlpha(target.surfHandle(), _bmp.get(), x, y, 0, 0, width(), height(), 1.0f);
}
