#include "shared/assets.h"

#include <stdexcept>

#include "surf/surf.h"

namespace assets {

std::span<const unsigned char> raw(const AssetRef& ref) { return {ref.assetData, ref.assetSize}; }

std::string string(const AssetRef& ref) {
    const auto bytes = raw(ref);
    return std::string(bytes.begin(), bytes.end());
}

std::shared_ptr<Surf> image(const AssetRef& ref) {
    // The owner exists before the check: if the shared record cannot be
    // allocated the bitmap is still freed, and a failed decode hands the
    // deleter a null bitmap, which surfFree accepts.
    std::shared_ptr<Surf> bitmap(surfLoadImageMem(ref.assetData, static_cast<int>(ref.assetSize)), surfFree);
    if (!bitmap) throw std::runtime_error("Failed to load image " + ref.assetName);
    return bitmap;
}

std::shared_ptr<Surf> icon(const AssetRef& ref) {
    std::shared_ptr<Surf> bitmap = image(ref);
    const long long count = static_cast<long long>(bitmap->w) * bitmap->h;
    for (long long i = 0; i < count; ++i) {
        SPixel& p = bitmap->pix[i];
        p.r = p.g = p.b = 255;
    }
    return bitmap;
}

}  // namespace assets
