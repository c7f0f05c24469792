// The platform-free life of a window: creation, the frame, scaling and
// centring, key bookkeeping, borderless full screen and the input queries.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "surf/window_backend.h"
#include "surf/window_parts.h"
#include "surf/window_placement.h"
#include "surf/window_present.h"

SurfInternal* surfInternal(Surf* bmp) { return (SurfInternal*)(bmp + 1); }

int surfMinScale(int flags) {
  if (flags & SURF_MIN4X) return 4;
  if (flags & SURF_MIN3X) return 3;
  if (flags & SURF_MIN2X) return 2;
  return 1;
}

int surfFitScale(int w, int h, int areaW, int areaH) {
  if (w < 1 || h < 1) return 1;
  return std::max(1, std::min(areaW / w, areaH / h));
}

static void centre(Surf* bmp, int clientW, int clientH) {
  SurfInternal* win = surfInternal(bmp);
  int w = bmp->w * win->scale, h = bmp->h * win->scale;
  win->pos[0] = (clientW - w) / 2;
  win->pos[1] = (clientH - h) / 2;
  win->pos[2] = win->pos[0] + w;
  win->pos[3] = win->pos[1] + h;
}

static void enterBorderless(Surf* bmp, SurfRect restoreTo) {
  SurfInternal* win = surfInternal(bmp);
  win->oldPos = restoreTo;
  win->dwStyle = SURF_STYLE_BORDERLESS;
  surfPlatformSetBorderless(bmp, 1);
}

static void applyStoredPlacement(Surf* bmp) {
  SurfPlacement stored;
  if (!surfPlacementLoad(surfInternal(bmp)->wtitle, &stored)) return;
  if (stored.borderless)
    enterBorderless(bmp, stored.rect);
  else
    surfPlatformSetWindowRect(bmp, stored.rect);
}

Surf* surfWindow(int w, int h, const char* title, int flags) {
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  Surf* bmp = surfBitmap2(w, h, (int)sizeof(SurfInternal));
  SurfInternal* win = surfInternal(bmp);
  win->wtitle = strdup(title ? title : "");
  win->dwStyle = SURF_STYLE_WINDOWED;
  win->flags = flags;
  win->p4 = 1.0f;
  win->widgetsScale = 3.0f;
  win->widgets = surfBitmap(40, 14);

  int screenW = 0, screenH = 0;
  surfPlatformOpen(bmp, &screenW, &screenH);
  win->scale = (flags & SURF_RESIZE) ? 1 : surfFitScale(w, h, screenW * 3 / 4, screenH * 3 / 4);
  win->scale = std::max(win->scale, surfMinScale(flags));
  centre(bmp, w * win->scale, h * win->scale);

  surfPresentCreate(bmp, surfPlatformCreateWindow(bmp, w * win->scale, h * win->scale));

  if (flags & SURF_BORDERLESS)
    enterBorderless(bmp, surfPlatformWindowRect(bmp));
  else
    applyStoredPlacement(bmp);
  return bmp;
}

void surfFreeWindow(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  surfPresentDestroy(bmp);
  surfPlatformDestroy(bmp);
  free(win->wtitle);
  win->wtitle = nullptr;
  surfFree(win->widgets);
  win->widgets = nullptr;
  bmp->handle = nullptr;
}

void surfWinPresent(Surf* bmp) {
  int w = 0, h = 0;
  surfPlatformClientSize(bmp, &w, &h);
  surfPresent(bmp, w, h);
}

void surfUpdate(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  if (!win->shown) {
    win->shown = 1;
    surfPlatformShow(bmp);
  }
  int clientW = 0, clientH = 0;
  surfPlatformClientSize(bmp, &clientW, &clientH);
  surfWinUpdateWidgets(bmp, clientW);
  surfWinPresent(bmp);
  memcpy(win->prev, win->keys, sizeof win->keys);
  surfPlatformPump(bmp);
}

// ---- Events from the backend ---------------------------------------------------

void surfWinOnKey(Surf* bmp, int key, int down) {
  SurfInternal* win = surfInternal(bmp);
  int vk = surfVirtualKey(key);
  if (!vk) return;
  win->keys[vk] = down ? 1 : 0;
  // The generic modifier is down while either of its sides is.
  static const int sides[][3] = {
      {SK_SHIFT, SK_LSHIFT, SK_RSHIFT}, {SK_CONTROL, SK_LCONTROL, SK_RCONTROL}, {SK_ALT, SK_LALT, SK_RALT}};
  for (const auto& s : sides)
    if (key == s[1] || key == s[2])
      win->keys[surfVirtualKey(s[0])] = win->keys[surfVirtualKey(s[1])] | win->keys[surfVirtualKey(s[2])];
}

void surfWinOnChar(Surf* bmp, int ch, int autoRepeat) {
  if (ch == 13) ch = 10;
  if (!autoRepeat) surfInternal(bmp)->lastChar = ch;
}

void surfWinOnFocus(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  win->lastChar = 0;
  memset(win->keys, 0, sizeof win->keys);
  memset(win->prev, 0, sizeof win->prev);
}

void surfWinOnSize(Surf* bmp, int w, int h) {
  if (w < 1 || h < 1) return;
  SurfInternal* win = surfInternal(bmp);
  if (win->flags & SURF_RESIZE)
    surfResize(bmp, std::max(1, w / win->scale), std::max(1, h / win->scale));
  else
    win->scale = std::max(surfFitScale(bmp->w, bmp->h, w, h), surfMinScale(win->flags));
  centre(bmp, w, h);
}

void surfWinOnMove(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  SurfPlacement placement;
  placement.borderless = surfIsBorderless(win);
  placement.rect = placement.borderless ? win->oldPos : surfPlatformWindowRect(bmp);
  surfPlacementStore(win->wtitle, placement);
}

void surfWinMinClientSize(Surf* bmp, int* w, int* h) {
  SurfInternal* win = surfInternal(bmp);
  if (win->flags & SURF_RESIZE) {
    *w = *h = 32;
  } else {
    *w = bmp->w * surfMinScale(win->flags);
    *h = bmp->h * surfMinScale(win->flags);
  }
}

void surfWinSetBorderless(Surf* bmp, int borderless) {
  SurfInternal* win = surfInternal(bmp);
  if (!borderless == !surfIsBorderless(win)) return;
  if (borderless) {
    enterBorderless(bmp, surfPlatformWindowRect(bmp));
  } else {
    win->dwStyle = SURF_STYLE_RESTORED;
    surfPlatformSetBorderless(bmp, 0);
    surfPlatformSetWindowRect(bmp, win->oldPos);
  }
  surfWinOnMove(bmp);
}

void surfWinToggleBorderless(Surf* bmp) { surfWinSetBorderless(bmp, !surfIsBorderless(surfInternal(bmp))); }

// ---- Queries -----------------------------------------------------------------

int surfClosed(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  int closed = win->closed;
  win->closed = 0;
  return closed;
}

void surfMouse(Surf* bmp, int* x, int* y, int* buttons) {
  SurfInternal* win = surfInternal(bmp);
  int cx = 0, cy = 0;
  int mask = surfPlatformCursor(bmp, &cx, &cy);
  if (x) *x = (cx - win->pos[0]) / win->scale;
  if (y) *y = (cy - win->pos[1]) / win->scale;
  if (buttons) *buttons = surfPlatformFocused(bmp) ? mask : 0;
}

int surfKeyDown(Surf* bmp, int key) {
  SurfInternal* win = surfInternal(bmp);
  int vk = surfVirtualKey(key);
  return vk && surfPlatformFocused(bmp) && win->keys[vk] && !win->prev[vk];
}

int surfKeyHeld(Surf* bmp, int key) {
  int vk = surfVirtualKey(key);
  return vk && surfPlatformFocused(bmp) && surfInternal(bmp)->keys[vk];
}

int surfReadChar(Surf* bmp) {
  SurfInternal* win = surfInternal(bmp);
  int ch = win->lastChar;
  win->lastChar = 0;
  return ch;
}

float surfTime() {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point last;
  static bool started = false;
  Clock::time_point now = Clock::now();
  float seconds = started ? std::chrono::duration<float>(now - last).count() : 0.0f;
  started = true;
  last = now;
  return seconds;
}

int surfTouch(Surf* bmp, SurfTouchPoint* points, int maxPoints) {
  if (maxPoints < 1 || !points) return 0;
  int buttons = 0;
  surfMouse(bmp, &points[0].x, &points[0].y, &buttons);
  return buttons ? 1 : 0;
}

int surfBeginOpenGL(Surf* bmp) {
  if (!surfPresentsWithGL(bmp) || !surfPlatformMakeCurrent(bmp)) return 0;
  surfInternal(bmp)->gl.gl_user_opengl_rendering = 1;
  return 1;
}

void surfSetPostShader(Surf* bmp, const char* source, int size) { surfPresentSetEffect(bmp, source, size); }

void surfSetPostFX(Surf* bmp, float p1, float p2, float p3, float p4) {
  SurfInternal* win = surfInternal(bmp);
  win->p1 = p1;
  win->p2 = p2;
  win->p3 = p3;
  win->p4 = p4;
}
