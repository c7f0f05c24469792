#pragma once

// The objects that live for the whole process, built before main runs in the
// order declared here and destroyed in reverse at exit.

#include <memory>

#include "shared/properties.h"
#include "ui/font.h"
#include "ui/widgets.h"

using ExitButton = UI::Button<void (*)()>;

// The embedded configuration: captions, texts and the plug-in's identity.
extern const Properties props;
// Both faces at 14 pixels: the bold one for the title bar and the error
// screen's first line, the regular one for everything else.
extern const std::shared_ptr<TrueTypeFont> titleFont;
extern const std::shared_ptr<TrueTypeFont> labelFont;
// "Exit": ends the process at once with status 0, from inside a frame.
extern const ExitButton exitButton;
