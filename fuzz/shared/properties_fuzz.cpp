// Feeds arbitrary bytes to the properties parser and checks what any parse
// must give: keys that are non-empty single-line text that is neither a
// comment nor holds an "=", and lookups that answer for every key without
// overflowing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shared/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Properties parsed(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& [key, value] : parsed.props) {
        if (key.empty() || key.find_first_of("=\r\n") != std::string::npos) std::abort();
        const std::size_t first = key.find_first_not_of(" \t\v\f");
        if (first != std::string::npos && key[first] == '#') std::abort();
        if (parsed.getString(key, "") != value) std::abort();
        parsed.getInt(key, 0);
    }
    return 0;
}
