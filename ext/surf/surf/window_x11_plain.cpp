// Presentation without OpenGL on X11: the client area is composed in our own
// memory and put into the window with XPutImage, or with XShmPutImage where
// the server can attach a shared segment of ours, which spares sending every
// frame through the connection.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "surf/window_present.h"
#include "surf/window_x11.h"

struct SurfX11Plain {
    Display* dpy;
    Window win;
    Visual* visual;
    int depth;
    GC gc;
    bool shmUsable;                  // offered, local, and not refused yet
    XShmSegmentInfo shm;             // shmaddr set while the image lives in shared memory
    XImage* image;                   // as large as the client area
    bool direct;                     // the image holds 0x00RRGGBB words: composed straight into it
    std::vector<uint32_t> composed;  // otherwise composed here and converted
};

namespace {

// A refused attach arrives only as an asynchronous X error, and an error
// handler has no room for context: the code waits here for the one sync
// after the attach, on the window's own thread.
int attachError = 0;
int recordError(Display*, XErrorEvent* error) {
    attachError = error->error_code;
    return 0;
}

// Shared memory is ours to offer only to a server on this machine: a remote
// one would attach a stranger's segment of the same number, or none.
bool localConnection(Display* dpy) {
    sockaddr_storage address = {};
    socklen_t length = sizeof address;
    return getsockname(ConnectionNumber(dpy), (sockaddr*)&address, &length) == 0 && address.ss_family == AF_UNIX;
}

XImage* sharedImage(SurfX11Plain& p, int w, int h) {
    XImage* image =
        XShmCreateImage(p.dpy, p.visual, (unsigned)p.depth, ZPixmap, nullptr, &p.shm, (unsigned)w, (unsigned)h);
    if (!image) return nullptr;
    // Readable by us alone: the frames are nobody else's business.
    p.shm.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * h, IPC_CREAT | 0600);
    void* address = p.shm.shmid < 0 ? (void*)-1 : shmat(p.shm.shmid, nullptr, 0);
    if (address == (void*)-1) {
        if (p.shm.shmid >= 0) shmctl(p.shm.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return nullptr;
    }
    p.shm.shmaddr = image->data = (char*)address;
    p.shm.readOnly = False;
    attachError = 0;
    XErrorHandler previous = XSetErrorHandler(recordError);
    Status attached = XShmAttach(p.dpy, &p.shm);
    XSync(p.dpy, False);
    XSetErrorHandler(previous);
    // Marked for removal now, the segment goes when the last one detaches.
    shmctl(p.shm.shmid, IPC_RMID, nullptr);
    if (attached && !attachError) return image;

    fprintf(stderr, "The X server refused shared memory (error %d); presenting through XPutImage alone.\n",
            attachError);
    shmdt(address);
    p.shm.shmaddr = nullptr;
    XDestroyImage(image);
    p.shmUsable = false;
    return nullptr;
}

XImage* ownImage(SurfX11Plain& p, int w, int h) {
    XImage* image =
        XCreateImage(p.dpy, p.visual, (unsigned)p.depth, ZPixmap, 0, nullptr, (unsigned)w, (unsigned)h, 32, 0);
    if (!image) return nullptr;
    image->data = (char*)calloc((size_t)image->bytes_per_line * h, 1);
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    return image;
}

void dropImage(SurfX11Plain& p) {
    if (!p.image) return;
    if (p.shm.shmaddr) {
        XShmDetach(p.dpy, &p.shm);
        XSync(p.dpy, False);
        shmdt(p.shm.shmaddr);
        p.shm.shmaddr = nullptr;
        p.image->data = nullptr;
    }
    XDestroyImage(p.image);
    p.image = nullptr;
}

bool wordsAreRgb(const XImage* image) {
    const uint32_t one = 1;
    bool littleHost = *(const unsigned char*)&one == 1;
    return image->bits_per_pixel == 32 && image->bytes_per_line == image->width * 4 && image->red_mask == 0xFF0000 &&
           image->green_mask == 0xFF00 && image->blue_mask == 0xFF && (image->byte_order == LSBFirst) == littleHost;
}

// An 8-bit channel value in the bits of a visual's mask.
unsigned long channel(unsigned value, unsigned long mask) {
    if (!mask) return 0;
    int shift = __builtin_ctzl(mask);
    unsigned long top = mask >> shift;
    return ((value * top + 127) / 255) << shift;
}

void convert(SurfX11Plain& p, int w, int h) {
    XImage* image = p.image;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t rgb = p.composed[(size_t)y * w + x];
            XPutPixel(image, x, y,
                      channel(rgb >> 16 & 255, image->red_mask) | channel(rgb >> 8 & 255, image->green_mask) |
                          channel(rgb & 255, image->blue_mask));
        }
}

}  // namespace

SurfX11Plain* surfX11PlainCreate(Display* dpy, Window win, Visual* visual, int depth) {
    auto* p = new SurfX11Plain{};
    p->dpy = dpy;
    p->win = win;
    p->visual = visual;
    p->depth = depth;
    p->gc = XCreateGC(dpy, win, 0, nullptr);
    p->shmUsable = XShmQueryExtension(dpy) && localConnection(dpy);
    return p;
}

void surfX11PlainPresent(SurfX11Plain* p, Surf* bmp, int w, int h) {
    if (!p || w < 1 || h < 1) return;
    if (!p->image || p->image->width != w || p->image->height != h) {
        dropImage(*p);
        if (p->shmUsable) p->image = sharedImage(*p, w, h);
        if (!p->image) p->image = ownImage(*p, w, h);
        if (!p->image) return;
        p->direct = wordsAreRgb(p->image) && p->depth <= 24;
    }
    if (p->direct) {
        surfPlainCompose(bmp, w, h, (uint32_t*)p->image->data);
    } else {
        p->composed.resize((size_t)w * h);
        surfPlainCompose(bmp, w, h, p->composed.data());
        convert(*p, w, h);
    }
    if (p->shm.shmaddr) {
        XShmPutImage(p->dpy, p->win, p->gc, p->image, 0, 0, 0, 0, (unsigned)w, (unsigned)h, False);
        // The server reads the segment while it handles the request: it must be
        // done before the next frame is composed into it.
        XSync(p->dpy, False);
    } else {
        XPutImage(p->dpy, p->win, p->gc, p->image, 0, 0, 0, 0, (unsigned)w, (unsigned)h);
        XFlush(p->dpy);
    }
}

const char* surfX11PlainName(const SurfX11Plain* p) {
    return p && p->shmUsable ? "XPutImage with MIT-SHM" : "XPutImage";
}

void surfX11PlainFree(SurfX11Plain* p) {
    if (!p) return;
    dropImage(*p);
    XFreeGC(p->dpy, p->gc);
    delete p;
}
