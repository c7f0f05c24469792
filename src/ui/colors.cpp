#include "ui/colors.h"

#include <set>
#include <tuple>

bool operator==(const SPixel& a, const SPixel& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

bool operator!=(const SPixel& a, const SPixel& b) { return !(a == b); }

bool operator<(const SPixel& a, const SPixel& b) { return std::tie(a.r, a.g, a.b, a.a) < std::tie(b.r, b.g, b.b, b.a); }

std::vector<Color> extractColorsFromPalette(const Surf& bitmap) {
    std::vector<Color> colors;
    if (bitmap.w < 1 || bitmap.h < 1 || bitmap.pix == nullptr) return colors;
    const long long count = static_cast<long long>(bitmap.w) * bitmap.h;
    std::set<SPixel> seen;
    for (long long i = 0; i < count; ++i) {
        const SPixel& pixel = bitmap.pix[i];
        if (seen.insert(pixel).second) colors.emplace_back(pixel);
    }
    return colors;
}
