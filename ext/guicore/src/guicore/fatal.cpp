#include <cstdio>
#include <cstdlib>

#include "guicore/internal.h"

void guicore_internal::fatal(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "Fatal error: %s:%d: assertion '%s' failed\n", file, line, condition);
    std::abort();
}
