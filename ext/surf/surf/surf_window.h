// The window: a Surf bitmap that also owns a native window, an OpenGL context
// and the window's input state. The application draws into the bitmap's pixels;
// surfUpdate presents them scaled by a whole factor and then gathers the input
// that arrived since the previous frame.
#pragma once

struct Surf;

// Creation flags.
enum {
    SURF_RESIZE = 1,       // the bitmap follows the client size divided by the scale
    SURF_MIN2X = 2,        // scale at least 2
    SURF_MIN3X = 4,        // scale at least 3
    SURF_MIN4X = 8,        // scale at least 4
    SURF_HIDECURSOR = 32,  // no mouse cursor over the window
    SURF_BORDERLESS = 64,  // starts in borderless full screen
};

// Key codes: 'A'..'Z' and '0'..'9' stand for themselves; the named keys follow.
enum {
    SK_PAD0 = 128,
    SK_PAD1,
    SK_PAD2,
    SK_PAD3,
    SK_PAD4,
    SK_PAD5,
    SK_PAD6,
    SK_PAD7,
    SK_PAD8,
    SK_PAD9,
    SK_PADMUL,
    SK_PADADD,
    SK_PADENTER,
    SK_PADSUB,
    SK_PADDOT,
    SK_PADDIV,
    SK_F1,
    SK_F2,
    SK_F3,
    SK_F4,
    SK_F5,
    SK_F6,
    SK_F7,
    SK_F8,
    SK_F9,
    SK_F10,
    SK_F11,
    SK_F12,
    SK_BACKSPACE,
    SK_TAB,
    SK_RETURN,
    SK_SHIFT,
    SK_CONTROL,
    SK_ALT,
    SK_PAUSE,
    SK_CAPSLOCK,
    SK_ESCAPE,
    SK_SPACE,
    SK_PAGEUP,
    SK_PAGEDN,
    SK_END,
    SK_HOME,
    SK_LEFT,
    SK_UP,
    SK_RIGHT,
    SK_DOWN,
    SK_INSERT,
    SK_DELETE,
    SK_LWIN,
    SK_RWIN,
    SK_NUMLOCK,
    SK_SCROLL,
    SK_LSHIFT,
    SK_RSHIFT,
    SK_LCONTROL,
    SK_RCONTROL,
    SK_LALT,
    SK_RALT,
    SK_SEMICOLON,
    SK_EQUALS,
    SK_COMMA,
    SK_MINUS,
    SK_DOT,
    SK_SLASH,
    SK_BACKTICK,
    SK_LSQUARE,
    SK_BACKSLASH,
    SK_RSQUARE,
    SK_TICK,
};

// Mouse button mask bits.
enum { SURF_BUTTON_LEFT = 1, SURF_BUTTON_MIDDLE = 2, SURF_BUTTON_RIGHT = 4 };

struct SurfTouchPoint {
    int x, y;
};

// A new window bitmap of w x h transparent pixels titled with the UTF-8 title;
// shown on the first surfUpdate. Never null: failure ends the process.
Surf* surfWindow(int w, int h, const char* title, int flags);
// Presents the bitmap, then gathers the input that arrived since the last call.
void surfUpdate(Surf* bmp);
// As surfUpdate, for a bitmap that is the same as at the last present: nothing
// is uploaded or redrawn unless the window system asks for a repaint.
void surfUpdateUnchanged(Surf* bmp);
// Wheel movement during the last surfUpdate in notches: dy > 0 toward the end
// of the content (rolled toward the user), dx > 0 toward the right.
void surfWheel(Surf* bmp, float* dx, float* dy);
// Bitmap pixels per UI unit: the window's DPI / 96. A window asked for as
// w x h units has a bitmap of round(w * scale) x round(h * scale) pixels, and
// the bitmap is resized during surfUpdate when the scale changes.
float surfBackingScale(Surf* bmp);
// 1 once after each close request, else 0; the window stays open.
int surfClosed(Surf* bmp);
// Cursor position in bitmap pixels (negative above and left of it) and the
// button mask, 0 while the window lacks the focus.
void surfMouse(Surf* bmp, int* x, int* y, int* buttons);
// Non-zero if the key went down during the last surfUpdate; 0 without focus.
int surfKeyDown(Surf* bmp, int key);
// Non-zero while the key is down; 0 without focus.
int surfKeyHeld(Surf* bmp, int key);
// The last character typed during the last surfUpdate (Return reads as 10),
// once; else 0.
int surfReadChar(Surf* bmp);
// Seconds since the previous call (0 on the first).
float surfTime();
// The mouse as one touch point: 1 while any button is down, else 0.
int surfTouch(Surf* bmp, SurfTouchPoint* points, int maxPoints);
// Makes the window's context current for the caller's own drawing; the next
// present then keeps it and blends the bitmap over it. 1 on success.
int surfBeginOpenGL(Surf* bmp);
// Replaces the post effect, GLSL source of
//   void fxShader(out vec4 color, in vec2 uv)
// (size bytes, or up to the terminating zero when size < 0), and relinks.
void surfSetPostShader(Surf* bmp, const char* source, int size);
void surfSetPostFX(Surf* bmp, float p1, float p2, float p3, float p4);
// How the window's bitmap reaches the screen, for diagnostics: "OpenGL 3.3" or
// the window system's plain 2D path ("" for a bitmap without a window).
const char* surfPresentation(Surf* bmp);
// Reports a fatal error on standard error and in a message window, then ends
// the process with status 1. bmp may be null.
[[noreturn]] void surfError(Surf* bmp, const char* format, ...) __attribute__((format(printf, 2, 3)));
