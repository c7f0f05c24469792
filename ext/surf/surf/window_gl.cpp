// The window's OpenGL objects: one program, one six-vertex quad and two
// textures; each present uploads the bitmap once and draws it, then the overlay.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "surf/window_backend.h"
#include "surf/window_present.h"

// Entry points beyond OpenGL 1.1, which must be loaded by name.
#define SURF_GL_ENTRY_POINTS(X)                                    \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                 \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)           \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                           \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                     \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                           \
    X(PFNGLBUFFERDATAPROC, glBufferData)                           \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                 \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray) \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)         \
    X(PFNGLCREATESHADERPROC, glCreateShader)                       \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                       \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                     \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                     \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                       \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                         \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                       \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                     \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                         \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)               \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                       \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)             \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                           \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)           \
    X(PFNGLUNIFORM4FPROC, glUniform4f)                             \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)               \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)

// OpenGL 1.1 itself is loaded by name as well, so that the program does not
// depend on the library being there when it starts.
#define SURF_GL_11_ENTRY_POINTS(X)                                                                              \
    X(glGetError)                                                                                               \
    X(glGenTextures)                                                                                            \
    X(glDeleteTextures) X(glBindTexture) X(glTexParameteri) X(glPixelStorei) X(glTexImage2D) X(glTexSubImage2D) \
        X(glDrawArrays) X(glViewport) X(glClearColor) X(glClear) X(glEnable) X(glDisable) X(glBlendFunc)

struct SurfGLApi {
#define SURF_GL_FIELD(type, name) type name;
    SURF_GL_ENTRY_POINTS(SURF_GL_FIELD)
#undef SURF_GL_FIELD
#define SURF_GL_11_FIELD(name) decltype(&::name) name;
    SURF_GL_11_ENTRY_POINTS(SURF_GL_11_FIELD)
#undef SURF_GL_11_FIELD
};

static const char* const vertexSource =
    "#version 330 core\n"
    "layout (location = 0) in vec2 pos_in;layout (location = 1) in vec2 uv_in;out vec2 uv;uniform mat4 model;"
    "uniform mat4 projection;void main(){   uv = uv_in;   gl_Position = projection * model * vec4(pos_in, 0.0, "
    "1.0);}";
static const char* const fragmentHead =
    "#version 330 core\n"
    "in vec2 uv;out vec4 color;uniform sampler2D image;uniform vec4 parameters;void fxShader(out vec4 color, in "
    "vec2 coord);void main(){   fxShader(color, uv);}\n";
static const char* const defaultEffect =
    "void fxShader(out vec4 color, in vec2 uv) {   vec2 tex_size = vec2(textureSize(image, 0));   vec2 uv_blur = "
    "mix(floor(uv * tex_size) + 0.5, uv * tex_size, parameters.xy) / tex_size;   vec4 c = texture(image, uv_blur);   "
    "c.rgb *= mix(0.5, 1.0 - fract(uv.y * tex_size.y), parameters.z) * 2.0; //scanline\n"
    "   c = mix(vec4(0.5), c, parameters.w); //contrast\n"
    "   color = c;}";

// Two triangles over the unit square, x, y, u, v each, with u, v equal to x, y.
static const float quad[6][4] = {{0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}};

static SurfGLApi& api(Surf* bmp) { return *surfInternal(bmp)->gl.api; }

// A failure is reported on standard error; the caller decides what follows.
static int checkGL(SurfGLApi& gl, const char* doing) {
    GLenum err = gl.glGetError();
    if (err == GL_NO_ERROR) return 1;
    fprintf(stderr, "got GL error %x when doing %s\n", (unsigned)err, doing);
    return 0;
}

// Reports the first 2048 bytes of the object's info log.
template <typename GetInfoLog>
static void reportLog(GetInfoLog getInfoLog, GLuint object, const char* format) {
    char log[2048] = {0};
    getInfoLog(object, sizeof log, nullptr, log);
    fprintf(stderr, format, log);
}

// The compiled shader, or 0.
static GLuint compile(Surf* bmp, GLenum type, int count, const char* const* sources, const GLint* lengths) {
    SurfGLApi& gl = api(bmp);
    GLuint shader = gl.glCreateShader(type);
    gl.glShaderSource(shader, count, sources, lengths);
    gl.glCompileShader(shader);
    GLint ok = 0;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    reportLog(gl.glGetShaderInfoLog, shader, "shader compile error : %s\n");
    gl.glDeleteShader(shader);
    return 0;
}

int surfGLSetEffect(Surf* bmp, const char* source, int size) {
    GLStuff& stuff = surfInternal(bmp)->gl;
    SurfGLApi& gl = api(bmp);
    const char* fragment[2] = {fragmentHead, source};
    GLint lengths[2] = {-1, size};
    GLuint vs = compile(bmp, GL_VERTEX_SHADER, 1, &vertexSource, nullptr);
    GLuint fs = vs ? compile(bmp, GL_FRAGMENT_SHADER, 2, fragment, lengths) : 0;
    if (!fs) {
        if (vs) gl.glDeleteShader(vs);
        return 0;
    }
    GLuint program = gl.glCreateProgram();
    gl.glAttachShader(program, vs);
    gl.glAttachShader(program, fs);
    gl.glLinkProgram(program);
    gl.glDeleteShader(vs);
    gl.glDeleteShader(fs);
    GLint ok = 0;
    gl.glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        reportLog(gl.glGetProgramInfoLog, program, "shader link error : %s\n");
        gl.glDeleteProgram(program);
        return 0;
    }
    if (stuff.program) gl.glDeleteProgram(stuff.program);
    stuff.program = program;
    stuff.uniform_projection = gl.glGetUniformLocation(program, "projection");
    stuff.uniform_model = gl.glGetUniformLocation(program, "model");
    stuff.uniform_parameters = gl.glGetUniformLocation(program, "parameters");
    return 1;
}

int surfGLCreate(Surf* bmp) {
    GLStuff& stuff = surfInternal(bmp)->gl;
    stuff.api = new SurfGLApi;
    SurfGLApi& gl = *stuff.api;
    // Nothing is created before every entry point is known to exist.
    bool complete = true;
#define SURF_GL_LOAD(type, name)               \
    gl.name = (type)surfPlatformGLProc(#name); \
    complete = complete && gl.name;
#define SURF_GL_11_LOAD(name) SURF_GL_LOAD(decltype(&::name), name)
    SURF_GL_ENTRY_POINTS(SURF_GL_LOAD)
    SURF_GL_11_ENTRY_POINTS(SURF_GL_11_LOAD)
#undef SURF_GL_11_LOAD
#undef SURF_GL_LOAD
    if (!complete) {
        fputs("Cannot create OpenGL context.\n", stderr);
        surfGLAbandon(bmp);
        return 0;
    }

    gl.glGenVertexArrays(1, &stuff.vao);
    gl.glBindVertexArray(stuff.vao);
    gl.glGenBuffers(1, &stuff.vbo);
    gl.glBindBuffer(GL_ARRAY_BUFFER, stuff.vbo);
    gl.glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    gl.glEnableVertexAttribArray(0);
    gl.glEnableVertexAttribArray(1);
    gl.glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
    gl.glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
    if (!surfGLSetEffect(bmp, defaultEffect, -1)) return 0;

    gl.glGenTextures(2, stuff.tex);
    for (GLuint tex : stuff.tex) {
        gl.glBindTexture(GL_TEXTURE_2D, tex);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return checkGL(gl, "initialization");
}

// Uploads the whole bitmap, top row first; storage is reallocated only when
// the size changed since the last upload.
static void upload(SurfGLApi& gl, const Surf* src, GLuint tex, int* storedW, int* storedH) {
    gl.glBindTexture(GL_TEXTURE_2D, tex);
    if (src->w == *storedW && src->h == *storedH) {
        gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, src->w, src->h, GL_RGBA, GL_UNSIGNED_BYTE, src->pix);
    } else {
        gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, src->w, src->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, src->pix);
        *storedW = src->w;
        *storedH = src->h;
    }
}

static void drawQuad(Surf* bmp, int x1, int y1, int x2, int y2) {
    GLStuff& stuff = surfInternal(bmp)->gl;
    SurfGLApi& gl = api(bmp);
    const float model[16] = {float(x2 - x1), 0, 0, 0, 0, float(y2 - y1), 0, 0, 0, 0, 1, 0, float(x1), float(y1), 0, 1};
    gl.glUniformMatrix4fv(stuff.uniform_model, 1, GL_FALSE, model);
    gl.glDrawArrays(GL_TRIANGLES, 0, 6);
}

int surfGLPresent(Surf* bmp, int w, int h) {
    SurfInternal* win = surfInternal(bmp);
    GLStuff& stuff = win->gl;
    SurfGLApi& gl = api(bmp);
    if (w < 1 || h < 1) {
        stuff.gl_user_opengl_rendering = 0;
        return 1;
    }
    gl.glViewport(0, 0, w, h);
    if (!stuff.gl_user_opengl_rendering) {
        gl.glClearColor(0, 0, 0, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
    }
    gl.glActiveTexture(GL_TEXTURE0);
    gl.glBindVertexArray(stuff.vao);
    gl.glUseProgram(stuff.program);
    const float projection[16] = {2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1};
    gl.glUniformMatrix4fv(stuff.uniform_projection, 1, GL_FALSE, projection);
    gl.glUniform4f(stuff.uniform_parameters, win->p1, win->p2, win->p3, win->p4);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (stuff.gl_user_opengl_rendering)
        gl.glEnable(GL_BLEND);
    else
        gl.glDisable(GL_BLEND);

    upload(gl, bmp, stuff.tex[0], &stuff.texW, &stuff.texH);
    drawQuad(bmp, win->pos[0], win->pos[1], win->pos[2], win->pos[3]);

    // The overlay is fully transparent while it is faded out: nothing to draw then.
    if (win->widgetsScale > 0 && win->widgetAlpha > 0) {
        const Surf* overlay = win->widgets;
        int overlayW = 0, overlayH = 0;
        gl.glEnable(GL_BLEND);
        upload(gl, overlay, stuff.tex[1], &overlayW, &overlayH);
        drawQuad(bmp, (int)(w - overlay->w * win->widgetsScale), 0, w, (int)(overlay->h * win->widgetsScale));
    }
    stuff.gl_user_opengl_rendering = 0;
    return checkGL(gl, "present");
}

int surfGLDestroy(Surf* bmp) {
    GLStuff& stuff = surfInternal(bmp)->gl;
    if (!stuff.api) return 1;
    SurfGLApi& gl = *stuff.api;
    gl.glDeleteTextures(2, stuff.tex);
    gl.glDeleteProgram(stuff.program);
    gl.glDeleteBuffers(1, &stuff.vbo);
    gl.glDeleteVertexArrays(1, &stuff.vao);
    int ok = checkGL(gl, "destroy");
    surfGLAbandon(bmp);
    return ok;
}

void surfGLAbandon(Surf* bmp) {
    GLStuff& stuff = surfInternal(bmp)->gl;
    delete stuff.api;
    stuff.api = nullptr;
    stuff.program = 0;
    stuff.texW = stuff.texH = 0;
}
