// The first two bytes choose the output size; the rest is a raw deflate
// stream, followed by the two readable bytes the decoder may look ahead into.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "surf/surf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t outSize = ((size_t)data[0] << 8 | data[1]) * 4;
    std::vector<uint8_t> in(data + 2, data + size);
    in.resize(in.size() + 2);
    std::vector<uint8_t> out(outSize);
    surfInflate(out.data(), (unsigned)out.size(), in.data(), (unsigned)(size - 2));
    return 0;
}
