// The window record behind a window bitmap and the types it is made of: shared
// by the window layer's own files and its backends, hidden from the code above.
#pragma once

#include "surf/surf.h"

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

struct SurfGLApi;   // OpenGL entry points loaded by name for this window's context
struct SurfNative;  // the window system's own state of one window

// The OpenGL objects of one window.
struct GLStuff {
    void* hglrc;      // the rendering context
    void* dc;         // what the context draws through (the display connection on X11)
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

// The window record of a window bitmap.
SurfInternal* surfInternal(Surf* bmp);

// Tears down the window behind a window bitmap; surfFree calls it before it
// frees the pixels and the record.
void surfFreeWindow(Surf* bmp);
