#pragma once

#include <cstdint>
#include <memory>

#include "surf/surf.h"

// A shared handle to a window-layer bitmap plus its backing scale, the number
// of pixels per UI unit. Copies share the pixels; the last holder frees them.
class Bitmap {
public:
    // A new w by h pixel bitmap of transparent black.
    Bitmap(int w, int h, float scale);
    // Adopts a bitmap created elsewhere (the window's own), at scale 1.0.
    explicit Bitmap(Surf* adopted);
    // Shares a bitmap already owned elsewhere, at scale 1.0.
    explicit Bitmap(std::shared_ptr<Surf> shared);

    int width() const { return _bmp->w; }
    int height() const { return _bmp->h; }
    float backingScale() const { return _backingScale; }
    // For a window whose pixels per unit follow the screen it is on.
    void setBackingScale(float scale) { _backingScale = scale; }
    std::uint8_t* data() const { return reinterpret_cast<std::uint8_t*>(_bmp->pix); }
    Surf* surfHandle() const { return _bmp.get(); }

    // Blends the whole bitmap onto target with its top-left corner at pixel (x, y).
    void drawTo(Bitmap& target, int x, int y) const;

private:
    std::shared_ptr<Surf> _bmp;
    float _backingScale;
};
