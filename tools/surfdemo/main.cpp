// Tries the window layer by hand: a resizable window with a moving pattern, a
// cursor cross, and every key, character and click echoed on standard output.
// Alt+Return switches to borderless full screen and back.
#include <cstdio>

#include "surf/surf.h"

namespace {

void drawFrame(Surf* window, int frame, int mouseX, int mouseY, int buttons) {
    for (int y = 0; y < window->h; y++)
        for (int x = 0; x < window->w; x++)
            window->pix[y * window->w + x] = SPixel{(unsigned char)(x + frame), (unsigned char)(y * 2), 96, 255};
    SPixel cross = buttons ? SPixel{255, 255, 0, 255} : SPixel{255, 255, 255, 255};
    surfFill(window, mouseX - 8, mouseY, 17, 1, cross);
    surfFill(window, mouseX, mouseY - 8, 1, 17, cross);
    surfPrint(window, sfont, 4, 4, SPixel{255, 255, 255, 255}, "%d x %d  mouse %d, %d  buttons %d", window->w,
              window->h, mouseX, mouseY, buttons);
}

// Keys worth naming when they go down.
struct NamedKey {
    int code;
    const char* name;
};
const NamedKey namedKeys[] = {
    {SK_RETURN, "Return"}, {SK_BACKSPACE, "Backspace"}, {SK_SHIFT, "Shift"}, {SK_CONTROL, "Control"},
    {SK_ALT, "Alt"},       {SK_ESCAPE, "Escape"},       {SK_LEFT, "Left"},   {SK_RIGHT, "Right"},
    {SK_UP, "Up"},         {SK_DOWN, "Down"},           {SK_F1, "F1"},       {SK_SPACE, "Space"}};

void echoInput(Surf* window, int buttons, int& lastButtons) {
    for (int key = '0'; key <= 'Z'; key++)
        if (surfKeyDown(window, key)) printf("key down: %c\n", key);
    for (const NamedKey& key : namedKeys)
        if (surfKeyDown(window, key.code)) printf("key down: %s\n", key.name);
    if (int ch = surfReadChar(window)) {
        char text[5] = {0};
        *surfEncodeUTF8(text, ch) = 0;
        printf("character: %d '%s'\n", ch, ch >= 32 ? text : "");
    }
    if (buttons != lastButtons) printf("buttons: %d\n", buttons);
    lastButtons = buttons;
    fflush(stdout);
}

}  // namespace

int main() {
    Surf* window = surfWindow(320, 200, "Surf demo", SURF_RESIZE | SURF_MIN2X);
    int lastButtons = 0;
    for (int frame = 0; !surfClosed(window); frame++) {
        int x = 0, y = 0, buttons = 0;
        surfMouse(window, &x, &y, &buttons);
        drawFrame(window, frame, x, y, buttons);
        surfUpdate(window);
        echoInput(window, buttons, lastButtons);
    }
    printf("closed\n");
    surfFree(window);
    return 0;
}
