// Key and button changes reach the caller in the order they happened, one
// change of each key or button per frame: a press and a release that arrive
// within one frame are seen as the press in one frame and the release in the
// next, so a quick tap is never lost between two samples of the state. A
// release that follows a press waits for the next frame too, so that a key
// pressed with a modifier (Shift+Tab typed fast) is seen with the modifier.
#include <cstring>

#include "surf/window_backend.h"
#include "surf/window_parts.h"

namespace {

const int buttonCode = 256;  // codes from here on are mouse buttons by bit number

int stateOf(const SurfInternal* win, int code) {
    if (code >= buttonCode) return (win->buttons >> (code - buttonCode)) & 1;
    return win->keys[code];
}

void apply(SurfInternal* win, int code, int down) {
    win->input.changed[code] = 1;
    if (down) win->input.pressed = 1;
    if (code >= buttonCode) {
        int bit = 1 << (code - buttonCode);
        win->buttons = down ? (win->buttons | bit) : (win->buttons & ~bit);
        return;
    }
    win->keys[code] = (unsigned char)down;
    // The generic modifier is down while either of its sides is.
    static const int sides[][3] = {
        {SK_SHIFT, SK_LSHIFT, SK_RSHIFT}, {SK_CONTROL, SK_LCONTROL, SK_RCONTROL}, {SK_ALT, SK_LALT, SK_RALT}};
    for (const auto& s : sides) {
        int generic = surfVirtualKey(s[0]), left = surfVirtualKey(s[1]), right = surfVirtualKey(s[2]);
        if (code == left || code == right) win->keys[generic] = win->keys[left] | win->keys[right];
    }
}

// The state the code will have once everything queued has been applied.
// Whether the change must wait for a later frame.
bool mustWait(const SurfInputQueue& q, int code, int down) { return q.changed[code] || (!down && q.pressed); }

int latestState(const SurfInternal* win, int code) {
    for (int i = win->input.count - 1; i >= 0; i--)
        if (win->input.held[i].code == code) return win->input.held[i].down;
    return stateOf(win, code);
}

void transition(Surf* bmp, int code, int down) {
    SurfInternal* win = surfInternal(bmp);
    SurfInputQueue& q = win->input;
    down = down ? 1 : 0;
    // A repeat of the state already reached (auto-repeat, a release nobody saw
    // go down) changes nothing.
    if (latestState(win, code) == down) return;
    if (q.count == 0 && !mustWait(q, code, down)) {
        apply(win, code, down);
    } else if (q.count < (int)(sizeof q.held / sizeof q.held[0])) {
        q.held[q.count++] = SurfTransition{(unsigned short)code, (unsigned char)down};
    } else {
        // Out of room: the state stays right even if a frame misses the change.
        apply(win, code, down);
    }
}

}  // namespace

void surfWinOnKey(Surf* bmp, int key, int down) {
    int vk = surfVirtualKey(key);
    if (vk) transition(bmp, vk, down);
}

void surfWinOnButton(Surf* bmp, int button, int down) {
    for (int bit = 0; bit < 3; bit++)
        if (button == (1 << bit)) transition(bmp, buttonCode + bit, down);
}

void surfWinOnWheel(Surf* bmp, float dx, float dy) {
    SurfInternal* win = surfInternal(bmp);
    win->wheelPendingX += dx;
    win->wheelPendingY += dy;
}

void surfWinOnFocus(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfInputQueue& q = win->input;
    // Buttons keep their state (their releases still arrive); keys start afresh.
    for (int i = 0; i < q.count; i++)
        if (q.held[i].code >= buttonCode) apply(win, q.held[i].code, q.held[i].down);
    q.count = 0;
    win->lastChar = 0;
    memset(win->keys, 0, sizeof win->keys);
    memset(win->prev, 0, sizeof win->prev);
}

int surfWinInputHeldOver(Surf* bmp) { return surfInternal(bmp)->input.count > 0; }

void surfWinBeginInput(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    SurfInputQueue& q = win->input;
    memcpy(win->prev, win->keys, sizeof win->keys);
    memset(q.changed, 0, sizeof q.changed);
    q.pressed = 0;
    // Held-over changes in order, up to the first that must wait again.
    int taken = 0;
    while (taken < q.count && !mustWait(q, q.held[taken].code, q.held[taken].down)) {
        apply(win, q.held[taken].code, q.held[taken].down);
        taken++;
    }
    memmove(q.held, q.held + taken, (size_t)(q.count - taken) * sizeof q.held[0]);
    q.count -= taken;
}

void surfWinEndInput(Surf* bmp) {
    SurfInternal* win = surfInternal(bmp);
    win->wheelX = win->wheelPendingX;
    win->wheelY = win->wheelPendingY;
    win->wheelPendingX = win->wheelPendingY = 0;
}
