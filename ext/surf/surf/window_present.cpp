// Choosing between OpenGL and the plain 2D path, falling back for good when
// OpenGL fails, and the picture the plain path shows.
#include "surf/window_present.h"

#include <algorithm>
#include <cstdio>

#include "surf/window_backend.h"

int surfPresentsWithGL(Surf* bmp) { return surfInternal(bmp)->gl.api != nullptr; }

// The failure was reported already: the window carries on without OpenGL.
static void fallBack(Surf* bmp) {
    GLStuff& gl = surfInternal(bmp)->gl;
    // A lost context may refuse to become current; its objects go with it then.
    if (gl.api && (gl.gl_user_opengl_rendering || surfPlatformMakeCurrent(bmp))) surfGLDestroy(bmp);
    surfGLAbandon(bmp);
    gl.gl_user_opengl_rendering = 0;
    surfPlatformDropGL(bmp);
    // The window may be a new one, and an unchanged frame must still fill it.
    surfInternal(bmp)->repaint = 1;
    fprintf(stderr, "Presenting through %s instead of OpenGL.\n", surfPlatformPlainName(bmp));
}

void surfPresentCreate(Surf* bmp, int glCurrent) {
    if (glCurrent && surfGLCreate(bmp)) {
        if (surfPlatformReleaseCurrent(bmp)) return;
        fputs("Cannot deactivate OpenGL context.\n", stderr);
    }
    fallBack(bmp);
}

void surfPresent(Surf* bmp, int w, int h) {
    GLStuff& gl = surfInternal(bmp)->gl;
    if (gl.api) {
        if (!gl.gl_user_opengl_rendering && !surfPlatformMakeCurrent(bmp)) {
            fputs("Cannot activate OpenGL context.\n", stderr);
            fallBack(bmp);
        } else if (!surfGLPresent(bmp, w, h)) {
            fallBack(bmp);
        } else {
            surfPlatformSwapBuffers(bmp);
            surfPlatformReleaseCurrent(bmp);
            return;
        }
    }
    surfPlatformPresentPlain(bmp, w, h);
}

void surfPresentDestroy(Surf* bmp) {
    GLStuff& gl = surfInternal(bmp)->gl;
    if (!gl.api) return;
    if (!gl.gl_user_opengl_rendering && !surfPlatformMakeCurrent(bmp))
        surfError(bmp, "Cannot activate OpenGL context.\n");
    if (!surfGLDestroy(bmp)) surfError(bmp, "OpenGL failed while tearing the window down.\n");
    if (!surfPlatformReleaseCurrent(bmp)) surfError(bmp, "Cannot deactivate OpenGL context.\n");
}

void surfPresentSetEffect(Surf* bmp, const char* source, int size) {
    GLStuff& gl = surfInternal(bmp)->gl;
    if (!gl.api) return;
    bool current = gl.gl_user_opengl_rendering;
    if (!current && !surfPlatformMakeCurrent(bmp)) {
        fputs("Cannot activate OpenGL context.\n", stderr);
        fallBack(bmp);
    } else if (!surfGLSetEffect(bmp, source, size)) {
        fallBack(bmp);
    } else if (!current) {
        surfPlatformReleaseCurrent(bmp);
    }
}

const char* surfPresentation(Surf* bmp) {
    if (!bmp || !bmp->handle) return "";
    return surfPresentsWithGL(bmp) ? "OpenGL 3.3" : surfPlatformPlainName(bmp);
}

static uint32_t packed(SPixel p) { return (uint32_t)p.r << 16 | (uint32_t)p.g << 8 | p.b; }

// The overlay blended as OpenGL blends it: source alpha over what is there.
static void blendOverlay(const Surf* overlay, float magnify, unsigned char alpha, int w, int h, uint32_t* out) {
    if (magnify <= 0 || alpha == 0) return;
    int x1 = (int)(w - overlay->w * magnify), y2 = (int)(overlay->h * magnify);
    int spanW = w - x1, spanH = y2;
    if (spanW < 1 || spanH < 1) return;
    for (int y = 0; y < std::min(h, y2); y++) {
        const SPixel* src = overlay->pix + (size_t)(y * overlay->h / spanH) * overlay->w;
        uint32_t* row = out + (size_t)y * w;
        for (int x = std::max(0, x1); x < w; x++) {
            SPixel s = src[(x - x1) * overlay->w / spanW];
            uint32_t d = row[x];
            auto mix = [&](unsigned sc, unsigned dc) { return (s.a * sc + (255 - s.a) * dc + 127) / 255; };
            row[x] = mix(s.r, d >> 16 & 255) << 16 | mix(s.g, d >> 8 & 255) << 8 | mix(s.b, d & 255);
        }
    }
}

void surfPlainCompose(Surf* bmp, int w, int h, uint32_t* out) {
    SurfInternal* win = surfInternal(bmp);
    int scale = std::max(1, win->scale);
    int left = win->pos[0], top = win->pos[1];
    int x0 = std::max(0, left), x1 = std::min(w, left + bmp->w * scale);
    for (int y = 0; y < h; y++) {
        uint32_t* row = out + (size_t)y * w;
        int by = y - top;
        if (by < 0 || by >= bmp->h * scale || x0 >= x1) {
            std::fill(row, row + w, 0u);
            continue;
        }
        const SPixel* src = bmp->pix + (size_t)(by / scale) * bmp->w;
        std::fill(row, row + x0, 0u);
        for (int x = x0; x < x1; x++) row[x] = packed(src[(x - left) / scale]);
        std::fill(row + x1, row + w, 0u);
    }
    blendOverlay(win->widgets, win->widgetsScale, win->widgetAlpha, w, h, out);
}
