#include "shared/assets.h"

namespace assets {

std::span<const unsigned char> raw(const AssetRef& ref) {
    return {ref.assetData, ref.assetSize};
}

std::string string(const AssetRef& ref) {
    const auto bytes = raw(ref);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace assets
