// Colour conversions and the per-pixel Porter-Duff blend.
#pragma once

#include <algorithm>
#include <cmath>

#include "raster/canvas.h"

namespace raster {

// Coverage, clip or alpha below this (1/8160) counts as none.
constexpr float min_coverage = 0.00012254903f;

inline float clamp_unit(float value) { return std::clamp(value, 0.0f, 1.0f); }

inline float srgb_to_linear(float value) {
    value = clamp_unit(value);
    return value < 0.04045f ? value / 12.92f : std::pow((value + 0.055f) / 1.055f, 2.4f);
}

inline float linear_to_srgb(float value) {
    value = clamp_unit(value);
    return value < 0.0031308f ? 12.92f * value : 1.055f * std::pow(value, 0.41666666f) - 0.055f;
}

// Clamps, linearises and premultiplies a straight sRGB colour. NaN components
// count as zero.
inline rgba linear_premultiplied(float red, float green, float blue, float alpha) {
    float a = std::isnan(alpha) ? 0.0f : clamp_unit(alpha);
    auto channel = [a](float value) { return std::isnan(value) ? 0.0f : srgb_to_linear(value) * a; };
    return {channel(red), channel(green), channel(blue), a};
}

// Operations that leave the destination factor uncomplemented change the
// destination inside the clip even where the shape does not reach.
inline bool affects_uncovered(composite_operation operation) { return (operation & 8) == 0; }

// Blends source over destination with the operation's factors, then mixes by
// the clip coverage.
inline void blend_pixel(rgba& destination, rgba const& source, float clip, composite_operation operation) {
    int code = operation;
    float source_factor = 0.0f;
    if (code & 2)
        source_factor = (code & 1) ? 1.0f - destination.a : 1.0f;
    else if (code & 1)
        source_factor = destination.a;
    float destination_factor = 0.0f;
    if (code & 8)
        destination_factor = (code & 4) ? 1.0f - source.a : 1.0f;
    else if (code & 4)
        destination_factor = source.a;
    rgba blended{destination.r * destination_factor + source.r * source_factor,
                 destination.g * destination_factor + source.g * source_factor,
                 destination.b * destination_factor + source.b * source_factor,
                 std::min(1.0f, destination.a * destination_factor + source.a * source_factor)};
    if (clip >= 1.0f) {
        destination = blended;
        return;
    }
    float keep = 1.0f - clip;
    destination = {destination.r * keep + blended.r * clip, destination.g * keep + blended.g * clip,
                   destination.b * keep + blended.b * clip, destination.a * keep + blended.a * clip};
}

}  // namespace raster
