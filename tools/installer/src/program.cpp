#include "program.h"

#include <cstdlib>

#include "shared/assets.h"

namespace {

constexpr int fontSize = 14;

void exitProcess() { std::exit(0); }

}  // namespace

// One translation unit, so the construction order is the declaration order.
const Properties props(EMBEDDED_ASSET(properties));
const std::shared_ptr<TrueTypeFont> titleFont = std::make_shared<TrueTypeFont>(EMBEDDED_ASSET(roboto_bold), fontSize);
const std::shared_ptr<TrueTypeFont> labelFont =
    std::make_shared<TrueTypeFont>(EMBEDDED_ASSET(roboto_regular), fontSize);
const ExitButton exitButton("Exit", exitProcess);
