#include "ui/resample.h"

#include <algorithm>
#include <cmath>

namespace {

// Where a destination pixel's centre falls between two source pixels along one axis.
struct Tap {
    int first;
    int second;
    float weight;  // of the second
};

Tap tap(int destination, int destinationSize, int sourceSize) {
    const float ratio = static_cast<float>(sourceSize) / static_cast<float>(destinationSize);
    const float centre =
        std::clamp((static_cast<float>(destination) + 0.5f) * ratio - 0.5f, 0.0f, static_cast<float>(sourceSize - 1));
    const int first = static_cast<int>(centre);
    return Tap{first, std::min(first + 1, sourceSize - 1), centre - static_cast<float>(first)};
}

struct Premultiplied {
    float r = 0, g = 0, b = 0, a = 0;

    void add(SPixel p, float weight) {
        const float alpha = p.a * weight;
        r += p.r * alpha;
        g += p.g * alpha;
        b += p.b * alpha;
        a += alpha;
    }

    SPixel straight() const {
        if (a <= 0.0f) return SPixel{0, 0, 0, 0};
        const auto channel = [](float v) { return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L)); };
        return SPixel{channel(r / a), channel(g / a), channel(b / a), channel(a)};
    }
};

}  // namespace

Surf* resampled(const Surf& source, int w, int h) {
    if (w <= 0 || h <= 0 || source.w <= 0 || source.h <= 0) return nullptr;
    Surf* out = surfBitmap(w, h);
    for (int y = 0; y < h; ++y) {
        const Tap ty = tap(y, h, source.h);
        const SPixel* upper = source.pix + static_cast<size_t>(ty.first) * source.w;
        const SPixel* lower = source.pix + static_cast<size_t>(ty.second) * source.w;
        for (int x = 0; x < w; ++x) {
            const Tap tx = tap(x, w, source.w);
            Premultiplied sum;
            sum.add(upper[tx.first], (1 - tx.weight) * (1 - ty.weight));
            sum.add(upper[tx.second], tx.weight * (1 - ty.weight));
            sum.add(lower[tx.first], (1 - tx.weight) * ty.weight);
            sum.add(lower[tx.second], tx.weight * ty.weight);
            out->pix[static_cast<size_t>(y) * w + x] = sum.straight();
        }
    }
    return out;
}
