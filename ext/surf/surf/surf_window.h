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
  SK_PAD0 = 128, SK_PAD1, SK_PAD2, SK_PAD3, SK_PAD4, SK_PAD5, SK_PAD6, SK_PAD7, SK_PAD8, SK_PAD9,
  SK_PADMUL, SK_PADADD, SK_PADENTER, SK_PADSUB, SK_PADDOT, SK_PADDIV,
  SK_F1, SK_F2, SK_F3, SK_F4, SK_F5, SK_F6, SK_F7, SK_F8, SK_F9, SK_F10, SK_F11, SK_F12,
  SK_BACKSPACE, SK_TAB, SK_RETURN, SK_SHIFT, SK_CONTROL, SK_ALT, SK_PAUSE, SK_CAPSLOCK,
  SK_ESCAPE, SK_SPACE, SK_PAGEUP, SK_PAGEDN, SK_END, SK_HOME, SK_LEFT, SK_UP, SK_RIGHT,
  SK_DOWN, SK_INSERT, SK_DELETE, SK_LWIN, SK_RWIN, SK_NUMLOCK, SK_SCROLL, SK_LSHIFT,
  SK_RSHIFT, SK_LCONTROL, SK_RCONTROL, SK_LALT, SK_RALT, SK_SEMICOLON, SK_EQUALS, SK_COMMA,
  SK_MINUS, SK_DOT, SK_SLASH, SK_BACKTICK, SK_LSQUARE, SK_BACKSLASH, SK_RSQUARE, SK_TICK,
};

// Mouse button mask bits.
enum { SURF_BUTTON_LEFT = 1, SURF_BUTTON_MIDDLE = 2, SURF_BUTTON_RIGHT = 4 };

// Window styles kept in SurfInternal::dwStyle; a set top bit means borderless
// full screen.
enum : unsigned {
  SURF_STYLE_WINDOWED = 0x00CF0000u,
  SURF_STYLE_BORDERLESS = 0x90000000u,
  SURF_STYLE_RESTORED = 0x10CF0000u,
};

struct SurfRect {
  int left, top, right, bottom;
};

struct SurfTouchPoint {
  int x, y;
};

struct SurfGLApi;   // OpenGL entry points loaded by name for this window's context
struct SurfNative;  // the window system's own state of one window

// The OpenGL objects of one window.
struct GLStuff {
  void* hglrc;    // the rendering context
  void* dc;       // what the context draws through (the display connection on X11)
  unsigned tex[2];  // the bitmap and the overlay
  unsigned vao;
  unsigned program;
  int uniform_projection, uniform_model, uniform_parameters;
  int gl_legacy;                 // 1 while only a legacy context exists
  int gl_user_opengl_rendering;  // 1 from surfBeginOpenGL until the next present
  unsigned vbo;                  // the quad
  int texW, texH;                // size of the bitmap texture's storage
  SurfGLApi* api;
};

// A key or button change the window system reported: code is a virtual-key
// index (below 256) or 256 plus the bit number of a mouse button.
struct SurfTransition {
  unsigned short code;
  unsigned char down;
};

// Key and button changes in the order they happened. A code changes at most
// once a frame; the rest waits for the following frames.
struct SurfInputQueue {
  SurfTransition held[64];
  int count;
  unsigned char changed[259];  // by code: already changed during this frame
  int pressed;                 // something went down during this frame
};

// When frames run, and how often they waited or presented (counted for tests).
struct SurfFrameClock {
  double lastFrame;  // steady seconds at which the previous frame began
  double period;     // one refresh of the monitor
  unsigned waits;    // frames that rested before gathering input
  unsigned presents;
};

// The window record, directly behind the window's Surf record.
struct SurfInternal {
  int shown;   // 0 until the first surfUpdate showed the window
  int closed;  // set by a close request, cleared when surfClosed reports it
  GLStuff gl;
  char* wtitle;      // the title (UTF-8), also the key of the stored placement
  unsigned dwStyle;  // a SURF_STYLE_ value
  SurfRect oldPos;   // client rectangle on screen saved on entering full screen
  Surf* widgets;     // the 40 x 14 overlay with minimise, restore and close
  int widgetsWanted;
  unsigned char widgetAlpha;
  float widgetsScale;
  float p1, p2, p3, p4;  // post-effect parameters
  int flags;
  int scale;
  int pos[4];  // left, top, right, bottom of the bitmap on screen, client pixels
  int lastChar;
  unsigned char keys[256];  // key states by virtual-key code, 1 = down
  unsigned char prev[256];  // the states before the last message pump
  int widgetsPressed;       // left button held since it went down on the overlay
  SurfNative* native;
  float backingScale;                  // bitmap pixels per UI unit
  float wheelX, wheelY;                // wheel notches of the last surfUpdate
  float wheelPendingX, wheelPendingY;  // gathered during the current one
  int unitW, unitH;                    // the size asked for, in UI units
  int buttons;                         // button mask as the events left it
  int repaint;                         // the window system wants a redraw
  int placementPending;                // moved; stored once it has settled
  double placementMoved;               // steady seconds of the latest move
  SurfInputQueue input;
  SurfFrameClock clock;
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
SurfInternal* surfInternal(Surf* bmp);
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

// Tears down the window behind a window bitmap; surfFree calls it before it
// frees the pixels and the record.
void surfFreeWindow(Surf* bmp);
