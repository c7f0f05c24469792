#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct Surf;

// One embedded asset. The bytes live in the executable image for the whole
// process, so an AssetRef only borrows them and is cheap to build where used.
struct AssetRef {
    const unsigned char* const assetData;
    const std::size_t assetSize;
    const std::string assetName;  // for error messages only
};

// Every asset the executable carries, in the order they are laid out
// (the build's embed_assets call lists the same names in the same order).
#define INSTALLER_EMBEDDED_ASSETS(X) \
    X(properties)                    \
    X(roboto_regular)                \
    X(roboto_bold)                   \
    X(icon_close)                    \
    X(icon_check)                    \
    X(icon_collapsed)                \
    X(icon_expanded)                 \
    X(installer_zip)

#define INSTALLER_DECLARE_ASSET_SYMBOLS(name)        \
    extern "C" const unsigned char r_##name##Data[]; \
    extern "C" const unsigned char r_##name##End[];  \
    extern "C" const std::uint32_t r_##name##Size;
INSTALLER_EMBEDDED_ASSETS(INSTALLER_DECLARE_ASSET_SYMBOLS)

// EMBEDDED_ASSET(icon_close) is the AssetRef of the asset named icon_close.
#define EMBEDDED_ASSET(name) \
    AssetRef { r_##name##Data, r_##name##Size, #name }

namespace assets {

// The asset's bytes, without copying.
std::span<const unsigned char> raw(const AssetRef& ref);

// A copy of the asset's bytes, unchanged (zero bytes and line breaks kept).
std::string string(const AssetRef& ref);

// The asset decoded as an image, released with surfFree by its last owner.
// Throws std::runtime_error "Failed to load image <name>" if it is not one.
std::shared_ptr<Surf> image(const AssetRef& ref);

// The image as a white shape carried by its alpha alone, to be tinted when
// drawn. Throws like image().
std::shared_ptr<Surf> icon(const AssetRef& ref);

}  // namespace assets
