// The window-system backend for X11 with GLX: one display connection, window,
// input context and OpenGL 3.3 context per window.
#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "surf/window_backend.h"
#include "surf/window_present.h"
#include "surf/window_x11.h"

struct SurfNative {
    Display* dpy;
    int screen;
    Window root;
    Window win;
    Colormap colormap;
    Visual* visual;
    int depth;
    SurfX11Plain* plain;  // presentation without OpenGL, once in use
    GLXFBConfig config;
    GLXContext context;
    XIM im;
    XIC ic;
    Cursor blankCursor;
    Atom wmProtocols, wmDeleteWindow;
    Atom netWmState, netWmStateFullscreen, netWmStateMaxVert, netWmStateMaxHorz, motifWmHints;
    int clientW, clientH;
    int focused;
    int mapped;
    int focusRequested;
    int hintedScale;
    Bool detectableRepeat;  // the server sends no releases for repeats
    unsigned char keycodeDown[256];
};

int surfIgnoreXError(Display*, XErrorEvent*) { return 0; }

static SurfNative& native(Surf* bmp) { return *surfInternal(bmp)->native; }

Display* surfX11Display(Surf* bmp) { return native(bmp).dpy; }

static bool hasExtension(const char* list, const char* name) {
    size_t n = strlen(name);
    for (const char* p = list ? strstr(list, name) : nullptr; p; p = strstr(p + 1, name))
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

// The monitor holding the point, else the one nearest to it; the whole screen
// without RandR monitors.
static SurfRect monitorAt(SurfNative& n, int x, int y) {
    SurfRect best = {0, 0, DisplayWidth(n.dpy, n.screen), DisplayHeight(n.dpy, n.screen)};
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(n.dpy, n.root, True, &count);
    long long bestDistance = LLONG_MAX;
    for (int i = 0; i < count; i++) {
        const XRRMonitorInfo& m = monitors[i];
        long long dx = x < m.x ? m.x - x : (x >= m.x + m.width ? x - (m.x + m.width - 1) : 0);
        long long dy = y < m.y ? m.y - y : (y >= m.y + m.height ? y - (m.y + m.height - 1) : 0);
        long long distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = SurfRect{m.x, m.y, m.x + m.width, m.y + m.height};
        }
    }
    if (monitors) XRRFreeMonitors(monitors);
    return best;
}

void surfPlatformOpen(Surf* bmp, int* screenW, int* screenH) {
    SurfInternal* win = surfInternal(bmp);
    win->native = new SurfNative{};
    SurfNative& n = *win->native;
    n.dpy = XOpenDisplay(nullptr);
    if (!n.dpy) surfError(bmp, "Cannot open X display.\n");
    n.screen = DefaultScreen(n.dpy);
    n.root = RootWindow(n.dpy, n.screen);
    // Real key releases only: a held key repeats as presses of a key already down.
    XkbSetDetectableAutoRepeat(n.dpy, True, &n.detectableRepeat);
    Window child;
    int px = 0, py = 0, wx, wy;
    unsigned mask;
    XQueryPointer(n.dpy, n.root, &child, &child, &px, &py, &wx, &wy, &mask);
    SurfRect monitor = monitorAt(n, px, py);
    *screenW = monitor.right - monitor.left;
    *screenH = monitor.bottom - monitor.top;
}

static GLXFBConfig chooseConfig(SurfNative& n) {
    static const int attributes[] = {GLX_X_RENDERABLE,
                                     True,
                                     GLX_DRAWABLE_TYPE,
                                     GLX_WINDOW_BIT,
                                     GLX_RENDER_TYPE,
                                     GLX_RGBA_BIT,
                                     GLX_X_VISUAL_TYPE,
                                     GLX_TRUE_COLOR,
                                     GLX_DOUBLEBUFFER,
                                     True,
                                     GLX_RED_SIZE,
                                     8,
                                     GLX_GREEN_SIZE,
                                     8,
                                     GLX_BLUE_SIZE,
                                     8,
                                     GLX_DEPTH_SIZE,
                                     24,
                                     GLX_STENCIL_SIZE,
                                     8,
                                     None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(n.dpy, n.screen, attributes, &count);
    if (!configs || count < 1) {
        fputs("Cannot choose OpenGL pixel format.\n", stderr);
        return nullptr;
    }
    // An opaque window: prefer a visual without an alpha channel a compositor would honour.
    GLXFBConfig chosen = configs[0];
    for (int i = 0; i < count; i++) {
        XVisualInfo* vi = glXGetVisualFromFBConfig(n.dpy, configs[i]);
        bool opaque = vi && vi->depth == 24;
        if (vi) XFree(vi);
        if (opaque) {
            chosen = configs[i];
            break;
        }
    }
    XFree(configs);
    return chosen;
}

static void setSizeHints(Surf* bmp) {
    SurfNative& n = native(bmp);
    SurfInternal* win = surfInternal(bmp);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PResizeInc | PBaseSize | PWinGravity;
    surfWinMinClientSize(bmp, &hints->min_width, &hints->min_height);
    hints->width_inc = hints->height_inc = win->scale;
    hints->base_width = hints->base_height = 0;
    // Positions name the client area itself, so a stored placement restores exactly.
    hints->win_gravity = StaticGravity;
    XSetWMNormalHints(n.dpy, n.win, hints);
    XFree(hints);
    n.hintedScale = win->scale;
}

static void setTitle(SurfNative& n, const char* title) {
    XStoreName(n.dpy, n.win, title);
    Atom utf8 = XInternAtom(n.dpy, "UTF8_STRING", False);
    XChangeProperty(n.dpy, n.win, XInternAtom(n.dpy, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    (const unsigned char*)title, (int)strlen(title));
    XClassHint hint = {(char*)"surf", (char*)"Surf"};
    XSetClassHint(n.dpy, n.win, &hint);
}

static void createInputContext(SurfNative& n) {
    XSetLocaleModifiers("");
    n.im = XOpenIM(n.dpy, nullptr, nullptr, nullptr);
    if (!n.im) {
        XSetLocaleModifiers("@im=none");
        n.im = XOpenIM(n.dpy, nullptr, nullptr, nullptr);
    }
    if (n.im)
        n.ic = XCreateIC(n.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, n.win, XNFocusWindow,
                         n.win, nullptr);
}

static void hideCursor(SurfNative& n) {
    char empty = 0;
    Pixmap pixmap = XCreateBitmapFromData(n.dpy, n.win, &empty, 1, 1);
    XColor black = {};
    n.blankCursor = XCreatePixmapCursor(n.dpy, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(n.dpy, pixmap);
    XDefineCursor(n.dpy, n.win, n.blankCursor);
}

// Failures are reported on standard error and answered with false.
static bool createContext(Surf* bmp, SurfNative& n) {
    const char* extensions = glXQueryExtensionsString(n.dpy, n.screen);
    auto createContextAttribs =
        (PFNGLXCREATECONTEXTATTRIBSARBPROC)glXGetProcAddressARB((const GLubyte*)"glXCreateContextAttribsARB");
    if (!hasExtension(extensions, "GLX_ARB_create_context") || !createContextAttribs) {
        fputs("Cannot create OpenGL context.\n", stderr);
        return false;
    }
    static const int attributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, 3, GLX_CONTEXT_MINOR_VERSION_ARB, 3, None};
    // A refused version arrives as an X error; the null context says enough.
    XErrorHandler previous = XSetErrorHandler(surfIgnoreXError);
    n.context = createContextAttribs(n.dpy, n.config, nullptr, True, attributes);
    XSync(n.dpy, False);
    XSetErrorHandler(previous);
    if (!n.context) {
        fputs("Cannot create OpenGL context attribs.\n", stderr);
        return false;
    }
    if (!glXMakeCurrent(n.dpy, n.win, n.context)) {
        fputs("Cannot activate OpenGL context.\n", stderr);
        return false;
    }
    GLStuff& gl = surfInternal(bmp)->gl;
    gl.hglrc = n.context;
    gl.dc = n.dpy;
    gl.gl_legacy = 0;

    // Present waits for vertical sync where an extension lets us ask for it.
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        auto swapInterval = (PFNGLXSWAPINTERVALEXTPROC)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalEXT");
        if (swapInterval) swapInterval(n.dpy, n.win, 1);
    } else if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        auto swapInterval = (PFNGLXSWAPINTERVALMESAPROC)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalMESA");
        if (swapInterval) swapInterval(1);
    } else if (hasExtension(extensions, "GLX_SGI_swap_control")) {
        auto swapInterval = (PFNGLXSWAPINTERVALSGIPROC)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalSGI");
        if (swapInterval) swapInterval(1);
    }
    return true;
}

// The visual of a window without OpenGL: the screen's own where it is true
// colour, as the plain path draws in true colour only.
static bool choosePlainVisual(SurfNative& n, Visual** visual, int* depth) {
    Visual* own = DefaultVisual(n.dpy, n.screen);
    if (own->c_class == TrueColor) {
        *visual = own;
        *depth = DefaultDepth(n.dpy, n.screen);
        return true;
    }
    XVisualInfo info;
    if (!XMatchVisualInfo(n.dpy, n.screen, 24, TrueColor, &info)) return false;
    *visual = info.visual;
    *depth = info.depth;
    return true;
}

int surfPlatformCreateWindow(Surf* bmp, int clientW, int clientH) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    int major = 0, minor = 0;
    if (!glXQueryVersion(n.dpy, &major, &minor) || major < 1 || (major == 1 && minor < 3))
        fputs("Cannot create OpenGL context.\n", stderr);
    else
        n.config = chooseConfig(n);
    XVisualInfo* vi = n.config ? glXGetVisualFromFBConfig(n.dpy, n.config) : nullptr;
    if (vi) {
        n.visual = vi->visual;
        n.depth = vi->depth;
        XFree(vi);
    } else if (!choosePlainVisual(n, &n.visual, &n.depth)) {
        surfError(bmp, "Cannot find a true-colour visual.\n");
    }

    XSetWindowAttributes attributes = {};
    n.colormap = XCreateColormap(n.dpy, n.root, n.visual, AllocNone);
    attributes.colormap = n.colormap;
    attributes.background_pixel = BlackPixel(n.dpy, n.screen);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask |
                            FocusChangeMask | ExposureMask | PropertyChangeMask;
    n.win = XCreateWindow(n.dpy, n.root, 0, 0, (unsigned)clientW, (unsigned)clientH, 0, n.depth, InputOutput, n.visual,
                          CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    if (!n.win) exit(1);
    bmp->handle = (void*)n.win;
    n.clientW = clientW;
    n.clientH = clientH;

    n.wmProtocols = XInternAtom(n.dpy, "WM_PROTOCOLS", False);
    n.wmDeleteWindow = XInternAtom(n.dpy, "WM_DELETE_WINDOW", False);
    n.netWmState = XInternAtom(n.dpy, "_NET_WM_STATE", False);
    n.netWmStateFullscreen = XInternAtom(n.dpy, "_NET_WM_STATE_FULLSCREEN", False);
    n.netWmStateMaxVert = XInternAtom(n.dpy, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    n.netWmStateMaxHorz = XInternAtom(n.dpy, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    n.motifWmHints = XInternAtom(n.dpy, "_MOTIF_WM_HINTS", False);
    XSetWMProtocols(n.dpy, n.win, &n.wmDeleteWindow, 1);
    setTitle(n, win->wtitle);
    setSizeHints(bmp);
    createInputContext(n);
    if (win->flags & SURF_HIDECURSOR) hideCursor(n);
    return n.config && createContext(bmp, n);
}

void surfPlatformDestroy(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    if (n.context) glXDestroyContext(n.dpy, n.context);
    surfX11PlainFree(n.plain);
    if (n.ic) XDestroyIC(n.ic);
    if (n.im) XCloseIM(n.im);
    XDestroyWindow(n.dpy, n.win);
    XFreeColormap(n.dpy, n.colormap);
    if (n.blankCursor) XFreeCursor(n.dpy, n.blankCursor);
    XCloseDisplay(n.dpy);
    delete win->native;
    win->native = nullptr;
    win->gl.hglrc = win->gl.dc = nullptr;
}

// The window keeps its visual: a true-colour one, which the plain path draws in.
void surfPlatformDropGL(Surf* bmp) {
    SurfNative& n = native(bmp);
    // A lost context may answer with X errors.
    XErrorHandler previous = XSetErrorHandler(surfIgnoreXError);
    if (n.context) {
        glXMakeCurrent(n.dpy, None, nullptr);
        glXDestroyContext(n.dpy, n.context);
    }
    XSync(n.dpy, False);
    XSetErrorHandler(previous);
    n.context = nullptr;
    GLStuff& gl = surfInternal(bmp)->gl;
    gl.hglrc = gl.dc = nullptr;
    if (!n.plain) n.plain = surfX11PlainCreate(n.dpy, n.win, n.visual, n.depth);
}

void surfPlatformPresentPlain(Surf* bmp, int w, int h) { surfX11PlainPresent(native(bmp).plain, bmp, w, h); }

const char* surfPlatformPlainName(Surf* bmp) { return surfX11PlainName(native(bmp).plain); }

void* surfPlatformGLProc(const char* name) { return (void*)glXGetProcAddressARB((const GLubyte*)name); }

int surfPlatformMakeCurrent(Surf* bmp) {
    SurfNative& n = native(bmp);
    // A refusal also arrives as an X error; the result says enough.
    XErrorHandler previous = XSetErrorHandler(surfIgnoreXError);
    bool current = glXMakeCurrent(n.dpy, n.win, n.context);
    XSetErrorHandler(previous);
    return current ? 1 : 0;
}

int surfPlatformReleaseCurrent(Surf* bmp) { return glXMakeCurrent(native(bmp).dpy, None, nullptr) ? 1 : 0; }

void surfPlatformSwapBuffers(Surf* bmp) { glXSwapBuffers(native(bmp).dpy, native(bmp).win); }

void surfPlatformShow(Surf* bmp) {
    SurfNative& n = native(bmp);
    XMapRaised(n.dpy, n.win);
    XFlush(n.dpy);
}

void surfPlatformClientSize(Surf* bmp, int* w, int* h) {
    *w = native(bmp).clientW;
    *h = native(bmp).clientH;
}

int surfPlatformCursor(Surf* bmp, int* x, int* y) {
    SurfNative& n = native(bmp);
    Window root, child;
    int rootX, rootY;
    unsigned mask = 0;
    if (!XQueryPointer(n.dpy, n.win, &root, &child, &rootX, &rootY, x, y, &mask)) return 0;
    return ((mask & Button1Mask) ? SURF_BUTTON_LEFT : 0) | ((mask & Button2Mask) ? SURF_BUTTON_MIDDLE : 0) |
           ((mask & Button3Mask) ? SURF_BUTTON_RIGHT : 0);
}

int surfPlatformFocused(Surf* bmp) { return native(bmp).focused; }

SurfRect surfPlatformWindowRect(Surf* bmp) {
    SurfNative& n = native(bmp);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(n.dpy, n.win, n.root, 0, 0, &x, &y, &child);
    return SurfRect{x, y, x + n.clientW, y + n.clientH};
}

// Moves and sizes the client area; the bitmap follows at once, as the window
// system's own notice of the change may come later or not at all.
static void placeClient(Surf* bmp, SurfRect r) {
    SurfNative& n = native(bmp);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w < 1 || h < 1) return;
    XMoveResizeWindow(n.dpy, n.win, r.left, r.top, (unsigned)w, (unsigned)h);
    n.clientW = w;
    n.clientH = h;
    surfWinOnSize(bmp, w, h);
}

void surfPlatformSetWindowRect(Surf* bmp, SurfRect rect) {
    placeClient(bmp, surfX11VisiblePlacement(native(bmp).dpy, rect));
}

// Adds or removes states of _NET_WM_STATE: through the window manager while
// mapped, directly on the property before.
static void changeWmState(SurfNative& n, bool add, Atom first, Atom second) {
    if (n.mapped) {
        XEvent ev = {};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = n.win;
        ev.xclient.message_type = n.netWmState;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = add ? 1 : 0;
        ev.xclient.data.l[1] = (long)first;
        ev.xclient.data.l[2] = (long)second;
        ev.xclient.data.l[3] = 1;
        XSendEvent(n.dpy, n.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    } else if (add) {
        XChangeProperty(n.dpy, n.win, n.netWmState, XA_ATOM, 32, PropModeReplace, (const unsigned char*)&first, 1);
    } else {
        XDeleteProperty(n.dpy, n.win, n.netWmState);
    }
}

void surfPlatformSetBorderless(Surf* bmp, int borderless) {
    SurfNative& n = native(bmp);
    // Motif hints: flags (decorations), functions, decorations, input mode, status.
    if (borderless) {
        long hints[5] = {2, 0, 0, 0, 0};
        XChangeProperty(n.dpy, n.win, n.motifWmHints, n.motifWmHints, 32, PropModeReplace, (const unsigned char*)hints,
                        5);
    } else {
        XDeleteProperty(n.dpy, n.win, n.motifWmHints);
    }
    changeWmState(n, borderless, n.netWmStateFullscreen, None);
    if (borderless) {
        SurfRect r = surfPlatformWindowRect(bmp);
        placeClient(bmp, monitorAt(n, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
}

void surfPlatformMinimise(Surf* bmp) {
    SurfNative& n = native(bmp);
    XIconifyWindow(n.dpy, n.win, n.screen);
}

// ---- Events --------------------------------------------------------------------

static KeySym keySymOf(XKeyEvent* key) {
    KeySym sym = XLookupKeysym(key, 0);
    if (key->state & Mod2Mask) {  // num lock: the pad's digits rather than its arrows
        KeySym alternative = XLookupKeysym(key, 1);
        if (IsKeypadKey(alternative)) sym = alternative;
    }
    return sym;
}

static int typedCharacter(SurfNative& n, XKeyEvent* key) {
    char text[64];
    KeySym sym;
    int length;
    if (n.ic) {
        Status status;
        length = Xutf8LookupString(n.ic, key, text, sizeof text - 1, &sym, &status);
        if (status != XLookupChars && status != XLookupBoth) length = 0;
    } else {
        length = XLookupString(key, text, sizeof text - 1, &sym, nullptr);
    }
    if (length <= 0) return 0;
    text[length] = 0;
    int ch = 0;
    for (const char* p = text; *p;) p = surfDecodeUTF8(p, &ch);
    return ch == 127 ? 0 : ch;  // Delete is a key, not a character
}

static void onKeyPress(Surf* bmp, SurfNative& n, XKeyEvent* key) {
    unsigned keycode = key->keycode & 255;
    int repeat = n.keycodeDown[keycode];
    n.keycodeDown[keycode] = 1;
    KeySym sym = keySymOf(key);
    bool alt = key->state & Mod1Mask;
    if (alt && sym == XK_Return) {
        if (!repeat) surfWinToggleBorderless(bmp);
        return;
    }
    int code = surfKeyFromKeySym(sym);
    if (code) surfWinOnKey(bmp, code, 1);
    int ch = typedCharacter(n, key);
    if (ch && !alt) surfWinOnChar(bmp, ch, repeat);
}

// Only servers without detectable repeat pair each repeat with a release of the
// same time stamp; elsewhere such a pair is a real quick tap and must stay.
static bool isAutoRepeatRelease(SurfNative& n, XKeyEvent* key) {
    if (n.detectableRepeat || !XEventsQueued(n.dpy, QueuedAfterReading)) return false;
    XEvent next;
    XPeekEvent(n.dpy, &next);
    return next.type == KeyPress && next.xkey.keycode == key->keycode && next.xkey.time == key->time;
}

static void onKeyRelease(Surf* bmp, SurfNative& n, XKeyEvent* key) {
    if (isAutoRepeatRelease(n, key)) return;
    n.keycodeDown[key->keycode & 255] = 0;
    int code = surfKeyFromKeySym(keySymOf(key));
    if (code) surfWinOnKey(bmp, code, 0);
}

static void onFocus(Surf* bmp, SurfNative& n, XFocusChangeEvent* focus) {
    if (focus->detail == NotifyInferior || focus->detail == NotifyPointerRoot || focus->detail == NotifyDetailNone)
        return;
    n.focused = focus->type == FocusIn;
    if (n.ic) (n.focused ? XSetICFocus : XUnsetICFocus)(n.ic);
    memset(n.keycodeDown, 0, sizeof n.keycodeDown);
    surfWinOnFocus(bmp);
}

// A window manager maximising the window: borderless full screen instead.
static void onWmState(Surf* bmp, SurfNative& n) {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(n.dpy, n.win, n.netWmState, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) !=
            Success ||
        !data)
        return;
    bool vert = false, horz = false;
    if (format == 32)
        for (unsigned long i = 0; i < count; i++) {
            Atom state = (Atom)((long*)data)[i];
            vert |= state == n.netWmStateMaxVert;
            horz |= state == n.netWmStateMaxHorz;
        }
    XFree(data);
    if (!vert || !horz) return;
    changeWmState(n, false, n.netWmStateMaxVert, n.netWmStateMaxHorz);
    surfWinSetBorderless(bmp, 1);
}

static void onMapped(SurfNative& n) {
    n.mapped = 1;
    if (n.focusRequested) return;
    n.focusRequested = 1;
    // Without a window manager nobody else hands a new window the focus.
    XErrorHandler previous = XSetErrorHandler(surfIgnoreXError);
    XSetInputFocus(n.dpy, n.win, RevertToParent, CurrentTime);
    XSync(n.dpy, False);
    XSetErrorHandler(previous);
}

void surfPlatformPump(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfNative& n = *win->native;
    bool moved = false;
    while (XPending(n.dpy)) {
        XEvent ev;
        XNextEvent(n.dpy, &ev);
        if (XFilterEvent(&ev, None) || ev.xany.window != n.win) continue;
        switch (ev.type) {
            case KeyPress:
                onKeyPress(bmp, n, &ev.xkey);
                break;
            case KeyRelease:
                onKeyRelease(bmp, n, &ev.xkey);
                break;
            case ButtonPress:
            case ButtonRelease:
                surfX11OnButton(bmp, &ev.xbutton);
                break;
            case FocusIn:
            case FocusOut:
                onFocus(bmp, n, &ev.xfocus);
                break;
            case ConfigureNotify:
                if (ev.xconfigure.width != n.clientW || ev.xconfigure.height != n.clientH) {
                    n.clientW = ev.xconfigure.width;
                    n.clientH = ev.xconfigure.height;
                    surfWinOnSize(bmp, n.clientW, n.clientH);
                    if (win->scale != n.hintedScale) setSizeHints(bmp);
                }
                moved = true;
                break;
            case ClientMessage:
                if (ev.xclient.message_type == n.wmProtocols && (Atom)ev.xclient.data.l[0] == n.wmDeleteWindow)
                    win->closed = 1;
                break;
            case Expose:
                if (ev.xexpose.count == 0 && win->shown) surfWinPresent(bmp);
                break;
            case PropertyNotify:
                if (ev.xproperty.atom == n.netWmState && ev.xproperty.state == PropertyNewValue) onWmState(bmp, n);
                break;
            case MapNotify:
                onMapped(n);
                break;
            case UnmapNotify:
                n.mapped = 0;
                break;
            default:
                break;
        }
    }
    if (moved) surfWinOnMoving(bmp);
}
