// The placement store's text: any file content must parse without reading
// past it, and a record written for a title must be found again unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "surf/window_placement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Layout: title length, title, four coordinates of 16 bits, then the file text.
    if (size < 1) return 0;
    size_t titleLength = data[0] % 32;
    if (size < 1 + titleLength + 8) return 0;
    std::string title((const char*)data + 1, titleLength);
    const uint8_t* c = data + 1 + titleLength;
    auto coordinate = [&](int i) { return (int16_t)(c[2 * i] | c[2 * i + 1] << 8); };
    std::string text((const char*)c + 8, size - 1 - titleLength - 8);

    SurfPlacement found;
    surfPlacementFind(text, title, &found);

    int left = coordinate(0), top = coordinate(1);
    SurfPlacement wanted = {{left, top, left + 1 + (coordinate(2) & 0x3FFF), top + 1 + (coordinate(3) & 0x3FFF)},
                            coordinate(2) < 0};
    std::string stored = surfPlacementReplace(text, title, wanted);
    SurfPlacement again = {};
    if (!surfPlacementFind(stored, title, &again) || memcmp(&again, &wanted, sizeof wanted) != 0) abort();
    return 0;
}
