// One frame of a 500 x 350 window (upload, draw, swap) against a plain
// texture upload of the same pixels in the same context, on a private Xvfb.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "surf/surf.h"
#include "xvfb_server.h"

namespace {

const int width = 500, height = 350;

bool haveDisplay() {
    static XvfbServer server;
    return !server.display().empty();
}

Surf* patternWindow() {
    Surf* window = surfWindow(width, height, "Benchmark", SURF_RESIZE);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            window->pix[y * width + x] = SPixel{(unsigned char)x, (unsigned char)y, (unsigned char)(x ^ y), 255};
    surfUpdate(window);
    return window;
}

void BM_SurfUpdate(benchmark::State& state) {
    if (!haveDisplay()) return state.SkipWithError("Xvfb did not start");
    Surf* window = patternWindow();
    int frame = 0;
    for (auto _ : state) {
        window->pix[frame++ % (width * height)].r ^= 0xFF;  // a new frame each time
        surfUpdate(window);
    }
    surfFree(window);
}

void BM_TexSubImage2D(benchmark::State& state) {
    if (!haveDisplay()) return state.SkipWithError("Xvfb did not start");
    Surf* window = patternWindow();
    surfBeginOpenGL(window);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, window->pix);
    int frame = 0;
    for (auto _ : state) {
        window->pix[frame++ % (width * height)].r ^= 0xFF;
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, window->pix);
        glFinish();
    }
    glDeleteTextures(1, &tex);
    surfFree(window);
}

}  // namespace

BENCHMARK(BM_TexSubImage2D)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SurfUpdate)->Unit(benchmark::kMicrosecond);
